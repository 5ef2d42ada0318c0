// pindrel-report: the counting engine's report for directories named on the command line.
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <exception>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "CollectSourceFiles.h"
#include "FileFailureText.h"
#include "HistoryReport.h"
#include "HtmlExport.h"
#include "JsonReport.h"
#include "ParallelCount.h"
#include "ProgressBar.h"
#include "ProjectCollection.h"
#include "ProjectCounting.h"
#include "ReportArguments.h"
#include "ReportComparison.h"
#include "ReportModel.h"
#include "ReportTime.h"
#include "TextReport.h"
#include "TsvReport.h"

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

// The --html page's folder must exist before the count starts, not be found missing after it.
std::optional<FileFailure> htmlFolderProblem(const std::string& csPath)
{
    const std::size_t nSlash = csPath.rfind('/');
    const std::string csFolder = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : csPath.substr(0, nSlash);
    struct stat st {};
    const int nErrno = ::stat(csFolder.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (nErrno == 0)
        return std::nullopt;
    return FileFailure { FileFailureKind::CannotWrite, csPath, nErrno };
}

// Collects and counts every project; a terminal sees a progress bar meanwhile.
LineCounters collectAndCount(std::vector<ProjectRun>& projects, CountingRules rules)
{
    std::string csWarning;
    const unsigned nThreads = DefaultThreadCount(&csWarning);
    if (!csWarning.empty())
        std::fprintf(stderr, "pindrel-report: %s\n", csWarning.c_str());
    std::optional<ProgressBar> progress;
    if (::isatty(STDERR_FILENO))
        progress.emplace(stderr, 0);
    return CollectAndCountProjects(
        projects, nThreads,
        [&progress](std::size_t nDone, std::size_t nKnown) {
            if (progress) {
                progress->SetTotal(nKnown);
                progress->Update(nDone);
            }
        },
        rules);
}

std::string writeReport(OutputFormat format, const ReportModel& model)
{
    switch (format) {
    case OutputFormat::Tsv:
        return WriteTsvReport(model);
    case OutputFormat::Json:
        return WriteJsonReport(model);
    case OutputFormat::Text:
        break;
    }
    return WriteTextReport(model);
}

// The page when asked for, then the report on standard output.
int writeOutputs(const ReportArguments& arguments, const ReportModel& model)
{
    if (arguments.csHtmlPath) {
        const FileStatus status = WriteHtmlReport(*arguments.csHtmlPath, model);
        if (!status) {
            std::fprintf(stderr, "pindrel-report: %s\n", DescribeFileFailure(*status.failure).c_str());
            return EXIT_OUTPUT_FAILED;
        }
    }
    if (!writeStdout(writeReport(arguments.format, model))) {
        std::perror("pindrel-report: cannot write the report");
        return EXIT_OUTPUT_FAILED;
    }
    return 0;
}

int runReport(const ReportArguments& arguments)
{
    // Everything that can make the run pointless is checked before counting.
    std::optional<SavedReport> before;
    if (arguments.csComparePath) {
        SavedReportLoad load = LoadSavedReport(*arguments.csComparePath);
        if (!load.Ok()) {
            std::fprintf(stderr, "pindrel-report: %s\n", load.csError.c_str());
            return EXIT_USAGE;
        }
        if (load.report.rules != arguments.rules) {
            const std::string csProblem = *arguments.csComparePath + ": a report under the "
                + std::string(CountingRulesName(load.report.rules)) + " rules cannot be compared with one under the "
                + std::string(CountingRulesName(arguments.rules)) + " rules";
            std::fprintf(stderr, "pindrel-report: %s\n", csProblem.c_str());
            return EXIT_USAGE;
        }
        before = std::move(load.report);
    }
    if (arguments.csHtmlPath) {
        if (const std::optional<FileFailure> failure = htmlFolderProblem(*arguments.csHtmlPath)) {
            std::fprintf(stderr, "pindrel-report: %s\n", DescribeFileFailure(*failure).c_str());
            return EXIT_OUTPUT_FAILED;
        }
    }
    std::string csError;
    const std::optional<std::time_t> time = ReportTime(csError);
    if (!time) {
        std::fprintf(stderr, "pindrel-report: %s\n", csError.c_str());
        return EXIT_USAGE;
    }
    if (arguments.historyPoints) {
        HistoryBuild history = BuildHistoryReport(
            arguments, { arguments.rules, false, FormatIsoUtc(*time), FormatPageDate(*time) });
        if (!history.model) {
            std::fprintf(stderr, "pindrel-report: %s\n", history.csError.c_str());
            return EXIT_USAGE;
        }
        return writeOutputs(arguments, *history.model);
    }

    std::vector<ProjectRun> projects = ProjectsOf(arguments.directories);
    const LineCounters counters = collectAndCount(projects, arguments.rules);
    for (const std::string& csMessage : ListErrorMessages(projects))
        std::fprintf(stderr, "%s\n", csMessage.c_str());
    const ReportSettings settings { arguments.rules, arguments.bByProject, FormatIsoUtc(*time), FormatPageDate(*time) };
    const ReportModel model = BuildReportModel(std::move(projects), counters, settings, std::move(before));
    if (const std::string csUnread = UnreadableFoldersMessage(model.unreadable); !csUnread.empty())
        std::fprintf(stderr, "%s\n", csUnread.c_str());
    if (model.nFiles == 0) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(NO_VALID_FILES_MESSAGE.size()), NO_VALID_FILES_MESSAGE.data());
        return EXIT_NO_FILES;
    }

    return writeOutputs(arguments, model);
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const ArgumentParse parse = ParseReportArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (!parse.Ok())
            return failUsage(parse.csError);
        if (parse.arguments.bHelp || parse.arguments.bVersion) {
            if (writeStdout(parse.arguments.bHelp ? ReportHelpText() : ReportVersionText() + "\n"))
                return 0;
            std::perror("pindrel-report: cannot write the text");
            return EXIT_OUTPUT_FAILED;
        }
        return runReport(parse.arguments);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pindrel-report: %s\n", e.what());
        return EXIT_OUTPUT_FAILED;
    }
}
