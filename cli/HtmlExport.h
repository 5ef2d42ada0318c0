#pragma once

#include <string>

#include "FileFailure.h"
#include "ReportFormatters.h"

// Writes the report as the dialog's HTML export would, with a heading giving
// csDate and the projects, a ring chart of the kinds of line and, with
// bByProject, each project's table and share of the code lines.
[[nodiscard]] FileStatus WriteHtmlReport(
    const std::string& csPath, const ReportSummary& summary, bool bByProject, const std::string& csDate);
