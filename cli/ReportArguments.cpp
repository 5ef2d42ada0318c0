#include "ReportArguments.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>

#include <CLI/CLI.hpp>

#include "PindrelVersion.h"
#include "ProjectFileLists.h"

namespace {

// CLI11 reads "--html=" like a bare "--html", which then takes the next word, and "--tsv=x" like "--tsv". A NUL
// after every value given with '=' keeps them apart: no command-line argument can hold one.
constexpr char AFTER_EQUALS = '\0';

// What one occurrence of an option was given: its value, and whether it came after '='.
struct OptionValue
{
    std::string csText;
    bool bAfterEquals = false;

    explicit OptionValue(std::string csGiven)
        : csText(std::move(csGiven))
    {
        bAfterEquals = !csText.empty() && csText.back() == AFTER_EQUALS;
        if (bAfterEquals)
            csText.pop_back();
    }
};

// Reads the command line through CLI11 and words each mistake itself. The first mistake in the order of the words
// is the one named, as CLI11 meets them: an option's handler runs when CLI11 reaches it, and the words CLI11 sets
// aside (directories, "--", unknown options) are kept in their order.
class CommandLine
{
public:
    explicit CommandLine(ArgumentParse& parse);

    void Read(const std::vector<std::string>& args);

private:
    // --name alone.
    void flag(const char* pszName, std::function<void()> fnTake);
    // --name WORD (whatever the word looks like) or --name=WORD; pszNeeds ends "--name needs ...".
    void valued(const char* pszName, const char* pszNeeds, std::function<void(std::string)> fnTake);
    // --name, or --name=VALUE: a word after a bare --name is not its value.
    void optionalValue(const char* pszName, std::function<void(std::optional<std::string>)> fnTake);
    // Runs a handler unless an earlier word was a mistake.
    void handle(const std::function<void()>& fnHandler);
    void fail(std::string csProblem);
    // The first word before "--" that looks like an option CLI11 does not know.
    [[nodiscard]] std::optional<std::string> firstUnknownOption() const;
    // What the option csWord needs as its next word ("a file name"), or null if it takes none.
    [[nodiscard]] const char* nextWordNeededBy(const std::string& csWord) const;
    [[nodiscard]] std::vector<std::string> markValuesAfterEquals(const std::vector<std::string>& args) const;
    void takeWordsLeft();
    void setPath(std::optional<std::string>& csTarget, const char* pszOption, std::string csPath);
    void chooseFormat(OutputFormat format);
    void takeHistory(const std::optional<std::string>& csPoints);

