#pragma once

#include <string>

#include "StatisticsReport.h"

// Writes the report as the dialog's HTML export would. On failure returns false
// and a sentence for the user in csError.
[[nodiscard]] bool WriteHtmlReport(const std::string& csPath, const Report& report, std::string& csError);
