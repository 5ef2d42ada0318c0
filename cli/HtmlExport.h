#pragma once

#include <string>

#include "FileFailure.h"
#include "StatisticsReport.h"

// Writes the report as the dialog's HTML export would.
[[nodiscard]] FileStatus WriteHtmlReport(const std::string& csPath, const Report& report);
