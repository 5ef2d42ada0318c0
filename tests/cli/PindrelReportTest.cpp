#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "RunAsNobody.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace {

using Json = nlohmann::json;

ProcessResult runReport(std::vector<std::string> args, const std::vector<std::string>& env = {})
{
    args.insert(args.begin(), PINDREL_REPORT_PATH);
    return RunProcess(args, env);
}

// The fixture's app and lib projects, worked out by hand: main.cpp has 5 lines (4 code,
// one of them with a comment, 1 empty; 29 code characters of 36), main.h 3 (CR LF cut to
// LF; 1 comment-only, 22 of 29), util.c 3 (511 + 90 code characters and a blank line,
// 605), x.hpp one blank line of 4 characters.
const std::string APP_AND_LIB_TSV = "Code & comments\t8\t\t66\t% of total lines\n"
                                    "Code only\t7\t\t87\t% of Code & comments\n"
                                    "# lines\t12\t\t\t\n"
                                    "# lines with comments\t2\t\t25\t% of Code & comments\n"
                                    "# empty lines\t3\t\t25\t% of total lines\n"
                                    "# code characters\t\t652\t\t\n"
                                    "# characters / code line\t\t81\t\t\n"
                                    "% of code characters / # characters\t\t\t96\t\n";
const std::string APP_TABLE = "Results                              # Lines  # Characters   %  Comments\n"
                              "-----------------------------------  -------  ------------  --  --------------------\n"
                              "Code & comments                            8                72  % of total lines\n"
                              "Code only                                  7                87  % of Code & comments\n"
                              "# lines                                   11\n"
                              "# lines with comments                      2                25  % of Code & comments\n"
                              "# empty lines                              2                18  % of total lines\n"
                              "# code characters                                      652\n"
                              "# characters / code line                                81\n"
                              "% of code characters / # characters                         97\n";

// glibc's own decoder decides, rejecting overlong forms and surrogates.
bool isValidUtf8(const std::string& csText)
{
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::mbstate_t state {};
    for (std::size_t nPos = 0; nPos < csText.size();) {
        const std::size_t n = std::mbrtowc(nullptr, csText.data() + nPos, csText.size() - nPos, &state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2))
            return false;
        nPos += n == 0 ? 1 : n;
    }
    return true;
}

// Checks JSON grammar only; values are looked at through the text.
class JsonChecker
{
public:
    explicit JsonChecker(const std::string& csText)
        : m_csText(csText)
    {
    }
    bool Check() { return Value() && (Skip(), m_nPos == m_csText.size()); }

private:
    void Skip()
    {
        while (m_nPos < m_csText.size() && std::strchr(" \t\r\n", m_csText[m_nPos]))
            ++m_nPos;
    }
    bool Eat(char c)
    {
        Skip();
        return m_nPos < m_csText.size() && m_csText[m_nPos] == c && (++m_nPos, true);
    }
    bool Peek(char c)
    {
        Skip();
        return m_nPos < m_csText.size() && m_csText[m_nPos] == c;
    }
    bool String()
    {
        if (!Eat('"'))
            return false;
        while (m_nPos < m_csText.size() && m_csText[m_nPos] != '"') {
            const auto c = static_cast<unsigned char>(m_csText[m_nPos++]);
            if (c < 0x20)
                return false;
            if (c == '\\' && m_nPos < m_csText.size()) {
                const char cEscape = m_csText[m_nPos++];
                if (cEscape == 'u') {
                    if (m_csText.substr(m_nPos, 4).find_first_not_of("0123456789abcdefABCDEF") != std::string::npos
                        || m_nPos + 4 > m_csText.size())
                        return false;
                    m_nPos += 4;
                } else if (!std::strchr("\"\\/bfnrt", cEscape)) {
                    return false;
                }
            }
        }
        return Eat('"');
    }
    template <typename Item> bool Sequence(char cClose, Item item)
    {
        if (Eat(cClose))
            return true;
        do {
            if (!item())
                return false;
        } while (Eat(','));
        return Eat(cClose);
    }
    bool Value()
    {
        Skip();
        if (Eat('{'))
            return Sequence('}', [this] { return Peek('"') && String() && Eat(':') && Value(); });
        if (Eat('['))
            return Sequence(']', [this] { return Value(); });
        if (Peek('"'))
            return String();
        const std::size_t nStart = m_nPos;
        while (m_nPos < m_csText.size() && std::isdigit(static_cast<unsigned char>(m_csText[m_nPos])))
            ++m_nPos;
        return m_nPos > nStart;
    }

