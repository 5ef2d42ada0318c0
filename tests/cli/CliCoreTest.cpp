#include <algorithm>
#include <cstdlib>
#include <sched.h>
#include <thread>

#include <gtest/gtest.h>

#include "JsonText.h"
#include "ParallelCount.h"
#include "ProjectFileLists.h"
#include "ReportArguments.h"
#include "TextReport.h"

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
