#include "LineKinds.h"

std::array<LineKind, LINE_KIND_COUNT> SplitLineKinds(const LineCounters& c)
{
    const std::int64_t nCodeWithComment = c.nCodeLines - c.nCodeOnlyLines;
    return { {
        { "Comment only", c.nCommentLines - nCodeWithComment },
        { "Code with a comment", nCodeWithComment },
        { "Code only", c.nCodeOnlyLines },
        { "Empty", c.nEmptyLines },
    } };
}
