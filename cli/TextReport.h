#pragma once

#include <span>
#include <string>

#include "ReportModel.h"

// The column headings, a rule and the rows, each column padded to its widest
// cell and aligned as the results list aligns it.
[[nodiscard]] std::string FormatTextTable(std::span<const ReportRow> rows);

// The report for a terminal: with bByProject each project's table first, then
// the total's; then, when there is one, the comparison with the saved report.
// A history report is its table alone: one row per commit, oldest first.
[[nodiscard]] std::string WriteTextReport(const ReportModel& model);
