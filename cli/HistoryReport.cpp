#include "HistoryReport.h"

#include <cstdio>
#include <utility>

#include "GitHistory.h"
#include "ParallelCount.h"
#include "ProjectCollection.h"
#include "ReportTime.h"

namespace {

HistoryRequest requestOf(const ReportArguments& arguments)
{
    HistoryRequest request;
    request.directories = arguments.directories;
    request.nPoints = arguments.historyPoints.value_or(request.nPoints);
    request.rules = arguments.rules;
    request.excludePatterns = arguments.excludePatterns;
    std::string csWarning;
    request.nThreads = DefaultThreadCount(&csWarning);
    if (!csWarning.empty())
        std::fprintf(stderr, "pindrel-report: %s\n", csWarning.c_str());
    return request;
}

HistoryPoint pointOf(const HistoryCount& count)
{
    return { count.csCommit, FormatIsoUtc(static_cast<std::time_t>(count.nTime)), count.nTime, count.nFiles,
        count.counters };
}

} // namespace

HistoryBuild BuildHistoryReport(const ReportArguments& arguments, const ReportSettings& settings)
{
    HistoryResult result = CountHistory(requestOf(arguments));
    if (!result.csError.empty())
        return { std::nullopt, std::move(result.csError) };
    if (result.points.empty()) // every readable history has a first commit
        return { std::nullopt, arguments.directories.front() + ": no commit to report" };

    const HistoryCount& newest = result.points.back();
    HistoryBuild build;
    ReportModel& model = build.model.emplace(
        BuildReportModel(ProjectsOf(arguments.directories), newest.counters, settings, std::nullopt));
    model.nFiles = newest.nFiles;
    // A tree holds only what git tracks: --gitignore is implied.
    model.scope.bGitignore = true;
    model.scope.excludePatterns = arguments.excludePatterns;
    for (const HistoryCount& count : result.points)
        model.history.push_back(pointOf(count));
    return build;
}
