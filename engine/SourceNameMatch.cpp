#include "SourceNameMatch.h"

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool MatchesSourcePattern(std::string_view csName, std::string_view csExt)
{
    const std::size_t nDot = csName.rfind('.');
    if (nDot == std::string_view::npos)
        return false;
    const std::string_view csSuffix = csName.substr(nDot + 1);
    if (csExt.ends_with('*')) {
        const std::string_view csPrefix = csExt.substr(0, csExt.size() - 1);
        return csSuffix.size() >= csPrefix.size() && equalNoCase(csSuffix.substr(0, csPrefix.size()), csPrefix);
    }
    return equalNoCase(csSuffix, csExt);
}
