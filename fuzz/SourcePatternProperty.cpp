#include "SourcePatternProperty.h"

#include <fnmatch.h>
#include <string_view>

#include "SourceNameMatch.h"

namespace {

constexpr std::string_view PATTERN_ALPHABET = "aAbBcChHpPxX019_.";

// Splits the pattern off the head of the input; the rest is the name.
std::string takePattern(std::string_view& csInput)
{
    const auto nMode = static_cast<unsigned char>(csInput.front());
    csInput.remove_prefix(1);
    if (nMode == 0)
        return "h*";
    if (nMode == 1)
        return "c*";
    std::string csPattern;
    if (!csInput.empty()) {
        std::size_t nLength = static_cast<unsigned char>(csInput.front()) % 6;
        csInput.remove_prefix(1);
        for (; nLength > 0 && !csInput.empty(); --nLength) {
            csPattern.push_back(
                PATTERN_ALPHABET[static_cast<unsigned char>(csInput.front()) % PATTERN_ALPHABET.size()]);
            csInput.remove_prefix(1);
        }
    }
    if (nMode % 2 == 1)
        csPattern.push_back('*');
    return csPattern;
}

// fnmatch sees the text only up to a NUL: past it, only a '*' can still match.
bool referenceMatch(std::string_view csName, const std::string& csPattern)
{
    std::size_t nDot = std::string_view::npos;
    for (std::size_t i = 0; i < csName.size(); ++i) {
        if (csName[i] == '.')
            nDot = i;
    }
    if (nDot == std::string_view::npos)
        return false;
    const std::string csSuffix(csName.substr(nDot + 1));
    const bool bHasNul = csSuffix.find('\0') != std::string::npos;
    if (bHasNul && (csPattern.empty() || csPattern.back() != '*'))
        return false;
    return ::fnmatch(csPattern.c_str(), csSuffix.c_str(), FNM_CASEFOLD | FNM_NOESCAPE) == 0;
}

} // namespace

std::string CheckSourcePattern(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return {};
    std::string_view csInput(reinterpret_cast<const char*>(pData), nSize);
    const std::string csPattern = takePattern(csInput);
    const bool bExpected = referenceMatch(csInput, csPattern);
    if (MatchesSourcePattern(csInput, csPattern) == bExpected)
        return {};
    return "pattern \"" + csPattern + "\" and a name of " + std::to_string(csInput.size()) + " bytes: expected "
        + (bExpected ? "a match" : "no match");
}
