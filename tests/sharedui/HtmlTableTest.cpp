#include "HtmlTable.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include <QProcess>

#include "ProfileFaults.h"
#include "TempDir.h"

namespace {

constexpr const char* REPLACEMENT = "\xEF\xBF\xBD";

std::size_t countOf(const std::string& csText, const std::string& csPart)
{
    std::size_t nCount = 0;
    for (std::size_t nAt = csText.find(csPart); nAt != std::string::npos; nAt = csText.find(csPart, nAt + 1))
        ++nCount;
    return nCount;
}

// A small report: a left and a right column, three rows, two alternating colours.
HtmlTable sampleTable()
{
    HtmlTable table;
    table.csTitle = "Pindrel";
    table.columns = { { "Results", false, 184 }, { "# Lines ", true, 67 } };
    table.rows = { { "Code & comments", "80" }, { "Code only", "50" }, { "# lines", "100" } };
    table.rowColors = { { 0x000000, 0xBFFFFF }, { 0x000000, 0xF5FFFF } };
    return table;
}

// Numbers in German for its lifetime (LC_NUMERIC, as a Qt program under LANG=de_DE.UTF-8 has
// it): a decimal comma. A system without the locale gets it made into a temporary folder.
class GermanNumbers
{
public:
    GermanNumbers()
        : m_csOld(std::setlocale(LC_NUMERIC, nullptr))
    {
        if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
            QProcess localedef;
            localedef.start(QStringLiteral("localedef"),
                { QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                    QString::fromStdString(m_dir / "de_DE.UTF-8") });
            localedef.waitForFinished(-1);
            ::setenv("LOCPATH", m_dir.Path().c_str(), 1);
            std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
            ::unsetenv("LOCPATH");
        }
    }
    ~GermanNumbers() { std::setlocale(LC_NUMERIC, m_csOld.c_str()); }
    GermanNumbers(const GermanNumbers&) = delete;
    GermanNumbers& operator=(const GermanNumbers&) = delete;

    [[nodiscard]] static bool HaveDecimalComma() { return std::localeconv()->decimal_point == std::string(","); }

private:
    TempDir m_dir;
    std::string m_csOld;
};

// What tidy finds wrong with the page, errors and warnings alike; empty for a valid page.
std::string tidyProblems(const std::string& csHtml)
{
    TempDir dir;
    QProcess tidy;
    tidy.start(QStringLiteral("tidy"), { QStringLiteral("-q"), QStringLiteral("-e"),
                                           QString::fromStdString(dir.WriteFile("page.html", csHtml)) });
    if (!tidy.waitForFinished(-1))
        return "tidy did not run: " + tidy.errorString().toStdString();
    return (tidy.exitCode() == 0 ? "" : "exit " + std::to_string(tidy.exitCode()) + "\n")
        + tidy.readAllStandardError().toStdString() + tidy.readAllStandardOutput().toStdString();
}

} // namespace

struct Utf8Case
{
    const char* pszName;
    std::string csInput;
    std::string csExpected;
};

class ToValidUtf8Test : public ::testing::TestWithParam<Utf8Case>
{
};

TEST_P(ToValidUtf8Test, KeepsValidSequencesAndReplacesEachBadByte)
{
    EXPECT_EQ(ToValidUtf8(GetParam().csInput), GetParam().csExpected);
}

INSTANTIATE_TEST_SUITE_P(Sequences, ToValidUtf8Test,
    ::testing::Values(Utf8Case { "Ascii", "plain text, 100 %", "plain text, 100 %" },
        Utf8Case {
            "TwoThreeFourBytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" },
        Utf8Case { "Latin1Accents", "\xE9t\xE9", std::string(REPLACEMENT) + "t" + REPLACEMENT },
        Utf8Case { "TruncatedAtEnd", "ab\xC3", std::string("ab") + REPLACEMENT },
        Utf8Case { "Overlong", "\xC0\xAF", std::string(REPLACEMENT) + REPLACEMENT },
        Utf8Case { "Surrogate", "\xED\xA0\x80", std::string(REPLACEMENT) + REPLACEMENT + REPLACEMENT },
        Utf8Case {
            "BeyondU10FFFF", "\xF4\x90\x80\x80", std::string(REPLACEMENT) + REPLACEMENT + REPLACEMENT + REPLACEMENT },
        Utf8Case { "LoneContinuation", "a\x80z", std::string("a") + REPLACEMENT + "z" },
        Utf8Case { "NulKept", std::string("a\0b", 3), std::string("a\0b", 3) }),
    [](const ::testing::TestParamInfo<Utf8Case>& caseInfo) { return std::string(caseInfo.param.pszName); });