    const std::string& m_csText;
    std::size_t m_nPos = 0;
};

class PindrelReport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir.WriteFile("app/main.cpp", "int main()\n{\n    return 0; // ok\n}\n\n");
        m_dir.WriteFile("app/main.h", "#pragma once\r\n// api\r\nint f();\r\n");
        m_dir.WriteFile("app/sub/util.c", std::string(600, 'u') + "\n   \n");
        m_dir.WriteFile("app/README", "not counted\n");
        m_dir.WriteFile("lib/x.hpp", "   }");
        m_dir.MakeDir("app/cache.c");
    }

    TempDir m_dir;
};

TEST_F(PindrelReport, TsvHoldsTheEngineFiguresForAllProjects)
{
    const ProcessResult result = runReport({ "--tsv", m_dir / "app", m_dir / "lib" });
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.csErr, "");
    EXPECT_EQ(result.csOut, APP_AND_LIB_TSV);
}

TEST_F(PindrelReport, DefaultTableShowsHeadingsAndEightRows)
{
    const ProcessResult result = runReport({ m_dir / "app" });
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.csOut, APP_TABLE);
}

TEST_F(PindrelReport, JsonIsValidUtf8WithTheProjectsAndCounters)
{
    const std::string csOddName = m_dir.MakeDir("odd\xFF\"name");
    m_dir.WriteFile("odd\xFF\"name/o.c", "x;\n");
    const ProcessResult result = runReport({ "--json", m_dir / "app", csOddName, m_dir / "none" });
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_TRUE(JsonChecker(result.csOut).Check()) << result.csOut;
    EXPECT_TRUE(isValidUtf8(result.csOut));
    const std::string csApp = m_dir / "app";
    for (const std::string& csPart : std::vector<std::string> { "\"files\": 5,",
             "{\"directory\": \"" + csApp + "\", \"files\": 4}", "odd\xEF\xBF\xBD\\\"name\", \"files\": 1}",
             "\"nTotalLines\": 12,", "\"nCodeChars\": ", "[\"# lines\", \"12\", \"\", \"\", \"\"]" })
        EXPECT_NE(result.csOut.find(csPart), std::string::npos) << csPart << "\n" << result.csOut;
}

