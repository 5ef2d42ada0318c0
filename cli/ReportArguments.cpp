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

void setPath(std::optional<std::string>& csTarget, const char* pszOption, std::string csPath, std::string& csError)
{
    if (csTarget) {
        csError = std::string(pszOption) + " can be given only once";
        return;
    }
    if (csPath.empty()) {
        csError = std::string(pszOption) + " needs a file name";
        return;
    }
    csTarget = std::move(csPath);
}

// "--html FILE" or "--html=FILE"; false when csArg is not this option.
bool takePathOption(const std::vector<std::string>& args, std::size_t& i, const char* pszOption,
    std::optional<std::string>& csTarget, std::string& csError)
{
    const std::string& csArg = args[i];
    const std::string csWithEquals = std::string(pszOption) + "=";
    if (csArg == pszOption) {
        if (i + 1 == args.size())
            csError = std::string(pszOption) + " needs a file name";
        else
            setPath(csTarget, pszOption, args[++i], csError);
        return true;
    }
    if (csArg.starts_with(csWithEquals)) {
        setPath(csTarget, pszOption, csArg.substr(csWithEquals.size()), csError);
        return true;
    }
    return false;
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
        } else if (csArg == "--by-project") {
            arguments.bByProject = true;
        } else if (csArg == "--syntax") {
            arguments.rules = CountingRules::Syntax;
        } else if (takePathOption(args, i, "--html", arguments.csHtmlPath, csError)
            || takePathOption(args, i, "--compare", arguments.csComparePath, csError)) {
            // taken, with its file name
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
    if (arguments.csComparePath && arguments.format == OutputFormat::Tsv)
        csError = "--compare works with the text and --json outputs, not --tsv";
    else if (arguments.directories.empty())
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

  --tsv              one line of five tab-separated cells per row
  --json             version, date, rules, files, projects, counters and rows
                     as JSON
  --html FILE        also write the report as an HTML page: the table, a ring
                     chart of the kinds of line, and the projects counted
  --by-project       each project's own report first, then the total; --tsv
                     puts the directory (or * for the total) before each row,
                     --json gives each project its counters and rows
  --compare OLD.json also show what changed since a report --json wrote:
                     files and counters before, now and the change, and the
                     rows' percentages; with --by-project, the projects added,
                     removed and changed (matched by directory)
  --syntax           count by C and C++ syntax instead of the simple rules
                     (only // marks a comment): block comments, string and
                     character literals, raw strings, line splices and
                     #if 0 groups; the report gains the row # disabled lines.
                     Reports under different rules are not compared
  --help             show this text
  --version          show the version

Exit status: 0 report printed, 1 no matching file found, 2 bad usage or an
OLD.json that cannot be read, 3 the output could not be written.
Environment: )";
    csHelp += THREADS_VARIABLE;
    csHelp += "=N counts with N threads (default: one per core).\n             ";
    csHelp += DATE_VARIABLE;
    csHelp += "=SECONDS dates the report (--json, --html) at that time\n"
              "             since 1970 instead of now, for reproducible output.\n";
    return csHelp;
}

std::string ReportVersionNumber()
{
    return PINDREL_VERSION_FULL;
}

std::string ReportVersionText()
{
    return "pindrel-report " PINDREL_VERSION_SHORT " (build " PINDREL_VERSION_BUILD_TEXT ")";
}
