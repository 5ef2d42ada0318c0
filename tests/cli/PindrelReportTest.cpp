#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstring>
#include <cwchar>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "CountFileLines.h"
#include "ReportFormatters.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace {

ProcessResult runReport(std::vector<std::string> args, const std::vector<std::string>& env = {})
{
    args.insert(args.begin(), PINDREL_REPORT_PATH);
    return RunProcess(args, env);
}

// The engine's own figures for the given projects, counted one file after the other.
Report engineReport(const std::vector<std::string>& directories)
{
    LineCounters counters;
    for (std::size_t i = 0; i < directories.size(); ++i) {
        const int nSlot = static_cast<int>(i);
        (void)CollectSourceFiles(nSlot, directories[i], "h*", nSlot == 0);
        (void)CollectSourceFiles(nSlot, directories[i], "c*", false);
        for (const std::string& csPath : ProjectFileLists[i])
            (void)CountFile(csPath, counters);
    }
    return BuildReport(counters);
}

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
    EXPECT_EQ(result.csOut, FormatTsv(engineReport({ m_dir / "app", m_dir / "lib" })));
    // main.cpp 5 lines, main.h 3, util.c 600 bytes in two pieces and a blank line, x.hpp 1.
    EXPECT_NE(result.csOut.find("# lines\t12\t\t\t\n"), std::string::npos) << result.csOut;
}

TEST_F(PindrelReport, DefaultTableShowsHeadingsAndEightRows)
{
    const ProcessResult result = runReport({ m_dir / "app" });
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.csOut, FormatTextTable(engineReport({ m_dir / "app" })));
    EXPECT_EQ(result.csOut.find("Results"), 0u);
    EXPECT_EQ(std::count(result.csOut.begin(), result.csOut.end(), '\n'), 10);
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
        const char* pszErrStart;
    };
    const std::string csApp = m_dir / "app";
    const Case cases[] = {
        { { m_dir / "none", m_dir / "lib/x.hpp" }, 1, "No valid files (*.c*, *.h*) in selected directories !\n" },
        { {}, 2, "pindrel-report: no directory given\nusage: pindrel-report [--tsv | --json] [--html FILE]" },
        { { "--bogus", csApp }, 2, "pindrel-report: unknown option '--bogus'\nusage:" },
        { { "--tsv", "--json", csApp }, 2, "pindrel-report: --tsv and --json cannot be combined\nusage:" },
        { std::vector<std::string>(501, csApp), 2, "pindrel-report: too many directories (501)" },
        { { "--html", m_dir / "no/such/folder/out.html", csApp }, 3, "pindrel-report: cannot write \"" },
    };
    for (const Case& c : cases) {
        const ProcessResult result = runReport(c.args);
        EXPECT_EQ(result.nExitCode, c.nExitCode) << result.csErr;
        EXPECT_EQ(result.csErr.rfind(c.pszErrStart, 0), 0u) << result.csErr;
        EXPECT_EQ(result.csOut, "");
    }
    EXPECT_EQ(RunProcess({ PINDREL_REPORT_PATH, "--version" }).csOut, "pindrel-report 1.4 (build 24)\n");
    const ProcessResult help = RunProcess({ PINDREL_REPORT_PATH, "--help" });
    EXPECT_EQ(help.nExitCode, 0);
    EXPECT_EQ(help.csOut.rfind("usage: pindrel-report", 0), 0u);
    EXPECT_NE(help.csOut.find("PINDREL_REPORT_THREADS"), std::string::npos);
}

TEST_F(PindrelReport, HtmlExportWritesTheReportBesideTheTable)
{
    const std::string csHtml = m_dir / "report.html";
    const ProcessResult result = runReport({ "--tsv", "--html", csHtml, m_dir / "app" });
    ASSERT_EQ(result.nExitCode, 0) << result.csErr;
    const std::string csPage = ReadWholeFile(csHtml);
    EXPECT_EQ(csPage.rfind("<!DOCTYPE html>", 0), 0u);
    for (const char* pszPart : { "<th style=\"text-align: right; min-width: 67px\"># Lines </th>",
             "<td style=\"text-align: left\">Code &amp; comments</td>", "background: #ffffbf", "background: #fffff5" })
        EXPECT_NE(csPage.find(pszPart), std::string::npos) << pszPart << "\n" << csPage;
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

TEST(PindrelReportThreads, OneAndTwoThreadsGiveTheSameReport)
{
    TempDir dir;
    std::string csText;
    for (int i = 0; i < 400; ++i) {
        csText += i % 3 == 0 ? "  // note\n" : i % 5 == 0 ? "\r\n" : "int v" + std::to_string(i) + " = 0;\n";
        dir.WriteFile("t" + std::to_string(i % 9) + "/s" + std::to_string(i) + (i % 2 ? ".c" : ".h"), csText);
    }
    const ProcessResult one = runReport({ "--json", dir.Path() }, { "PINDREL_REPORT_THREADS=1" });
    const ProcessResult two = runReport({ "--json", dir.Path() }, { "PINDREL_REPORT_THREADS=2" });
    EXPECT_EQ(one.nExitCode, 0);
    EXPECT_EQ(two.csOut, one.csOut);
    EXPECT_NE(one.csOut.find("\"files\": 400,"), std::string::npos);
    const ProcessResult tsv = runReport({ "--tsv", dir.Path() }, { "PINDREL_REPORT_THREADS=2" });
    EXPECT_EQ(tsv.csOut, FormatTsv(engineReport({ dir.Path() })));
}

} // namespace