TEST_F(PindrelReport, ExitCodesAndMessages)
{
    struct Case
    {
        std::vector<std::string> args;
        int nExitCode;
        std::string csErrStart;
    };
    const std::string csApp = m_dir / "app";
    const std::string csNone = m_dir / "none";
    const std::string csFile = m_dir / "lib/x.hpp";
    const Case cases[] = {
        { { csNone, csFile, csNone }, 1,
            "pindrel-report: " + csNone + ": No such file or directory\npindrel-report: " + csFile
                + ": Not a directory\nNo valid files (*.c*, *.h*) in selected directories !\n" },
        { {}, 2, "pindrel-report: no directory given\nusage: pindrel-report [--tsv | --json] [--html FILE]" },
        { { "--bogus", csApp }, 2, "pindrel-report: unknown option '--bogus'\nusage:" },
        { { "--tsv", "--json", csApp }, 2, "pindrel-report: --tsv and --json cannot be combined\nusage:" },
        { { "--history", "--by-project", csApp }, 2,
            "pindrel-report: --history cannot be combined with --by-project\nusage: pindrel-report [--tsv | --json] "
            "[--html FILE] [--by-project] [--compare OLD.json] [--syntax] [--exclude PATTERN]... [--gitignore] "
            "[--history[=N]] DIRECTORY...\n" },
        { std::vector<std::string>(501, csApp), 2, "pindrel-report: too many directories (501)" },
        { { "--html", m_dir / "no/such/folder/out.html", csApp }, 3, "pindrel-report: cannot write \"" },
        { { "--html", m_dir / "no/out.html", csNone }, 3, // refused before counting: no word about csNone
            "pindrel-report: cannot write \"" + m_dir / "no/out.html" + "\": No such file or directory\n" },
    };
    for (const Case& c : cases) {
        const ProcessResult result = runReport(c.args);
        EXPECT_EQ(result.nExitCode, c.nExitCode) << result.csErr;
        EXPECT_EQ(result.csErr.rfind(c.csErrStart, 0), 0u) << result.csErr;
        EXPECT_EQ(result.csOut, "");
    }
    const ProcessResult full = RunProcess({ "/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", PINDREL_REPORT_PATH, csApp });
    EXPECT_EQ(full.nExitCode, 3);
    EXPECT_EQ(full.csErr, "pindrel-report: cannot write the report: No space left on device\n");
    const ProcessResult helpFull
        = RunProcess({ "/bin/sh", "-c", "exec \"$0\" --help >/dev/full", PINDREL_REPORT_PATH });
    EXPECT_EQ(helpFull.nExitCode, 3);
    EXPECT_EQ(helpFull.csErr, "pindrel-report: cannot write the text: No space left on device\n");
    EXPECT_EQ(RunProcess({ PINDREL_REPORT_PATH, "--version" }).csOut, "pindrel-report 1.4 (build 24)\n");
    const ProcessResult help = RunProcess({ PINDREL_REPORT_PATH, "--help" });
    EXPECT_EQ(help.nExitCode, 0);
    EXPECT_EQ(help.csOut.rfind("usage: pindrel-report", 0), 0u);
    EXPECT_NE(help.csOut.find("PINDREL_REPORT_THREADS"), std::string::npos);
}

TEST_F(PindrelReport, HistoryOutsideAGitWorkTreeIsOneLineNamingTheDirectory)
{
    const std::string csApp = m_dir / "app";
    const ProcessResult result = runReport({ "--history=5", csApp });
    EXPECT_EQ(result.nExitCode, 2);
    EXPECT_EQ(result.csErr.rfind("pindrel-report: " + csApp + ": ", 0), 0u) << result.csErr;
    EXPECT_EQ(std::count(result.csErr.begin(), result.csErr.end(), '\n'), 1) << result.csErr;
    EXPECT_EQ(result.csOut, "");
}

// Root lists any directory, so the run takes nobody's identity to meet a closed one.
TEST_F(PindrelReport, UnlistableDirectoryIsNamedOnceAndTheOthersAreCounted)
{
    const std::string csClosed = m_dir.MakeDir("closed");
    m_dir.WriteFile("closed/hidden.c", "x;\n");
    const std::string csLocked = m_dir.MakeDir("lib/locked"); // deeper down: one line for all of them
    m_dir.WriteFile("lib/locked/hidden.c", "x;\n");
    ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0755), 0);
    const std::string csLocked2 = m_dir.MakeDir("lib/z/locked");
    for (const std::string& csDir : { csClosed, csLocked, csLocked2 })
        ASSERT_EQ(::chmod(csDir.c_str(), 0), 0);
    std::vector<std::string> args { "--tsv", m_dir / "app", csClosed, m_dir / "lib", csClosed };
    const ProcessResult result = RunAsNobody(PINDREL_REPORT_PATH, args);
    args[0] = "--json";
    const ProcessResult json = RunAsNobody(PINDREL_REPORT_PATH, args);
    for (const std::string& csDir : { csClosed, csLocked, csLocked2 })
        ::chmod(csDir.c_str(), 0700);
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.csErr,
        "pindrel-report: " + csClosed
            + ": Permission denied\npindrel-report: 2 folders could not be read (not counted); the first: " + csLocked
            + ": Permission denied\n");
    EXPECT_EQ(result.csOut, APP_AND_LIB_TSV);
    EXPECT_NE(json.csOut.find("\n  \"folders_unreadable\": 2,\n"), std::string::npos) << json.csOut;
}

