#pragma once

#include <string>

#include "ReportModel.h"

// One line of five tab-joined cells per row, the cells exactly as the results
// list holds them; with bByProject each project's rows first, each line led by
// its directory, then the total's rows led by "*". A history report: a line of
// headings, then one line per commit, oldest first.
[[nodiscard]] std::string WriteTsvReport(const ReportModel& model);
