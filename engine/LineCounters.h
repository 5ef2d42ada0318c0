#pragma once

#include <cstdint>

// The line and character counters of a calculation run. 64-bit, so that large
// trees cannot overflow them.
struct LineCounters
{
    std::int64_t nTotalLines = 0;
    std::int64_t nCommentLines = 0;
    std::int64_t nCodeLines = 0;
    std::int64_t nCodeOnlyLines = 0;
    std::int64_t nEmptyLines = 0;
    std::int64_t nCodeChars = 0;
    std::int64_t nTotalChars = 0;
    std::int64_t nDisabledLines = 0; // lines of groups the preprocessor always skips; syntax rules only

    // Sets every counter to zero.
    void Reset() { *this = LineCounters {}; }

    LineCounters& operator+=(const LineCounters& other);
    friend bool operator==(const LineCounters&, const LineCounters&) = default;
};

// The process-wide counters that a run accumulates into and the report reads.
extern LineCounters g_lineCounters;
