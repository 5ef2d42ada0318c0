#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CountingRules.h"

enum class OutputFormat {
    Text, // a table aligned for a terminal
    Tsv, // one line of five tab-separated cells per row
    Json,
};

struct ReportArguments
{
    OutputFormat format = OutputFormat::Text;
    CountingRules rules = CountingRules::Simple; // --syntax: lex C and C++
    std::vector<std::string> directories; // one project each, in selection order
    std::optional<std::string> csHtmlPath;
    std::optional<std::string> csComparePath; // a report --json wrote earlier
    bool bByProject = false;
    std::vector<std::string> excludePatterns; // --exclude, in the order given
    bool bGitignore = false; // --gitignore: only the files git would list
    std::optional<std::size_t> historyPoints; // --history[=N]: how many commits to pick; none without it
    bool bHelp = false;
    bool bVersion = false;
};

struct ArgumentParse
{
    ReportArguments arguments;
    std::string csError; // empty when the command line is usable

    [[nodiscard]] bool Ok() const { return csError.empty(); }
};

inline constexpr std::string_view REPORT_USAGE
    = "usage: pindrel-report [--tsv | --json] [--html FILE] [--by-project] [--compare OLD.json] [--syntax] "
      "[--exclude PATTERN]... [--gitignore] [--history[=N]] DIRECTORY...";

// The number of commits --history picks when it is given no N.
inline constexpr std::size_t DEFAULT_HISTORY_POINTS = 50;

// Names the environment variable that fixes the number of counting threads.
inline constexpr const char* THREADS_VARIABLE = "PINDREL_REPORT_THREADS";

// Names the environment variable that fixes the date a report carries.
inline constexpr const char* DATE_VARIABLE = "SOURCE_DATE_EPOCH";

// Parses the command line after the program name. --help and --version need no directory.
[[nodiscard]] ArgumentParse ParseReportArguments(const std::vector<std::string>& args);

// The text --help prints: usage, options, exit codes.
[[nodiscard]] std::string ReportHelpText();

// "pindrel-report MAJOR.MINOR (build N)".
[[nodiscard]] std::string ReportVersionText();

// "MAJOR.MINOR.PATCH.BUILD", as reports written by --json carry it.
[[nodiscard]] std::string ReportVersionNumber();
