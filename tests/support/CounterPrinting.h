#pragma once

#include <ostream>

#include "LineCounters.h"

// Lets GoogleTest show both sides of a failed counters comparison field by field.
inline void PrintTo(const LineCounters& c, std::ostream* pOut)
{
    *pOut << "{total " << c.nTotalLines << ", comment " << c.nCommentLines << ", code " << c.nCodeLines << ", codeOnly "
          << c.nCodeOnlyLines << ", empty " << c.nEmptyLines << ", codeChars " << c.nCodeChars << ", totalChars "
          << c.nTotalChars << "}";
}
