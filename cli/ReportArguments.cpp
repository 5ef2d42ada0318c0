#include "ReportArguments.h"

#include "PindrelVersion.h"
#include "ProjectFileLists.h"

namespace {

void chooseFormat(ReportArguments& arguments, OutputFormat format, std::string& csError)
{
    if (arguments.format != OutputFormat::Text && arguments.format != format) {
        csError = "--tsv and --json cannot be combined";
        return;
    }
    arguments.format = format;
}

void setHtmlPath(ReportArguments& arguments, std::string csPath, std::string& csError)
{
    if (arguments.csHtmlPath) {
        csError = "--html can be given only once";
        return;
    }
    if (csPath.empty()) {
        csError = "--html needs a file name";
        return;
    }
    arguments.csHtmlPath = std::move(csPath);
}

} // namespace

ArgumentParse ParseReportArguments(const std::vector<std::string>& args)
{
    ArgumentParse parse;
    ReportArguments& arguments = parse.arguments;
    std::string& csError = parse.csError;
    bool bOptionsEnded = false;
    for (std::size_t i = 0; i < args.size() && csError.empty(); ++i) {
        const std::string& csArg = args[i];
        if (bOptionsEnded || csArg == "-" || !csArg.starts_with('-')) {
            arguments.directories.push_back(csArg);
        } else if (csArg == "--") {
            bOptionsEnded = true;
        } else if (csArg == "--tsv") {
            chooseFormat(arguments, OutputFormat::Tsv, csError);
        } else if (csArg == "--json") {
            chooseFormat(arguments, OutputFormat::Json, csError);
        } else if (csArg == "--html") {
            if (i + 1 == args.size())
                csError = "--html needs a file name";
            else
                setHtmlPath(arguments, args[++i], csError);
        } else if (csArg.starts_with("--html=")) {
            setHtmlPath(arguments, csArg.substr(7), csError);
        } else if (csArg == "--help" || csArg == "-h") {
            arguments.bHelp = true;
        } else if (csArg == "--version") {
            arguments.bVersion = true;
        } else {
            csError = "unknown option '" + csArg + "'";
        }
    }
    if (!csError.empty() || arguments.bHelp || arguments.bVersion)
        return parse;
    if (arguments.directories.empty())
        csError = "no directory given";
    else if (arguments.directories.size() > static_cast<std::size_t>(MAX_PROJECTS))
        csError = "too many directories (" + std::to_string(arguments.directories.size())
            + "): one report takes at most " + std::to_string(MAX_PROJECTS) + " projects";
    return parse;
}

std::string ReportHelpText()
{
    std::string csHelp(REPORT_USAGE);
    csHelp += R"(
Counts the lines of the C/C++ files (*.h*, *.c*) below each DIRECTORY, one project
per directory (at most 500), and prints one report over all of them.

  --tsv        eight lines of five tab-separated cells
  --json       files, projects, counters and rows as JSON
  --html FILE  also write the report as an HTML page
  --help       show this text
  --version    show the version

Exit status: 0 report printed, 1 no matching file found, 2 bad usage,
3 the output could not be written.
Environment: )";
    csHelp += THREADS_VARIABLE;
    csHelp += "=N counts with N threads (default: one per core).\n";
    return csHelp;
}

std::string ReportVersionText()
{
    return "pindrel-report " PINDREL_VERSION_SHORT " (build " PINDREL_VERSION_BUILD_TEXT ")";
}
