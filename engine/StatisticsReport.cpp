#include "StatisticsReport.h"

#include <cinttypes>
#include <cstdio>

namespace {

std::string formatCount(std::int64_t nValue)
{
    char acText[32];
    std::snprintf(acText, sizeof acText, "%" PRId64, nValue);
    return acText;
}

// The product is formed before the division, in 64 bits; the whole-number
// result is padded to two characters like "%2.0f" of it.
std::string formatQuotient(std::int64_t nNumerator, std::int64_t nDivisor)
{
    if (nDivisor == 0)
        return {};
    char acText[32];
    std::snprintf(acText, sizeof acText, "%2" PRId64, nNumerator / nDivisor);
    return acText;
}

} // namespace

Report BuildReport(const LineCounters& c)
{
    const char* const pszOfTotal = "% of total lines";
    const char* const pszOfCode = "% of Code & comments";
    Report report;
    report[0] = { "Code & comments", formatCount(c.nCodeLines), "", formatQuotient(c.nCodeLines * 100, c.nTotalLines),
        pszOfTotal };
    report[1] = { "Code only", formatCount(c.nCodeOnlyLines), "",
        formatQuotient(c.nCodeOnlyLines * 100, c.nCodeLines), pszOfCode };
    report[2] = { "# lines", formatCount(c.nTotalLines), "", "", "" };
    report[3] = { "# lines with comments", formatCount(c.nCommentLines), "",
        formatQuotient(c.nCommentLines * 100, c.nCodeLines), pszOfCode };
    report[4] = { "# empty lines", formatCount(c.nEmptyLines), "", formatQuotient(c.nEmptyLines * 100, c.nTotalLines),
        pszOfTotal };
    report[5] = { "# code characters", "", formatCount(c.nCodeChars), "", "" };
    report[6] = { "# characters / code line", "", formatQuotient(c.nCodeChars, c.nCodeLines), "", "" };
    report[7] = { "% of code characters / # characters", "", "", formatQuotient(c.nCodeChars * 100, c.nTotalChars),
        "" };
    return report;
}

ReportRow BuildDisabledLinesRow(const LineCounters& c)
{
    return { "# disabled lines", formatCount(c.nDisabledLines), "", formatQuotient(c.nDisabledLines * 100, c.nTotalLines),
        "% of total lines" };
}
