#pragma once

#include <string>

#include "ReportFormatters.h"

// Writes the report as the dialog's HTML export would, with a heading giving
// csDate and the projects, a ring chart of the kinds of line and, with
// bByProject, each project's table and share of the code lines. On failure
// returns false and a sentence for the user in csError.
[[nodiscard]] bool WriteHtmlReport(const std::string& csPath, const ReportSummary& summary, bool bByProject,
    const std::string& csDate, std::string& csError);