    ReportArguments& m_arguments;
    std::string& m_csError;
    CLI::App m_app;
    std::vector<std::string> m_optionNames;
    std::vector<std::pair<std::string, const char*>> m_wordTakers; // options taking the next word, and its kind
};

CommandLine::CommandLine(ArgumentParse& parse)
    : m_arguments(parse.arguments)
    , m_csError(parse.csError)
{
    // The help text is ReportHelpText's; -h is read among the words left, so that "-hx" stays one unknown word.
    m_app.set_help_flag();
    m_app.allow_extras();

    flag("--tsv", [this] { chooseFormat(OutputFormat::Tsv); });
    flag("--json", [this] { chooseFormat(OutputFormat::Json); });
    flag("--by-project", [this] { m_arguments.bByProject = true; });
    flag("--syntax", [this] { m_arguments.rules = CountingRules::Syntax; });
    flag("--gitignore", [this] { m_arguments.bGitignore = true; });
    flag("--help", [this] { m_arguments.bHelp = true; });
    flag("--version", [this] { m_arguments.bVersion = true; });
    valued("--html", "a file name",
        [this](std::string csPath) { setPath(m_arguments.csHtmlPath, "--html", std::move(csPath)); });
    valued("--compare", "a file name",
        [this](std::string csPath) { setPath(m_arguments.csComparePath, "--compare", std::move(csPath)); });
    valued("--exclude", "a pattern", [this](std::string csPattern) {
        if (csPattern.empty())
            fail("--exclude needs a pattern");
        else
            m_arguments.excludePatterns.push_back(std::move(csPattern));
    });
    optionalValue("--history", [this](const std::optional<std::string>& csPoints) { takeHistory(csPoints); });
}

void CommandLine::flag(const char* pszName, std::function<void()> fnTake)
{
    m_optionNames.emplace_back(pszName);
    m_app.add_flag(pszName)->trigger_on_parse()->each([this, pszName, fnTake](const std::string& csGiven) {
        handle([&] {
            const OptionValue value(csGiven);
            if (value.bAfterEquals)
                fail("unknown option '" + std::string(pszName) + "=" + value.csText + "'");
            else
                fnTake();
        });
    });
}

void CommandLine::valued(const char* pszName, const char* pszNeeds, std::function<void(std::string)> fnTake)
{
    m_optionNames.emplace_back(pszName);
    m_wordTakers.emplace_back(pszName, pszNeeds);
    // One value per occurrence: CLI11 would take the following words too, and would split "[a,b]" into a list.
    m_app.add_option(pszName)->trigger_on_parse()->allow_extra_args(false)->each(
        [this, fnTake](const std::string& csGiven) { handle([&] { fnTake(OptionValue(csGiven).csText); }); });
}

void CommandLine::optionalValue(const char* pszName, std::function<void(std::optional<std::string>)> fnTake)
{
    m_optionNames.emplace_back(pszName);
    m_app.add_flag(pszName)->trigger_on_parse()->each([this, fnTake](const std::string& csGiven) {
        handle([&] {
            OptionValue value(csGiven);
            fnTake(value.bAfterEquals ? std::optional<std::string>(std::move(value.csText)) : std::nullopt);
        });
    });
}

void CommandLine::handle(const std::function<void()>& fnHandler)
{
    if (!m_csError.empty())
        return;
    if (const std::optional<std::string> csUnknown = firstUnknownOption()) {
        fail("unknown option '" + *csUnknown + "'");
        return;
    }
    fnHandler();
}

void CommandLine::fail(std::string csProblem)
{
    if (m_csError.empty())
        m_csError = std::move(csProblem);
}

std::optional<std::string> CommandLine::firstUnknownOption() const
{
    for (const std::string& csWord : m_app.remaining()) {
        if (csWord == "--")
            break;
        if (csWord.starts_with('-') && csWord != "-" && csWord != "-h")
            return csWord;
    }
    return std::nullopt;
}

const char* CommandLine::nextWordNeededBy(const std::string& csWord) const
{
    const auto taker = std::ranges::find(m_wordTakers, csWord, &std::pair<std::string, const char*>::first);
    return taker != m_wordTakers.end() ? taker->second : nullptr;
}

std::vector<std::string> CommandLine::markValuesAfterEquals(const std::vector<std::string>& args) const
{
    std::vector<std::string> marked = args;
    for (std::size_t i = 0; i < marked.size() && marked[i] != "--"; ++i) {
        std::string& csWord = marked[i];
        if (nextWordNeededBy(csWord)) {
            ++i; // its value, even one that starts with '-'
            continue;
        }
        const std::size_t nEquals = csWord.find('=');
        if (csWord.starts_with("--") && nEquals != std::string::npos
            && std::ranges::find(m_optionNames, csWord.substr(0, nEquals)) != m_optionNames.end())
            csWord += AFTER_EQUALS;
    }
    return marked;
}

void CommandLine::Read(const std::vector<std::string>& args)
{
    std::vector<std::string> reversed = markValuesAfterEquals(args);
    std::reverse(reversed.begin(), reversed.end()); // the order CLI11's parse takes
    try {
        m_app.parse(std::move(reversed));
    } catch (const CLI::ArgumentMismatch&) {
        // The one way CLI11 runs short of a value here: an option that takes the next word is the last word.
        const char* const pszNeeds = nextWordNeededBy(args.back());
        handle([&] { fail(args.back() + " needs " + (pszNeeds ? pszNeeds : "a value")); });
    } catch (const CLI::ParseError& error) {
        handle([&] { fail(error.what()); });
    }
    takeWordsLeft();
}

void CommandLine::takeWordsLeft()
{
    if (const std::optional<std::string> csUnknown = firstUnknownOption())
        fail("unknown option '" + *csUnknown + "'");
    if (!m_csError.empty())
        return;
    bool bOptionsEnded = false;
    for (std::string& csWord : m_app.remaining()) {
        if (bOptionsEnded)
            m_arguments.directories.push_back(std::move(csWord));
        else if (csWord == "--")
            bOptionsEnded = true;
        else if (csWord == "-h")
            m_arguments.bHelp = true;
        else
            m_arguments.directories.push_back(std::move(csWord));
    }
}

void CommandLine::chooseFormat(OutputFormat format)
{
    if (m_arguments.format != OutputFormat::Text && m_arguments.format != format) {
        fail("--tsv and --json cannot be combined");
        return;
    }
    m_arguments.format = format;
}

void CommandLine::setPath(std::optional<std::string>& csTarget, const char* pszOption, std::string csPath)
{
    if (csTarget)
        fail(std::string(pszOption) + " can be given only once");
    else if (csPath.empty())
        fail(std::string(pszOption) + " needs a file name");
    else
        csTarget = std::move(csPath);
}

void CommandLine::takeHistory(const std::optional<std::string>& csPoints)
{
    if (m_arguments.historyPoints) {
        fail("--history can be given only once");
        return;
    }
    if (!csPoints) {
        m_arguments.historyPoints = DEFAULT_HISTORY_POINTS;
        return;
    }
    std::size_t nPoints = 0;
    const char* const pszEnd = csPoints->data() + csPoints->size();
    const auto [pszStop, error] = std::from_chars(csPoints->data(), pszEnd, nPoints);
    if (error == std::errc::result_out_of_range && pszStop == pszEnd)
        fail("--history=" + *csPoints + ": more commits than can be counted (at most "
            + std::to_string(std::numeric_limits<std::size_t>::max()) + ")");
    else if (error != std::errc() || pszStop != pszEnd || nPoints == 0)
        fail("--history=N takes a whole number of commits from 1 up, not '" + *csPoints + "'");
    else
        m_arguments.historyPoints = nPoints;
}

} // namespace

