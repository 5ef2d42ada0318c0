#include "StringTable.h"

#include <map>

namespace {

std::map<unsigned, std::string>& table()
{
    static std::map<unsigned, std::string> strings;
    return strings;
}

} // namespace

void RegisterString(unsigned nId, std::string csText)
{
    table()[nId] = std::move(csText);
}

std::string LoadString(unsigned nId)
{
    const auto it = table().find(nId);
    return it == table().end() ? std::string() : it->second;
}