TEST_F(PindrelReport, HtmlExportWritesTheReportBesideTheTable)
{
    const std::string csHtml = m_dir / "report.html";
    const ProcessResult result = runReport({ "--tsv", "--html", csHtml, m_dir / "app" });
    ASSERT_EQ(result.nExitCode, 0) << result.csErr;
    const std::string csPage = ReadWholeFile(csHtml);
    EXPECT_EQ(csPage.rfind("<!DOCTYPE html>", 0), 0u);
    // app: 11 lines, of which 1 comment only, 1 code with a comment, 7 code only, 2 empty.
    for (const std::string& csPart :
        { std::string("<th style=\"text-align: right; min-width: 67px\"># Lines </th>"),
            std::string("<td style=\"text-align: left\">Code &amp; comments</td>"), std::string("background: #ffffbf"),
            std::string("background: #fffff5"), "1 project: <span class=\"dir\">" + m_dir / "app" + "</span>",
            std::string("<span>Comment only</span><span class=\"num\">1</span><span class=\"num\">9.1 %</span>"),
            std::string("<span>Code with a comment</span><span class=\"num\">1</span><span class=\"num\">9.1 %</span>"),
            std::string("<span>Code only</span><span class=\"num\">7</span><span class=\"num\">63.6 %</span>"),
            std::string("<span>Empty</span><span class=\"num\">2</span><span class=\"num\">18.2 %</span>") })
        EXPECT_NE(csPage.find(csPart), std::string::npos) << csPart << "\n" << csPage;
    // Every TSV cell of the table stands in the page too.
    std::size_t nStart = 0;
    while (nStart < result.csOut.size()) {
        const std::size_t nEnd = result.csOut.find_first_of("\t\n", nStart);
        const std::string csCell = result.csOut.substr(nStart, nEnd - nStart);
        if (!csCell.empty() && csCell.find('&') == std::string::npos) {
            EXPECT_NE(csPage.find(">" + csCell + "<"), std::string::npos) << csCell;
        }
        nStart = nEnd + 1;
    }
}

TEST_F(PindrelReport, ByProjectGivesEachProjectItsLoneFiguresAndTheTotal)
{
    const std::string csApp = m_dir / "app";
    const std::string csLib = m_dir / "lib";
    const Json both = Json::parse(runReport({ "--by-project", "--json", csApp, csLib }).csOut);
    const Json app = Json::parse(runReport({ "--json", csApp }).csOut);
    const Json lib = Json::parse(runReport({ "--json", csLib }).csOut);
    const Json total = Json::parse(runReport({ "--json", csApp, csLib }).csOut);
    ASSERT_EQ(both["projects"].size(), 2u);
    EXPECT_EQ(both["projects"][0]["counters"], app["counters"]);
    EXPECT_EQ(both["projects"][0]["rows"], app["rows"]);
    EXPECT_EQ(both["projects"][1]["counters"], lib["counters"]);
    EXPECT_EQ(both["projects"][1]["rows"], lib["rows"]);
    for (const char* pszKey : { "files", "counters", "rows" })
        EXPECT_EQ(both[pszKey], total[pszKey]) << pszKey;

    // Named twice, a directory is two projects; the total is marked "*".
    const ProcessResult tsv = runReport({ "--by-project", "--tsv", csLib, csLib });
    EXPECT_EQ(std::count(tsv.csOut.begin(), tsv.csOut.end(), '\n'), 24);
    EXPECT_EQ(tsv.csOut.find(csLib + "\tCode & comments\t0\t\t 0\t% of total lines\n"), 0u) << tsv.csOut;
    EXPECT_NE(tsv.csOut.find("\n*\t# empty lines\t2\t\t100\t% of total lines\n"), std::string::npos) << tsv.csOut;

    // A tab, line end or backslash in a directory would split or shift the cells.
    const std::string csOdd = m_dir.MakeDir("t\tn\nr\rb\\");
    m_dir.WriteFile("t\tn\nr\rb\\/o.c", "x;\n");
    const std::string csOddTsv = runReport({ "--by-project", "--tsv", csOdd }).csOut;
    EXPECT_EQ(csOddTsv.substr(0, csOddTsv.find('\n') + 1),
        m_dir.Path() + "/t\\tn\\nr\\rb\\\\\tCode & comments\t1\t\t100\t% of total lines\n");
}

