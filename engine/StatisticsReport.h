#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "LineCounters.h"

inline constexpr int REPORT_ROW_COUNT = 8;
inline constexpr int REPORT_COLUMN_COUNT = 5;

using ReportRow = std::array<std::string, REPORT_COLUMN_COUNT>;
using Report = std::array<ReportRow, REPORT_ROW_COUNT>;

enum class ColumnAlignment
{
    Left = 0,
    Right = 1,
};

struct ReportColumn
{
    const char* pszHeading;
    ColumnAlignment alignment;
    int nWidth; // pixels
};

// The results list's default columns; the headings' trailing blanks are intended.
inline constexpr std::array<ReportColumn, REPORT_COLUMN_COUNT> REPORT_COLUMNS { {
    { "Results", ColumnAlignment::Left, 184 },
    { "# Lines ", ColumnAlignment::Right, 67 },
    { "# Characters ", ColumnAlignment::Right, 77 },
    { "% ", ColumnAlignment::Right, 29 },
    { "Comments", ColumnAlignment::Left, 125 },
} };

// Colours of the report's rows, taken in turn, laid out 0x00BBGGRR.
struct ReportRowColors
{
    std::uint32_t crFore;
    std::uint32_t crBack;
};

inline constexpr std::array<ReportRowColors, 2> REPORT_ROW_COLORS { {
    { 0x000000, 0xBFFFFF }, // pale yellow
    { 0x000000, 0xF5FFFF }, // near white
} };

// Turns the counters into the eight report rows of five text cells: counts as
// plain integers, quotients truncated toward zero and right-aligned to two
// characters; a quotient whose divisor is zero is left empty.
[[nodiscard]] Report BuildReport(const LineCounters& counters);

// The ninth row that reports counted under the syntax rules show: the disabled
// lines and their share of all lines.
[[nodiscard]] ReportRow BuildDisabledLinesRow(const LineCounters& counters);
