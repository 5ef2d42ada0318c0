#pragma once

#include <optional>
#include <string>

#include "ReportArguments.h"
#include "ReportModel.h"

struct HistoryBuild
{
    std::optional<ReportModel> model;
    std::string csError; // "DIRECTORY: problem" when the history cannot be read; no model then
};

// Counts the history --history asks for and builds the report of its points: the
// newest point's figures as the report's own, every point in history, the scope git's
// tracked files and the exclude patterns. A warning about the thread count goes to stderr.
[[nodiscard]] HistoryBuild BuildHistoryReport(const ReportArguments& arguments, const ReportSettings& settings);