// a.c: a code line with a comment (7 code characters of 12), an empty line; b.c: a block
// comment alone, #if 0 and #endif (code) around two disabled lines, then y; (23 code
// characters in all, 41 characters).
TEST(PindrelReportSyntax, EveryOutputNamesTheRulesAndShowsTheDisabledLines)
{
    TempDir dir;
    const std::string csSrc = dir.MakeDir("s");
    dir.WriteFile("s/a.c", "int a; // c\n\n");
    dir.WriteFile("s/b.c", "/* x */\n#if 0\nx;\n\n#endif\ny;\n");
    const std::string csHtml = dir / "page.html";
    EXPECT_EQ(runReport({ "--syntax", "--tsv", "--html", csHtml, csSrc }).csOut,
        "Code & comments\t4\t\t50\t% of total lines\n"
        "Code only\t3\t\t75\t% of Code & comments\n"
        "# lines\t8\t\t\t\n"
        "# lines with comments\t2\t\t50\t% of Code & comments\n"
        "# empty lines\t1\t\t12\t% of total lines\n"
        "# code characters\t\t23\t\t\n"
        "# characters / code line\t\t 5\t\t\n"
        "% of code characters / # characters\t\t\t56\t\n"
        "# disabled lines\t2\t\t25\t% of total lines\n");
    const std::string csPage = ReadWholeFile(csHtml);
    EXPECT_NE(csPage.find("<h1>Pindrel report (syntax rules)</h1>"), std::string::npos);
    EXPECT_NE(csPage.find("; Empty 1 (12.5 %); Disabled 2 (25.0 %)\""), std::string::npos) << csPage;
    const std::string csText = runReport({ "--syntax", csSrc }).csOut;
    EXPECT_TRUE(csText.ends_with(
        "\n# disabled lines" + std::string(27, ' ') + "2" + std::string(16, ' ') + "25  % of total lines\n"))
        << csText;
    const std::string csByProject = runReport({ "--syntax", "--by-project", "--tsv", csSrc }).csOut;
    EXPECT_EQ(std::count(csByProject.begin(), csByProject.end(), '\n'), 18) << csByProject;

    const std::string csSyntaxJson = runReport({ "--syntax", "--json", csSrc }).csOut;
    const Json syntax = Json::parse(csSyntaxJson);
    EXPECT_EQ(syntax["rules"], "syntax");
    EXPECT_EQ(syntax["counters"]["nDisabledLines"], 2);
    EXPECT_EQ(syntax["rows"].size(), 9u);
    const Json simple = Json::parse(runReport({ "--json", csSrc }).csOut);
    EXPECT_EQ(simple["rules"], "simple");
    EXPECT_FALSE(simple["counters"].contains("nDisabledLines"));

    const std::string csSaved = dir.WriteFile("syntax.json", csSyntaxJson);
    const std::string csCompared = runReport({ "--syntax", "--compare", csSaved, csSrc }).csOut;
    for (const std::string& csLine :
        { "\nnDisabledLines" + std::string(7, ' ') + "2    2" + std::string(7, ' ') + "0\n",
            "\n# disabled lines (% of total lines)" + std::string(15, ' ') + "25   25\n" })
        EXPECT_NE(csCompared.find(csLine), std::string::npos) << csLine << "\n" << csCompared;
    // A report of a version that named no rules was counted under the simple ones.
    const std::string csOld = dir.WriteFile("old.json", R"({"files": 1, "projects": [], "counters": {"nTotalLines": 2,
        "nCommentLines": 1, "nCodeLines": 1, "nCodeOnlyLines": 0, "nEmptyLines": 1, "nCodeChars": 7, "nTotalChars": 13}})");
    const ProcessResult refused = runReport({ "--syntax", "--compare", csOld, csSrc });
    EXPECT_EQ(refused.nExitCode, 2);
    EXPECT_EQ(refused.csErr,
        "pindrel-report: " + csOld
            + ": a report under the simple rules cannot be compared with one under the syntax rules\n");
    EXPECT_EQ(refused.csOut, "");
}