TEST(RenderHtml, EscapesMarkupCharactersInTitleHeadingsAndCells)
{
    HtmlTable table;
    table.csTitle = "A&B <title>";
    table.columns = { { "x<y> & \"q\" 'a'", false, 10 } };
    table.rows = { { "</td><script>alert('x')</script>&amp;" } };
    const std::string csHtml = RenderHtml(table);

    EXPECT_NE(csHtml.find("<title>A&amp;B &lt;title&gt;</title>"), std::string::npos) << csHtml;
    EXPECT_NE(csHtml.find(">x&lt;y&gt; &amp; &quot;q&quot; &#39;a&#39;</th>"), std::string::npos) << csHtml;
    EXPECT_NE(
        csHtml.find(">&lt;/td&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;amp;</td>"), std::string::npos)
        << csHtml;
    EXPECT_EQ(csHtml.find("<script>"), std::string::npos);
    EXPECT_EQ(countOf(csHtml, "</td>"), 1u);
}

TEST(RenderHtml, NonUtf8BytesBecomeReplacementCharacters)
{
    HtmlTable table;
    table.csTitle = "caf\xE9";
    table.columns = { { "R\xE9sultats", false, 10 } };
    table.rows = { { "/home/\xFFproj" } };
    const std::string csHtml = RenderHtml(table);

    // Each bad byte is EF BF BD, and none of them is left.
    EXPECT_NE(csHtml.find("caf\xEF\xBF\xBD</title>"), std::string::npos);
    EXPECT_NE(csHtml.find("R\xEF\xBF\xBDsultats</th>"), std::string::npos);
    EXPECT_NE(csHtml.find("/home/\xEF\xBF\xBDproj</td>"), std::string::npos);
    EXPECT_EQ(csHtml.find_first_of("\xE9\xFF"), std::string::npos);
    EXPECT_NE(csHtml.find("<meta charset=\"utf-8\">"), std::string::npos);
}

TEST(RenderHtml, RowsTakeTheColoursInTurnAsRedGreenBlue)
{
    HtmlTable table = sampleTable();
    // Asymmetric values: a swapped byte order would show at once.
    table.rowColors = { { 0x0000FF, 0xBFFFFF }, { 0x123456, 0xF5FFFF } };
    const std::string csHtml = RenderHtml(table);

    const std::size_t nRow0 = csHtml.find("<tr style=\"color: #ff0000; background: #ffffbf\"><td");
    const std::size_t nRow1 = csHtml.find("<tr style=\"color: #563412; background: #fffff5\"><td");
    const std::size_t nRow2 = csHtml.find("<tr style=\"color: #ff0000; background: #ffffbf\"><td", nRow0 + 1);
    ASSERT_NE(nRow0, std::string::npos) << csHtml;
    ASSERT_NE(nRow1, std::string::npos) << csHtml;
    ASSERT_NE(nRow2, std::string::npos) << csHtml;
    EXPECT_LT(nRow0, nRow1);
    EXPECT_LT(nRow1, nRow2);
    EXPECT_LT(nRow0, csHtml.find("Code &amp; comments"));
    EXPECT_LT(nRow2, csHtml.find("# lines"));
}

TEST(RenderHtml, WithoutColoursRowsCarryNoStyle)
{
    HtmlTable table = sampleTable();
    table.rowColors.clear();
    const std::string csHtml = RenderHtml(table);
    EXPECT_EQ(csHtml.find("<tr style"), std::string::npos);
    EXPECT_EQ(countOf(csHtml, "<tr>"), 4u) << csHtml; // heading row and three rows
}

TEST(RenderHtml, ColumnsWithoutRowsGiveTheHeadingRowOnly)
{
    HtmlTable table = sampleTable();
    table.rows.clear();
    const std::string csHtml = RenderHtml(table);
    EXPECT_EQ(countOf(csHtml, "<th "), 2u);
    EXPECT_EQ(countOf(csHtml, "<tr"), 1u);
    EXPECT_EQ(csHtml.find("<td"), std::string::npos);
    EXPECT_NE(csHtml.find("</table>\n</body>\n</html>\n"), std::string::npos);
}

TEST(RenderHtml, MatchesTheReferencePage)
{
    const std::string csExpected = ReadWholeFile(PINDREL_SHAREDUI_TEST_DATA "/sample-table.html");
    ASSERT_FALSE(csExpected.empty()) << "reference page missing";
    EXPECT_EQ(RenderHtml(sampleTable()), csExpected);
}

