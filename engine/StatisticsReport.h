#pragma once

#include <array>
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

// Turns the counters into the eight report rows of five text cells: counts as
// plain integers, quotients truncated toward zero and right-aligned to two
// characters; a quotient whose divisor is zero is left empty.
[[nodiscard]] Report BuildReport(const LineCounters& counters);
