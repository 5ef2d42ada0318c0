#pragma once

#include <string>

#include "StatisticsReport.h"

// Whether this build can write the HTML page; checked before any counting, so a
// request that cannot be met fails at once.
[[nodiscard]] bool IsHtmlExportAvailable();

// Writes the report as the dialog's HTML export would. On failure returns false
// and a sentence for the user in csError.
[[nodiscard]] bool WriteHtmlReport(const std::string& csPath, const Report& report, std::string& csError);