TEST(RenderHtml, ReportPageValidatesAndShowsEachShare)
{
    HtmlTable table = sampleTable();
    table.page.csHeading = "Pindrel report";
    table.page.csDate = "2026-11-30 00:53 UTC";
    table.page.projects = { "/src/a", "<b&c>" };
    table.page.slices = { { "Comment only", 10 }, { "Code with a comment", 30 }, { "Code only", 60 }, { "Empty", 0 },
        { "Disabled", 0 } };
    table.page.csShareUnit = "code lines";
    table.page.sections = { { "/src/a", { { "Code only", "30" } }, 30 }, { "<b&c>", { { "Code only", "10" } }, 10 } };
    const std::string csHtml = RenderHtml(table);

    EXPECT_EQ(tidyProblems(csHtml), "");

    for (const char* pszPart :
        { "2 projects: <span class=\"dir\">/src/a</span>, <span class=\"dir\">&lt;b&amp;c&gt;</span>",
            "role=\"img\" aria-label=\"Ring chart of 100 lines: Comment only 10 (10.0 %); Code with a comment 30 "
            "(30.0 %); Code only 60 (60.0 %); Empty 0 (0.0 %); Disabled 0 (0.0 %)\"",
            // The third slice starts where 40 % of the ring is drawn.
            "stroke=\"#0072b2\" stroke-width=\"6\" stroke-dasharray=\"60.000 40.000\" stroke-dashoffset=\"-15.000\"",
            "<span>Empty</span><span class=\"num\">0</span><span class=\"num\">0.0 %</span>",
            // A fifth kind takes a colour of its own, not the first slice's again.
            "style=\"color: #cc79a7\" aria-hidden=\"true\">\xE2\x96\xA0</span><span>Disabled</span>",
            "<rect width=\"75.0\" height=\"4\" fill=\"#0072b2\"/></svg><span>75.0 % of code lines (30)</span>",
            "<h3 class=\"dir\">&lt;b&amp;c&gt;</h3>" })
        EXPECT_NE(csHtml.find(pszPart), std::string::npos) << pszPart << "\n" << csHtml;
    EXPECT_EQ(countOf(csHtml, "stroke-dasharray"), 3u); // an empty kind draws nothing
    EXPECT_EQ(countOf(csHtml, "<table>"), 3u);
    EXPECT_EQ(csHtml.find("<script"), std::string::npos);
    EXPECT_EQ(csHtml.find("src="), std::string::npos);
}

TEST(RenderHtml, HistoryChartStacksTheKindsOverTime)
{
    HtmlTable table = sampleTable();
    table.page.csHeading = "Pindrel history";
    // The third commit is dated before its parent, as a rebase leaves it.
    table.page.history = { { "Comment only", "Code only" },
        { { 0, "2024-01-01", { 1, 3 } }, { 100, "2024-01-02", { 2, 6 } }, { 50, "2024-01-02", { 2, 6 } },
            { 400, "2024-01-06", { 0, 10 } } } };
    const std::string csHtml = RenderHtml(table);
    EXPECT_EQ(tidyProblems(csHtml), "");

    // Ten lines at most: gridlines every 2 up to 10, y = 270 - 26 per line; x from 56 to 628 over 400 s.
    for (const char* pszPart :
        { "<svg class=\"history\" viewBox=\"0 0 640 300\" role=\"img\" aria-label=\"Stacked area chart of the lines "
          "of 4 commits, 2024-01-01 to 2024-01-06; the newest has 10 lines: Comment only 0 (0.0 %); Code only 10 "
          "(100.0 %)\">",
            "<polygon fill=\"#e69f00\" points=\"56.0,244.0 199.0,218.0 199.0,218.0 628.0,270.0 "
            "628.0,270.0 199.0,270.0 199.0,270.0 56.0,270.0\"/>",
            "<polygon fill=\"#56b4e9\" points=\"56.0,166.0 199.0,62.0 199.0,62.0 628.0,10.0 "
            "628.0,270.0 199.0,218.0 199.0,218.0 56.0,244.0\"/>",
            "<text class=\"y\" x=\"50.0\" y=\"14.0\">10</text>", "<text class=\"y\" x=\"50.0\" y=\"274.0\">0</text>",
            "<text class=\"last\" x=\"628.0\" y=\"290.0\">2024-01-06</text>",
            "style=\"color: #56b4e9\" aria-hidden=\"true\">\xE2\x96\xA0</span><span>Code only</span><span "
            "class=\"num\">10</span><span class=\"num\">100.0 %</span>" })
        EXPECT_NE(csHtml.find(pszPart), std::string::npos) << pszPart << "\n" << csHtml;
    EXPECT_EQ(countOf(csHtml, "<text class=\"y\""), 6u);
    EXPECT_EQ(countOf(csHtml, "class=\"mark\""), 0u); // 400 seconds: the ends name the days

    // Longer spans name the new years, else months at a round step, clear of the ends' labels.
    struct Span
    {
        std::int64_t nFirst;
        std::int64_t nLast;
        std::vector<std::pair<const char*, const char*>> marks; // x, text
    };
    const Span spans[] = {
        // 2019-03-01 to 2024-03-01: 2024 stands too near the end.
        { 1551398400, 1709251200, { { "151.8", "2020" }, { "266.4", "2021" }, { "380.7", "2022" }, { "494.9", "2023" } } },
        // 2023-11-15 to 2024-06-20: seven new months, so every other one.
        { 1700006400, 1718841600, { { "179.3", "2024-01" }, { "336.8", "2024-03" }, { "496.8", "2024-05" } } },
    };
    for (const Span& span : spans) {
        table.page.history.points = { { span.nFirst, "first", { 1, 1 } }, { span.nLast, "last", { 1, 1 } } };
        const std::string csSpan = RenderHtml(table);
        EXPECT_EQ(countOf(csSpan, "class=\"mark\""), span.marks.size()) << csSpan;
        for (const auto& [pszX, pszText] : span.marks) {
            const std::string csText
                = std::string("<text class=\"mark\" x=\"") + pszX + "\" y=\"290.0\">" + pszText + "</text>";
            EXPECT_NE(csSpan.find(csText), std::string::npos) << csText << "\n" << csSpan;
        }
    }
}

