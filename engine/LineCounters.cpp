#include "LineCounters.h"

LineCounters g_lineCounters;

LineCounters& LineCounters::operator+=(const LineCounters& other)
{
    nTotalLines += other.nTotalLines;
    nCommentLines += other.nCommentLines;
    nCodeLines += other.nCodeLines;
    nCodeOnlyLines += other.nCodeOnlyLines;
    nEmptyLines += other.nEmptyLines;
    nCodeChars += other.nCodeChars;
    nTotalChars += other.nTotalChars;
    nDisabledLines += other.nDisabledLines;
    return *this;
}