TEST_F(PindrelReport, CompareGivesTheExactChangesSinceASavedReport)
{
    const std::string csApp = m_dir / "app";
    const std::string csLib = m_dir / "lib";
    const std::string csExtra = m_dir / "extra";
    const std::string csOld = m_dir.WriteFile("old.json",
        runReport({ "--by-project", "--json", csApp, csLib }, { "SOURCE_DATE_EPOCH=1796000000" }).csOut);
    const std::string csOldTotals = m_dir.WriteFile("totals.json", runReport({ "--json", csApp }).csOut);
    // app loses main.h (3 lines, 22 code and 29 characters) and gains new.c; lib goes; extra comes.
    std::filesystem::remove(m_dir / "app/main.h");
    m_dir.WriteFile("app/new.c", "a;\n\n// x\n");
    m_dir.WriteFile("extra/e.c", "b;\n");
    m_dir.WriteFile("extra/e.h", "// h\n");

    const ProcessResult result = runReport({ "--by-project", "--json", "--compare", csOld, csApp, csExtra });
    ASSERT_EQ(result.nExitCode, 0) << result.csErr;
    const Json compare = Json::parse(result.csOut)["compare"];
    EXPECT_EQ(compare["before"]["generated"], "2026-11-30T00:53:20Z");
    EXPECT_EQ(compare["before"]["files"], 5);
    EXPECT_EQ(compare["change"], Json::parse(R"({"files": 1, "counters": {"nTotalLines": 1, "nCommentLines": 1,
        "nCodeLines": 0, "nCodeOnlyLines": 0, "nEmptyLines": 0, "nCodeChars": -16, "nTotalChars": -16}})"));
    const Json expected = Json::parse(R"([
        ["changed", {"files": 0, "counters": {"nTotalLines": 0, "nCommentLines": 0, "nCodeLines": -1,
            "nCodeOnlyLines": -1, "nEmptyLines": 1, "nCodeChars": -19, "nTotalChars": -20}}],
        ["added", {"files": 2, "counters": {"nTotalLines": 2, "nCommentLines": 1, "nCodeLines": 1,
            "nCodeOnlyLines": 1, "nEmptyLines": 0, "nCodeChars": 3, "nTotalChars": 8}}],
        ["removed", {"files": -1, "counters": {"nTotalLines": -1, "nCommentLines": 0, "nCodeLines": 0,
            "nCodeOnlyLines": 0, "nEmptyLines": -1, "nCodeChars": 0, "nTotalChars": -4}}]])");
    ASSERT_EQ(compare["projects"].size(), 3u) << result.csOut;
    const std::string directories[] = { csApp, csExtra, csLib };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(compare["projects"][i]["directory"], directories[i]);
        EXPECT_EQ(compare["projects"][i]["status"], expected[i][0]);
        EXPECT_EQ(compare["projects"][i]["change"], expected[i][1]) << directories[i];
    }
    EXPECT_TRUE(compare["projects"][1]["before"].is_null());

    const std::string csText = runReport({ "--by-project", "--compare", csOld, csApp, csExtra }).csOut;
    for (const std::string& csLine : { std::string("\nCompared with the report of 2026-11-30T00:53:20Z:\n"),
             std::string("\nfiles                5    6      +1\n"),
             std::string("\nnCodeChars         652  636     -16\n"),
             "\nremoved      0      -1      0      -1  " + csLib + "\n" })
        EXPECT_NE(csText.find(csLine), std::string::npos) << csLine << "\n" << csText;

    // A report made without --by-project kept no lines per project: app's equal file count proves nothing.
    const ProcessResult totals = runReport({ "--by-project", "--json", "--compare", csOldTotals, csApp });
    EXPECT_EQ(Json::parse(totals.csOut)["compare"]["projects"][0]["status"], "files unchanged") << totals.csOut;
    const std::string csTotalsText = runReport({ "--by-project", "--compare", csOldTotals, csApp }).csOut;
    EXPECT_NE(csTotalsText.find("\nfiles unchanged      4       0     11       ?  " + csApp + "\n"), std::string::npos)
        << csTotalsText;
}

