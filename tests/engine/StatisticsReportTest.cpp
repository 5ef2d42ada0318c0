#include "StatisticsReport.h"

#include <gtest/gtest.h>

#include "CounterPrinting.h"

TEST(BuildReport, ExampleCountersGiveTheWholeTable)
{
    const Report expected { {
        { "Code & comments", "80", "", "80", "% of total lines" },
        { "Code only", "50", "", "62", "% of Code & comments" },
        { "# lines", "100", "", "", "" },
        { "# lines with comments", "40", "", "50", "% of Code & comments" },
        { "# empty lines", "10", "", "10", "% of total lines" },
        { "# code characters", "", "2000", "", "" },
        { "# characters / code line", "", "25", "", "" },
        { "% of code characters / # characters", "", "", "66", "" },
    } };
    const Report report = BuildReport(ExampleRunCounters());
    for (int nRow = 0; nRow < REPORT_ROW_COUNT; ++nRow)
        EXPECT_EQ(report[nRow], expected[nRow]) << "row " << nRow;
}

TEST(BuildReport, QuotientsArePaddedToTwoAndNeverCut)
{
    LineCounters c = ExampleRunCounters();
    c.nEmptyLines = 7; // 7 %
    c.nCodeLines = 100;
    c.nCommentLines = 125; // 125 % of the code lines
    c.nCodeChars = 5; // 5 / 100 = 0 characters per code line
    const Report report = BuildReport(c);
    EXPECT_EQ(report[4][3], " 7");
    EXPECT_EQ(report[3][3], "125");
    EXPECT_EQ(report[0][3], "100");
    EXPECT_EQ(report[6][2], " 0");
}

TEST(BuildReport, ZeroDivisorLeavesOnlyTheQuotientEmpty)
{
    LineCounters c; // every divisor zero
    c.nCommentLines = 3;
    const Report report = BuildReport(c);
    const Report expected { {
        { "Code & comments", "0", "", "", "% of total lines" },
        { "Code only", "0", "", "", "% of Code & comments" },
        { "# lines", "0", "", "", "" },
        { "# lines with comments", "3", "", "", "% of Code & comments" },
        { "# empty lines", "0", "", "", "% of total lines" },
        { "# code characters", "", "0", "", "" },
        { "# characters / code line", "", "", "", "" },
        { "% of code characters / # characters", "", "", "", "" },
    } };
    EXPECT_EQ(report, expected);
}

TEST(BuildReport, SixtyFourBitValuesDoNotOverflow)
{
    LineCounters c;
    c.nTotalLines = 6'000'000'000;
    c.nCodeLines = 3'000'000'000;
    c.nCodeOnlyLines = 2'999'999'999;
    c.nCommentLines = 1;
    c.nEmptyLines = 3'000'000'000;
    c.nCodeChars = 90'000'000'000;
    c.nTotalChars = 100'000'000'000;
    const Report report = BuildReport(c);
    EXPECT_EQ(report[0][1], "3000000000");
    EXPECT_EQ(report[0][3], "50");
    EXPECT_EQ(report[1][3], "99");
    EXPECT_EQ(report[2][1], "6000000000");
    EXPECT_EQ(report[3][3], " 0");
    EXPECT_EQ(report[5][2], "90000000000");
    EXPECT_EQ(report[6][2], "30");
    EXPECT_EQ(report[7][3], "90");
}
