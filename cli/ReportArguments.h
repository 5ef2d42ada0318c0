#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class OutputFormat {
    Text, // a table aligned for a terminal
    Tsv, // eight lines of five tab-separated cells
    Json,
};

struct ReportArguments
{
    OutputFormat format = OutputFormat::Text;
    std::vector<std::string> directories; // one project each, in selection order
    std::optional<std::string> csHtmlPath;
    bool bHelp = false;
    bool bVersion = false;
};

struct ArgumentParse
{
    ReportArguments arguments;
    std::string csError; // empty when the command line is usable

    [[nodiscard]] bool Ok() const { return csError.empty(); }
};

inline constexpr std::string_view REPORT_USAGE = "usage: pindrel-report [--tsv | --json] [--html FILE] DIRECTORY...";

// Names the environment variable that fixes the number of counting threads.
inline constexpr const char* THREADS_VARIABLE = "PINDREL_REPORT_THREADS";

// Parses the command line after the program name. --help and --version need no directory.
[[nodiscard]] ArgumentParse ParseReportArguments(const std::vector<std::string>& args);

// The text --help prints: usage, options, exit codes.
[[nodiscard]] std::string ReportHelpText();

// "pindrel-report MAJOR.MINOR (build N)".
[[nodiscard]] std::string ReportVersionText();
