#pragma once

#include <array>
#include <cstdint>

#include "LineCounters.h"

// One of the four kinds every counted line belongs to exactly once.
struct LineKind
{
    const char* pszLabel;
    std::int64_t nLines;
};

inline constexpr int LINE_KIND_COUNT = 4;

// Splits the lines into comment only, code with a comment, code only and empty.
// A line with a "//" counts as a comment line, and as a code line too when code
// stands before the comment; a code-only line counts as a code line as well.
[[nodiscard]] std::array<LineKind, LINE_KIND_COUNT> SplitLineKinds(const LineCounters& counters);
