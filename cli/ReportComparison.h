#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "CountingRules.h"
#include "LineCounters.h"
#include "ProjectRun.h"

// The seven counters by the names reports give them.
struct CounterField
{
    const char* pszName;
    std::int64_t LineCounters::*pMember;
};

inline constexpr std::array<CounterField, 7> COUNTER_FIELDS { {
    { "nTotalLines", &LineCounters::nTotalLines },
    { "nCommentLines", &LineCounters::nCommentLines },
    { "nCodeLines", &LineCounters::nCodeLines },
    { "nCodeOnlyLines", &LineCounters::nCodeOnlyLines },
    { "nEmptyLines", &LineCounters::nEmptyLines },
    { "nCodeChars", &LineCounters::nCodeChars },
    { "nTotalChars", &LineCounters::nTotalChars },
} };

// The counter only reports under the syntax rules name.
inline constexpr CounterField DISABLED_LINES_FIELD { "nDisabledLines", &LineCounters::nDisabledLines };

// One project of a saved report. Reports written without --by-project hold no
// counters per project.
struct SavedProject
{
    std::string csDirectory; // as the JSON holds it: valid UTF-8
    std::size_t nFiles = 0;
    std::optional<LineCounters> counters;
};

// What a report's collection was limited to.
struct SavedScope
{
    bool bGitignore = false;
    std::vector<std::string> excludePatterns; // as the JSON holds them: valid UTF-8
};

// A report that pindrel-report --json wrote earlier.
struct SavedReport
{
    std::optional<std::string> csGenerated; // reports of older versions carry no date
    CountingRules rules = CountingRules::Simple; // reports of older versions name none: they counted simply
    std::size_t nFiles = 0;
    LineCounters counters;
    std::vector<SavedProject> projects;
    SavedScope scope; // reports of older versions name none: they were not limited
};

struct SavedReportLoad
{
    SavedReport report;
    std::string csError; // "PATH: problem" when the file is no usable report

    [[nodiscard]] bool Ok() const { return csError.empty(); }
};

// Reads and checks a saved report: missing, unreadable, not JSON or not a
// Pindrel report each give a one-line reason naming the file.
[[nodiscard]] SavedReportLoad LoadSavedReport(const std::string& csPath);

// The same check over text already read; csName names it in the error.
[[nodiscard]] SavedReportLoad ParseSavedReport(const std::string& csText, const std::string& csName);

enum class ProjectChange {
    Added,
    Removed,
    Changed,
    Unchanged,
    FilesUnchanged, // the same number of files, but the old report kept no lines to compare
};

// A project of either run, matched by its directory text; the k-th project
// named D now meets the k-th project named D before.
struct ProjectComparison
{
    std::string csDirectory;
    ProjectChange change = ProjectChange::Unchanged;
    const ProjectRun* pNow = nullptr; // null when removed
    const SavedProject* pBefore = nullptr; // null when added
};

// The projects in today's order, then the removed ones in their old order.
[[nodiscard]] std::vector<ProjectComparison> CompareProjects(
    const std::vector<ProjectRun>& now, const std::vector<SavedProject>& before);

// "added", "removed", "changed", "unchanged" or "files unchanged".
[[nodiscard]] const char* ProjectChangeName(ProjectChange change);

// "pindrel-report: warning: PATH was made with another scope (then: …; now: …); …" when
// the saved report's scope differs from now's, else empty. Patterns count as a set.
[[nodiscard]] std::string ScopeChangeWarning(
    const std::string& csPath, const SavedScope& before, const SavedScope& now);

// "+120", "-3", "0".
[[nodiscard]] std::string SignedText(std::int64_t nValue);
