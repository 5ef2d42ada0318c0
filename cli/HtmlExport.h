#pragma once

#include <string>

#include "FileFailure.h"
#include "ReportModel.h"

// Writes the report as the dialog's HTML export would, with a heading giving
// the date, the projects and, under the syntax rules, the rules; a ring chart of
// the kinds of line and, with bByProject, each project's table and share of the
// code lines. A history report's page draws the kinds of line stacked over time
// instead of the ring, above the table of every commit.
[[nodiscard]] FileStatus WriteHtmlReport(const std::string& csPath, const ReportModel& model);
