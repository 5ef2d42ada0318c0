#include <algorithm>
#include <cstdlib>
#include <sched.h>
#include <thread>

#include <gtest/gtest.h>

#include "JsonReport.h"
#include "JsonText.h"
#include "ParallelCount.h"
#include "ProjectFileLists.h"
#include "ReportArguments.h"
#include "TextReport.h"
#include "TsvReport.h"

namespace {

TEST(ParseReportArguments, AcceptsTheContractAndNamesEachMistake)
{
    struct Case
    {
        std::vector<std::string> args;
        const char* pszError; // "" when accepted
    };
    const Case cases[] = {
        { { "d" }, "" },
        { { "--json", "--json", "a", "b" }, "" },
        { { "--html", "out.html", "--tsv", "d" }, "" },
        { { "--", "--tsv" }, "" }, // a directory named --tsv
        { { "--help" }, "" },
        { {}, "no directory given" },
        { { "--tsv" }, "no directory given" },
        { { "--tsv", "--json", "d" }, "--tsv and --json cannot be combined" },
        { { "d", "--html" }, "--html needs a file name" },
        { { "--html=", "d" }, "--html needs a file name" },
        { { "--html", "a", "--html=b", "d" }, "--html can be given only once" },
        { { "--csv", "d" }, "unknown option '--csv'" },
        { { "--by-project", "--json", "--compare", "old.json", "--html=p.html", "d" }, "" },
        { { "d", "--compare" }, "--compare needs a file name" },
        { { "--compare=", "d" }, "--compare needs a file name" },
        { { "--compare=a", "--compare", "b", "d" }, "--compare can be given only once" },
        { { "--tsv", "--compare", "old.json", "d" }, "--compare works with the text and --json outputs, not --tsv" },
        { std::vector<std::string>(MAX_PROJECTS, "d"), "" },
        { std::vector<std::string>(MAX_PROJECTS + 1, "d"),
            "too many directories (501): one report takes at most 500 projects" },
        { { "--bogus", "--tsv", "--json", "d" }, "unknown option '--bogus'" }, // the first mistake is named
        { { "--tsv=true", "d" }, "unknown option '--tsv=true'" }, // a flag takes no value
        { { "-hx", "d" }, "unknown option '-hx'" },
        { { "-5", "d" }, "unknown option '-5'" },
        { { "--exclude=", "d" }, "--exclude needs a pattern" },
        { { "d", "--exclude" }, "--exclude needs a pattern" },
        { { "--history=", "d" }, "--history=N takes a whole number of commits from 1 up, not ''" },
        { { "--history=0", "d" }, "--history=N takes a whole number of commits from 1 up, not '0'" },
        { { "--history=-3", "d" }, "--history=N takes a whole number of commits from 1 up, not '-3'" },
        { { "--history=2x", "d" }, "--history=N takes a whole number of commits from 1 up, not '2x'" },
        { { "--history=18446744073709551616", "d" },
            "--history=18446744073709551616: more commits than can be counted (at most 18446744073709551615)" },
        { { "--history", "--history=5", "d" }, "--history can be given only once" },
        { { "--history", "--compare", "old.json", "d" }, "--history cannot be combined with --compare" },
        { { "--by-project", "--history=3", "d" }, "--history cannot be combined with --by-project" },
        { { "--history=18446744073709551615", "--gitignore", "--json", "d" }, "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseReportArguments(c.args).csError, c.pszError) << ::testing::PrintToString(c.args);

    const ReportArguments arguments = ParseReportArguments({ "--tsv", "a", "--html=x.html", "--", "-b" }).arguments;
    EXPECT_EQ(arguments.format, OutputFormat::Tsv);
    EXPECT_EQ(arguments.directories, (std::vector<std::string> { "a", "-b" }));
    EXPECT_EQ(arguments.csHtmlPath, "x.html");
    const ReportArguments compare
        = ParseReportArguments({ "--by-project", "--compare=o.json", "--syntax", "d" }).arguments;
    EXPECT_TRUE(compare.bByProject);
    EXPECT_EQ(compare.csComparePath, "o.json");
    EXPECT_EQ(compare.rules, CountingRules::Syntax);
    EXPECT_EQ(arguments.rules, CountingRules::Simple);
    EXPECT_FALSE(arguments.historyPoints);

    // A value option takes the next word whatever it looks like; "[c,d]" is one name, not a list.
    const ReportArguments scope
        = ParseReportArguments({ "--exclude", "-old", "[c,d]", "--exclude=b/**", "--gitignore", "--history", "5" })
              .arguments;
    EXPECT_EQ(scope.excludePatterns, (std::vector<std::string> { "-old", "b/**" }));
    EXPECT_EQ(scope.directories, (std::vector<std::string> { "[c,d]", "5" }));
    EXPECT_TRUE(scope.bGitignore);
    EXPECT_EQ(scope.historyPoints, 50u);
    EXPECT_EQ(ParseReportArguments({ "--history=007", "d" }).arguments.historyPoints, 7u);
}

TEST(AppendJsonString, EscapesControlsAndReplacesEachBadByte)
{
    const std::pair<std::string, std::string> cases[] = {
        { "plain", "\"plain\"" }, { "q\"b\\s/", "\"q\\\"b\\\\s/\"" },
        { std::string("\n\t\r\b\f\x01\x1f\x7f\0", 9), "\"\\n\\t\\r\\b\\f\\u0001\\u001f\\u007f\\u0000\"" },
        { "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"" },
        { "a\xFF"
          "b",
            "\"a\xEF\xBF\xBD"
            "b\"" },
        { "\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"" }, // overlong '/'
        { "\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"" }, // a surrogate
        { "\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"" }, // past U+10FFFF
        { "\xE2\x82", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"" }, // cut short at the end
    };
    for (const auto& [csInput, csExpected] : cases) {
        std::string csOut;
        AppendJsonString(csOut, csInput);
        EXPECT_EQ(csOut, csExpected);
    }
}

TEST(FormatTextTable, AlignsEveryColumnUnderItsHeading)
{
    LineCounters counters { 1000, 10, 500, 490, 300, 123456, 200000 };
    const std::string csTable = FormatTextTable(BuildReport(counters));
    std::vector<std::string> lines;
    for (std::size_t nPos = 0, nEnd = 0; (nEnd = csTable.find('\n', nPos)) != std::string::npos; nPos = nEnd + 1)
        lines.push_back(csTable.substr(nPos, nEnd - nPos));
    ASSERT_EQ(lines.size(), 10u);
    // Right-aligned columns end where their heading ends; left ones start where it starts.
    const std::size_t nLinesEnd = lines[0].find("# Lines") + 7;
    const std::size_t nCharsEnd = lines[0].find("# Characters") + 12;
    const std::size_t nCommentsAt = lines[0].find("Comments");
    EXPECT_EQ(lines[4].find("1000") + 4, nLinesEnd);
    EXPECT_EQ(lines[7].find("123456") + 6, nCharsEnd);
    EXPECT_EQ(lines[2].find("% of total lines"), nCommentsAt);
    EXPECT_EQ(lines[3].find("% of Code & comments"), nCommentsAt);
    EXPECT_EQ(lines[1].find_first_not_of("- "), std::string::npos);
}

// Three commits, their kinds worked out by hand: comment only = comments - (code - code only).
ReportModel historyModel(CountingRules rules)
{
    ReportModel model = BuildReportModel({}, {}, { rules, false, "2026-12-09T10:00:00Z", "" }, std::nullopt);
    model.scope.bGitignore = true;
    model.scope.excludePatterns = { "build" };
    model.history = {
        { "1111111aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "2024-01-01T00:00:00Z", 1704067200, 1,
            { 10, 2, 6, 5, 3, 100, 150, 0 } },
        { "2222222bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", "2024-07-01T00:00:00Z", 1719792000, 2,
            { 20, 5, 12, 10, 5, 250, 320, 0 } },
        { "3333333ccccccccccccccccccccccccccccccccc", "2025-01-01T00:00:00Z", 1735689600, 3,
            { 40, 10, 26, 20, 8, 600, 800, 2 } },
    };
    return model;
}

TEST(HistoryReport, EachWriterShowsEveryCommitOldestFirst)
{
    const ReportModel simple = historyModel(CountingRules::Simple);
    EXPECT_EQ(WriteTextReport(simple),
        "Date                  Commit   Files  Comment only  Code with a comment  Code only  Empty  Code characters\n"
        "--------------------  -------  -----  ------------  -------------------  ---------  -----  ---------------\n"
        "2024-01-01T00:00:00Z  1111111      1             1                    1          5      3              100\n"
        "2024-07-01T00:00:00Z  2222222      2             3                    2         10      5              250\n"
        "2025-01-01T00:00:00Z  3333333      3             4                    6         20      8              600\n");
    // The syntax rules add the disabled lines as a fifth kind.
    EXPECT_EQ(WriteTsvReport(historyModel(CountingRules::Syntax)),
        "Date\tCommit\tFiles\tComment only\tCode with a comment\tCode only\tEmpty\tDisabled\tCode characters\n"
        "2024-01-01T00:00:00Z\t1111111\t1\t1\t1\t5\t3\t0\t100\n"
        "2024-07-01T00:00:00Z\t2222222\t2\t3\t2\t10\t5\t0\t250\n"
        "2025-01-01T00:00:00Z\t3333333\t3\t4\t6\t20\t8\t2\t600\n");
    EXPECT_EQ(WriteJsonReport(simple),
        "{\n  \"version\": \"" + ReportVersionNumber()
            + "\",\n"
              "  \"generated\": \"2026-12-09T10:00:00Z\",\n"
              "  \"rules\": \"simple\",\n"
              "  \"scope\": {\"gitignore\": true, \"exclude\": [\"build\"]},\n"
              "  \"history\": [\n"
              "    {\"commit\": \"1111111aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\", \"date\": \"2024-01-01T00:00:00Z\", "
              "\"files\": 1,\n"
              "      \"counters\": {\"nTotalLines\": 10, \"nCommentLines\": 2, \"nCodeLines\": 6, \"nCodeOnlyLines\": 5, "
              "\"nEmptyLines\": 3, \"nCodeChars\": 100, \"nTotalChars\": 150}},\n"
              "    {\"commit\": \"2222222bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\", \"date\": \"2024-07-01T00:00:00Z\", "
              "\"files\": 2,\n"
              "      \"counters\": {\"nTotalLines\": 20, \"nCommentLines\": 5, \"nCodeLines\": 12, \"nCodeOnlyLines\": 10, "
              "\"nEmptyLines\": 5, \"nCodeChars\": 250, \"nTotalChars\": 320}},\n"
              "    {\"commit\": \"3333333ccccccccccccccccccccccccccccccccc\", \"date\": \"2025-01-01T00:00:00Z\", "
              "\"files\": 3,\n"
              "      \"counters\": {\"nTotalLines\": 40, \"nCommentLines\": 10, \"nCodeLines\": 26, \"nCodeOnlyLines\": 20, "
              "\"nEmptyLines\": 8, \"nCodeChars\": 600, \"nTotalChars\": 800}}\n"
              "  ]\n"
              "}\n");
}

TEST(DefaultThreadCount, TakesOneTo256AndFallsBackToOnePerCore)
{
    cpu_set_t allowed;
    ASSERT_EQ(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
    const auto nPerCore = static_cast<unsigned>(CPU_COUNT(&allowed));
    const std::pair<const char*, unsigned> cases[] = {
        { "1", 1 }, { "3", 3 }, { "256", 256 }, { "0", nPerCore }, { "257", nPerCore }, { "x", nPerCore },
        { "", nPerCore }, { "2x", nPerCore }, { "-1", nPerCore },
    };
    for (const auto& [pszValue, nExpected] : cases) {
        ASSERT_EQ(::setenv(THREADS_VARIABLE, pszValue, 1), 0);
        EXPECT_EQ(DefaultThreadCount(), nExpected) << '"' << pszValue << '"';
    }
    std::string csWarning;
    (void)DefaultThreadCount(&csWarning);
    EXPECT_EQ(csWarning, "PINDREL_REPORT_THREADS=-1 is not a number from 1 to 256; counting with one thread per core");
    ::unsetenv(THREADS_VARIABLE);
    EXPECT_EQ(DefaultThreadCount(), nPerCore);

    // Pinned to one core (as taskset or a container does), one thread.
    cpu_set_t one;
    CPU_ZERO(&one);
    int nCpu = 0;
    while (!CPU_ISSET(nCpu, &allowed))
        ++nCpu;
    CPU_SET(nCpu, &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    const unsigned nPinned = DefaultThreadCount();
    ::sched_setaffinity(0, sizeof allowed, &allowed);
    EXPECT_EQ(nPinned, 1u);
}

} // namespace
