// pindrel-report: the counting engine's report for directories named on the command line.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "CollectSourceFiles.h"
#include "FileFailureText.h"
#include "HtmlExport.h"
#include "ParallelCount.h"
#include "ProgressBar.h"
#include "ProjectCollection.h"
#include "ReportArguments.h"
#include "ReportFormatters.h"

namespace {

constexpr int EXIT_NO_FILES = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_OUTPUT_FAILED = 3;

int failUsage(const std::string& csProblem)
{
    std::fprintf(stderr, "pindrel-report: %s\n%.*s\n", csProblem.c_str(), static_cast<int>(REPORT_USAGE.size()),
        REPORT_USAGE.data());
    return EXIT_USAGE;
}

[[nodiscard]] bool writeStdout(const std::string& csText)
{
    return std::fwrite(csText.data(), 1, csText.size(), stdout) == csText.size() && std::fflush(stdout) == 0;
}

LineCounters countFiles(const std::vector<const std::string*>& files)
{
    std::optional<ProgressBar> progress;
    if (::isatty(STDERR_FILENO))
        progress.emplace(stderr, files.size());
    return CountFilesInParallel(files, DefaultThreadCount(), [&progress](std::size_t nDone) {
        if (progress)
            progress->Update(nDone);
    });
}

int runReport(const ReportArguments& arguments)
{
    ReportSummary summary;
    summary.projects = CollectProjects(arguments.directories);
    const std::vector<const std::string*> files = CollectedFiles(summary.projects.size());
    summary.nFiles = files.size();
    if (files.empty()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(NO_VALID_FILES_MESSAGE.size()), NO_VALID_FILES_MESSAGE.data());
        return EXIT_NO_FILES;
    }
    summary.counters = countFiles(files);
    summary.report = BuildReport(summary.counters);

    if (arguments.csHtmlPath) {
        const FileStatus status = WriteHtmlReport(*arguments.csHtmlPath, summary.report);
        if (!status) {
            std::fprintf(stderr, "pindrel-report: %s\n", DescribeFileFailure(*status.failure).c_str());
            return EXIT_OUTPUT_FAILED;
        }
    }
    if (!writeStdout(FormatReport(arguments.format, summary))) {
        std::perror("pindrel-report: cannot write the report");
        return EXIT_OUTPUT_FAILED;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const ArgumentParse parse = ParseReportArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (!parse.Ok())
            return failUsage(parse.csError);
        if (parse.arguments.bHelp)
            return writeStdout(ReportHelpText()) ? 0 : EXIT_OUTPUT_FAILED;
        if (parse.arguments.bVersion)
            return writeStdout(ReportVersionText() + "\n") ? 0 : EXIT_OUTPUT_FAILED;
        return runReport(parse.arguments);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pindrel-report: %s\n", e.what());
        return EXIT_OUTPUT_FAILED;
    }
}
