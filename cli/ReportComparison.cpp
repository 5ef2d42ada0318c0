#include "ReportComparison.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "FileHandle.h"
#include "Utf8Text.h"

namespace {

using Json = nlohmann::json;

// Far above the report of 500 projects (about 1 MB): a bigger file is something else.
constexpr std::size_t MAX_REPORT_BYTES = 64u << 20;

// A count: a whole number from 0 up to the largest the counters hold.
bool readCount(const Json& object, const char* pszKey, std::int64_t& nValue)
{
    const auto it = object.find(pszKey);
    if (it == object.end() || !it->is_number_unsigned()
        || it->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    nValue = static_cast<std::int64_t>(it->get<std::uint64_t>());
    return true;
}

// The seven counts; nDisabledLines too where a report under the syntax rules gives it.
bool readCounters(const Json& value, LineCounters& counters)
{
    if (!value.is_object())
        return false;
    for (const CounterField& field : COUNTER_FIELDS) {
        if (!readCount(value, field.pszName, counters.*field.pMember))
            return false;
    }
    return !value.contains(DISABLED_LINES_FIELD.pszName)
        || readCount(value, DISABLED_LINES_FIELD.pszName, counters.*DISABLED_LINES_FIELD.pMember);
}

bool readRules(const Json& document, CountingRules& rules)
{
    const auto it = document.find("rules");
    if (it == document.end())
        return true;
    for (const CountingRules known : { CountingRules::Simple, CountingRules::Syntax }) {
        if (it->is_string() && it->get<std::string>() == CountingRulesName(known)) {
            rules = known;
            return true;
        }
    }
    return false;
}

bool readScope(const Json& document, SavedScope& scope)
{
    const auto it = document.find("scope");
    if (it == document.end())
        return true;
    if (!it->is_object())
        return false;
    const auto gitignore = it->find("gitignore");
    const auto exclude = it->find("exclude");
    if (gitignore == it->end() || !gitignore->is_boolean() || exclude == it->end() || !exclude->is_array())
        return false;
    scope.bGitignore = gitignore->get<bool>();
    for (const Json& pattern : *exclude) {
        if (!pattern.is_string())
            return false;
        scope.excludePatterns.push_back(pattern.get<std::string>());
    }
    return true;
}

// The patterns as a set, in the form a saved report holds them.
std::vector<std::string> patternSet(const std::vector<std::string>& patterns)
{
    std::vector<std::string> set;
    for (const std::string& csPattern : patterns)
        set.push_back(ToValidUtf8(csPattern));
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    return set;
}

std::string scopeText(const SavedScope& scope)
{
    std::string csText = scope.bGitignore ? ".gitignore" : "";
    if (!scope.excludePatterns.empty()) {
        csText += csText.empty() ? "exclude " : " and exclude ";
        for (std::size_t i = 0; i < scope.excludePatterns.size(); ++i)
            csText += (i > 0 ? ", " : "") + scope.excludePatterns[i];
    }
    return csText.empty() ? "whole directories" : csText;
}

// The reason the document is no report, or empty when it is one.
std::string readReport(const Json& document, SavedReport& report)
{
    const char* const pszNotReport = "not a Pindrel report";
    if (!document.is_object())
        return std::string(pszNotReport) + " (no JSON object)";
    std::int64_t nFiles = 0;
    if (!readCount(document, "files", nFiles))
        return std::string(pszNotReport) + " (no \"files\" count)";
    report.nFiles = static_cast<std::size_t>(nFiles);
    const auto counters = document.find("counters");
    if (counters == document.end() || !readCounters(*counters, report.counters))
        return std::string(pszNotReport) + " (no \"counters\" with the seven counts)";
    const auto projects = document.find("projects");
    if (projects == document.end() || !projects->is_array())
        return std::string(pszNotReport) + " (no \"projects\" list)";
    for (const Json& project : *projects) {
        SavedProject saved;
        const auto directory = project.is_object() ? project.find("directory") : project.end();
        if (directory == project.end() || !directory->is_string() || !readCount(project, "files", nFiles))
            return std::string(pszNotReport) + " (a project without \"directory\" or \"files\")";
        saved.csDirectory = directory->get<std::string>();
        saved.nFiles = static_cast<std::size_t>(nFiles);
        if (const auto own = project.find("counters"); own != project.end()) {
            saved.counters.emplace();
            if (!readCounters(*own, *saved.counters))
                return std::string(pszNotReport) + " (a project's \"counters\" lack a count)";
        }
        report.projects.push_back(std::move(saved));
    }
    if (!readRules(document, report.rules))
        return std::string(pszNotReport) + " (\"rules\" is neither \"simple\" nor \"syntax\")";
    if (!readScope(document, report.scope))
        return std::string(pszNotReport) + " (\"scope\" without \"gitignore\" and \"exclude\")";
    if (const auto generated = document.find("generated"); generated != document.end()) {
        if (!generated->is_string())
            return std::string(pszNotReport) + " (\"generated\" is no date)";
        report.csGenerated = generated->get<std::string>();
    }
    return {};
}

// A report written without --by-project kept only file counts per project: equal ones prove no lines equal.
ProjectChange changeOf(const ProjectRun& now, const SavedProject& before)
{
    if (now.files.size() != before.nFiles)
        return ProjectChange::Changed;
    if (!before.counters)
        return ProjectChange::FilesUnchanged;
    return *before.counters == now.counters ? ProjectChange::Unchanged : ProjectChange::Changed;
}

} // namespace

SavedReportLoad ParseSavedReport(const std::string& csText, const std::string& csName)
{
    SavedReportLoad load;
    const Json document = Json::parse(csText, nullptr, false);
    if (document.is_discarded()) {
        load.csError = csName + ": not JSON";
        return load;
    }
    const std::string csProblem = readReport(document, load.report);
    if (!csProblem.empty())
        load.csError = csName + ": " + csProblem;
    return load;
}

SavedReportLoad LoadSavedReport(const std::string& csPath)
{
    SavedReportLoad load;
    const auto fail = [&](const std::string& csProblem) {
        load.csError = csPath + ": " + csProblem;
        return load;
    };
    // Non-blocking, so that a FIFO nobody writes is refused here instead of hanging the first read.
    const FileHandle file(::open(csPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0)
        return fail(std::strerror(errno));
    struct stat st = {};
    if (::fstat(file.Get(), &st) != 0)
        return fail(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return fail(std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode))
        return fail("not a regular file");
    std::string csText;
    char acBuffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.Get(), acBuffer, sizeof acBuffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(std::strerror(errno));
        if (n == 0)
            break;
        csText.append(acBuffer, static_cast<std::size_t>(n));
        if (csText.size() > MAX_REPORT_BYTES)
            return fail("too large to be a Pindrel report");
    }
    return ParseSavedReport(csText, csPath);
}

std::vector<ProjectComparison> CompareProjects(
    const std::vector<ProjectRun>& now, const std::vector<SavedProject>& before)
{
    // Per directory text, the old projects not yet matched, in their order.
    std::map<std::string, std::vector<const SavedProject*>> unmatched;
    for (auto it = before.rbegin(); it != before.rend(); ++it)
        unmatched[it->csDirectory].push_back(&*it);
    std::vector<ProjectComparison> comparisons;
    for (const ProjectRun& project : now) {
        // The saved report holds the directory as valid UTF-8; compare like with like.
        ProjectComparison comparison { ToValidUtf8(project.csDirectory), ProjectChange::Added, &project, nullptr };
        std::vector<const SavedProject*>& candidates = unmatched[comparison.csDirectory];
        if (!candidates.empty()) {
            comparison.pBefore = candidates.back();
            candidates.pop_back();
            comparison.change = changeOf(project, *comparison.pBefore);
        }
        comparisons.push_back(std::move(comparison));
    }
    for (const SavedProject& project : before) {
        std::vector<const SavedProject*>& candidates = unmatched[project.csDirectory];
        if (std::find(candidates.begin(), candidates.end(), &project) != candidates.end())
            comparisons.push_back({ project.csDirectory, ProjectChange::Removed, nullptr, &project });
    }
    return comparisons;
}

const char* ProjectChangeName(ProjectChange change)
{
    switch (change) {
    case ProjectChange::Added:
        return "added";
    case ProjectChange::Removed:
        return "removed";
    case ProjectChange::Changed:
        return "changed";
    case ProjectChange::FilesUnchanged:
        return "files unchanged";
    case ProjectChange::Unchanged:
        break;
    }
    return "unchanged";
}

std::string ScopeChangeWarning(const std::string& csPath, const SavedScope& before, const SavedScope& now)
{
    if (before.bGitignore == now.bGitignore && patternSet(before.excludePatterns) == patternSet(now.excludePatterns))
        return {};
    return "pindrel-report: warning: " + csPath + " was made with another scope (then: " + scopeText(before)
        + "; now: " + scopeText(now) + "); the figures are compared anyway";
}

std::string SignedText(std::int64_t nValue)
{
    if (nValue <= 0)
        return std::to_string(nValue);
    // Appended rather than "+" + std::string&&, which GCC 12 misreads as an overlapping copy (-Wrestrict).
    std::string csText = "+";
    csText += std::to_string(nValue);
    return csText;
}