ArgumentParse ParseReportArguments(const std::vector<std::string>& args)
{
    ArgumentParse parse;
    CommandLine(parse).Read(args);
    ReportArguments& arguments = parse.arguments;
    std::string& csError = parse.csError;
    if (!csError.empty() || arguments.bHelp || arguments.bVersion)
        return parse;
    if (arguments.csComparePath && arguments.format == OutputFormat::Tsv)
        csError = "--compare works with the text and --json outputs, not --tsv";
    else if (arguments.historyPoints && arguments.csComparePath)
        csError = "--history cannot be combined with --compare";
    else if (arguments.historyPoints && arguments.bByProject)
        csError = "--history cannot be combined with --by-project";
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
  --exclude PATTERN  leave out what PATTERN matches (may be repeated): a
                     pattern without / matches a file or folder name at any
                     depth, one with / the path below the DIRECTORY, where *
                     does not cross / and ** does; an excluded folder is not
                     read at all
  --gitignore        count only the files git would list: the tracked ones
                     and the untracked ones it does not ignore; a DIRECTORY
                     outside a git work tree is counted whole, with a line
                     on standard error saying so
  --history[=N]      how the code grew: up to N commits (50 without N) of the
                     first-parent history of HEAD, spread evenly over time,
                     counted from the repository without a checkout; one row
                     per commit, and a stacked area chart with --html.
                     Implies --gitignore; not with --compare or --by-project
  --help             show this text
  --version          show the version

Exit status: 0 report printed, 1 no matching file found, 2 bad usage, an
OLD.json that cannot be read or a DIRECTORY without a readable git history
(--history), 3 the output could not be written.
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
