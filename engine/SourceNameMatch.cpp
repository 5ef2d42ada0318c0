#include "SourceNameMatch.h"

#include "AsciiText.h"


bool MatchesSourcePattern(std::string_view csName, std::string_view csExt)
{
    const std::size_t nDot = csName.rfind('.');
    if (nDot == std::string_view::npos)
        return false;
    const std::string_view csSuffix = csName.substr(nDot + 1);
    if (csExt.ends_with('*')) {
        const std::string_view csPrefix = csExt.substr(0, csExt.size() - 1);
        return csSuffix.size() >= csPrefix.size() && EqualsNoCaseAscii(csSuffix.substr(0, csPrefix.size()), csPrefix);
    }
    return EqualsNoCaseAscii(csSuffix, csExt);
}
