#pragma once

#include <string>

#include "ReportModel.h"

// One JSON object: "version", "generated", "rules", "files", "folders_unreadable", "projects",
// "counters", "rows", and "compare" when there is a report to compare with. A history
// report: "version", "generated", "rules", "scope" and "history", one entry per commit.
[[nodiscard]] std::string WriteJsonReport(const ReportModel& model);