TEST_F(PindrelReport, CompareRefusesWhatIsNoSavedReport)
{
    const std::string csCounters = R"("counters": {"nTotalLines": 1, "nCommentLines": 0, "nCodeLines": 1,
        "nCodeOnlyLines": 1, "nEmptyLines": 0, "nCodeChars": 2, "nTotalChars": 2})";
    struct Case
    {
        const char* pszName;
        std::string csContent;
        const char* pszProblem;
    };
    const Case cases[] = {
        { "missing.json", "", "No such file or directory" },
        { "folder.json", "", "Is a directory" },
        { "fifo.json", "", "not a regular file" }, // nobody writes it: reading would wait forever
        { "empty.json", "", "not JSON" },
        { "cut.json", "{\"files\": 1,", "not JSON" },
        { "latin1.json", "{\"files\": \"\xE9\"}", "not JSON" },
        { "array.json", "[1, 2]", "not a Pindrel report (no JSON object)" },
        { "negative.json", "{\"files\": -1, " + csCounters + ", \"projects\": []}",
            "not a Pindrel report (no \"files\" count)" },
        { "six.json", R"({"files": 1, "counters": {"nTotalLines": 1}, "projects": []})",
            "not a Pindrel report (no \"counters\" with the seven counts)" },
        { "noprojects.json", "{\"files\": 1, " + csCounters + "}", "not a Pindrel report (no \"projects\" list)" },
        { "nameless.json", "{\"files\": 1, " + csCounters + ", \"projects\": [{\"files\": 1}]}",
            "not a Pindrel report (a project without \"directory\" or \"files\")" },
        { "fast.json", "{\"rules\": \"fast\", \"files\": 1, " + csCounters + ", \"projects\": []}",
            "not a Pindrel report (\"rules\" is neither \"simple\" nor \"syntax\")" },
        { "syntax.json", "{\"rules\": \"syntax\", \"files\": 1, " + csCounters + ", \"projects\": []}",
            "a report under the syntax rules cannot be compared with one under the simple rules" },
    };
    m_dir.MakeDir("folder.json");
    ASSERT_EQ(::mkfifo((m_dir / "fifo.json").c_str(), 0644), 0);
    for (const Case& c : cases) {
        const std::string csPath = m_dir / c.pszName;
        if (!c.csContent.empty() || std::string_view(c.pszName) == "empty.json")
            m_dir.WriteFile(c.pszName, c.csContent);
        const ProcessResult result = runReport({ "--compare", csPath, m_dir / "app" });
        EXPECT_EQ(result.nExitCode, 2) << c.pszName;
        EXPECT_EQ(result.csErr, "pindrel-report: " + csPath + ": " + c.pszProblem + "\n");
        EXPECT_EQ(result.csOut, "");
    }
}

TEST(PindrelReportThreads, OneAndTwoThreadsGiveTheSameReport)
{
    TempDir dir;
    std::string csText;
    for (int i = 0; i < 400; ++i) {
        csText += i % 3 == 0 ? "  // note\n" : i % 5 == 0 ? "\r\n" : "int v" + std::to_string(i) + " = 0;\n";
        dir.WriteFile("t" + std::to_string(i % 9) + "/s" + std::to_string(i) + (i % 2 ? ".c" : ".h"), csText);
    }
    // One date for both: runs that straddle a second would differ in "generated" alone.
    const ProcessResult one
        = runReport({ "--json", dir.Path() }, { "PINDREL_REPORT_THREADS=1", "SOURCE_DATE_EPOCH=1796000000" });
    const ProcessResult two
        = runReport({ "--json", dir.Path() }, { "PINDREL_REPORT_THREADS=2", "SOURCE_DATE_EPOCH=1796000000" });
    EXPECT_EQ(one.nExitCode, 0);
    EXPECT_EQ(two.csOut, one.csOut);
    EXPECT_NE(one.csOut.find("\"files\": 400,"), std::string::npos);
}

} // namespace