TEST(RenderHtml, ChartNumbersKeepTheirPointWhenTheLocaleWritesAComma)
{
    const GermanNumbers german;
    if (!GermanNumbers::HaveDecimalComma())
        GTEST_SKIP() << "no German locale, and localedef could not make one";
    HtmlTable table = sampleTable();
    table.page.slices = { { "Comment only", 1 }, { "Code only", 2 } };
    table.page.sections = { { "/a", {}, 1 }, { "/b", {}, 2 } };
    const std::string csHtml = RenderHtml(table);
    for (const char* pszPart : { "stroke-dasharray=\"33.333 66.667\" stroke-dashoffset=\"25.000\"",
             "stroke-dasharray=\"66.667 33.333\" stroke-dashoffset=\"-8.333\"", "<rect width=\"33.3\"",
             "<rect width=\"66.7\"", "Comment only 1 (33.3 %)" })
        EXPECT_NE(csHtml.find(pszPart), std::string::npos) << pszPart << "\n" << csHtml;
}

TEST(WriteHtmlFile, WritesThePageAndReplacesAnOldFile)
{
    TempDir dir;
    const std::string csPath = dir.WriteFile("report.html", "old contents that are longer than nothing");
    ASSERT_TRUE(WriteHtmlFile(csPath, sampleTable()));
    EXPECT_EQ(ReadWholeFile(csPath), RenderHtml(sampleTable()));
    // The temporary file it wrote through is gone.
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string> { "report.html" });
    const auto perms = std::filesystem::status(csPath).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_read, std::filesystem::perms::none);
    EXPECT_NE(perms & std::filesystem::perms::others_read, std::filesystem::perms::none);
}

TEST(WriteHtmlFile, IntoAMissingFolderFailsAndCreatesNothing)
{
    TempDir dir;
    const std::string csPath = dir / "missing/report.html";
    const FileStatus status = WriteHtmlFile(csPath, sampleTable());
    ASSERT_FALSE(status);
    EXPECT_EQ(*status.failure, (FileFailure { FileFailureKind::CannotWrite, csPath, ENOENT }));
    EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

TEST(WriteHtmlFile, FailedWriteLeavesNoTemporaryFile)
{
    TempDir dir;
    const std::string csPath = dir.WriteFile("report.html", "old");
    const ScopedProfileFaultHook failWrite([](ProfileWriteStep step) { return step != ProfileWriteStep::Write; });
    const FileStatus status = WriteHtmlFile(csPath, sampleTable());
    ASSERT_FALSE(status);
    EXPECT_EQ(*status.failure, (FileFailure { FileFailureKind::WriteFailed, csPath, ENOSPC }));
    EXPECT_EQ(ReadWholeFile(csPath), "old");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string> { "report.html" });
}
