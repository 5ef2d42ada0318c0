#pragma once

#include <ostream>

#include "LineCounters.h"

// The counters of a run over 100 lines: 80 code lines of which 50 without a comment, 40
// lines with a comment (10 of them comment-only), 10 empty, 2,000 code characters out of 3,000.
inline LineCounters ExampleRunCounters()
{
    LineCounters c;
    c.nTotalLines = 100;
    c.nCommentLines = 40;
    c.nCodeLines = 80;
    c.nCodeOnlyLines = 50;
    c.nEmptyLines = 10;
    c.nCodeChars = 2000;
    c.nTotalChars = 3000;
    return c;
}

// Lets GoogleTest show both sides of a failed counters comparison field by field.
inline void PrintTo(const LineCounters& c, std::ostream* pOut)
{
    *pOut << "{total " << c.nTotalLines << ", comment " << c.nCommentLines << ", code " << c.nCodeLines << ", codeOnly "
          << c.nCodeOnlyLines << ", empty " << c.nEmptyLines << ", codeChars " << c.nCodeChars << ", totalChars "
          << c.nTotalChars << ", disabled " << c.nDisabledLines << "}";
}
