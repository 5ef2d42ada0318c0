#include "FileSelection.h"

#include <algorithm>

#include "CollectSourceFiles.h"
#include "SourceNameMatch.h"

namespace {

using Part = ExcludeRule::Part;

bool hasWildcard(std::string_view csText) { return csText.find_first_of("*?[\\") != std::string_view::npos; }

// Whether the bracket expression starting at csPattern[nOpen] == '[' takes c;
// nNext is set after its ']'. One without a closing ']' is no expression: false,
// and nNext stays 0, so the caller reads the '[' as itself.
bool bracketTakes(std::string_view csPattern, std::size_t nOpen, char c, std::size_t& nNext)
{
    nNext = 0;
    std::size_t i = nOpen + 1;
    const bool bNegated = i < csPattern.size() && (csPattern[i] == '!' || csPattern[i] == '^');
    i += bNegated ? 1 : 0;
    bool bTaken = false;
    for (bool bFirst = true; i < csPattern.size(); bFirst = false) {
        if (csPattern[i] == ']' && !bFirst) {
            nNext = i + 1;
            return bTaken != bNegated;
        }
        if (csPattern[i] == '\\' && i + 1 < csPattern.size())
            ++i;
        const char cLow = csPattern[i++];
        char cHigh = cLow;
        if (i + 1 < csPattern.size() && csPattern[i] == '-' && csPattern[i + 1] != ']') {
            i += csPattern[i + 1] == '\\' && i + 2 < csPattern.size() ? 2 : 1;
            cHigh = csPattern[i++];
        }
        const auto u = static_cast<unsigned char>(c);
        bTaken = bTaken || (static_cast<unsigned char>(cLow) <= u && u <= static_cast<unsigned char>(cHigh));
    }
    return false;
}

// Whether the one-character token at csPattern[nPat] ('?', a set, a quoted or a
// plain character) takes c; nNext is set after the token.
bool tokenTakes(std::string_view csPattern, std::size_t nPat, char c, std::size_t& nNext)
{
    const char p = csPattern[nPat];
    if (p == '?') {
        nNext = nPat + 1;
        return true;
    }
    if (p == '[') {
        const bool bTaken = bracketTakes(csPattern, nPat, c, nNext);
        if (nNext != 0)
            return bTaken;
    }
    if (p == '\\' && nPat + 1 < csPattern.size()) {
        nNext = nPat + 2;
        return csPattern[nPat + 1] == c;
    }
    nNext = nPat + 1;
    return p == c;
}

// The shell's wildcards over one name or path component, as fnmatch(3) without
// flags matches them: '*' any run, '?' one character, "[...]" a set. One '*'
// is remembered for backtracking, which suffices because every other token
// takes exactly one character.
bool wildcardsMatch(std::string_view csPattern, std::string_view csText)
{
    std::size_t nPat = 0;
    std::size_t nText = 0;
    std::size_t nStarPat = std::string_view::npos;
    std::size_t nStarText = 0;
    while (nText < csText.size()) {
        if (nPat < csPattern.size()) {
            if (csPattern[nPat] == '*') {
                nStarPat = ++nPat;
                nStarText = nText;
                continue;
            }
            std::size_t nNext = 0;
            if (tokenTakes(csPattern, nPat, csText[nText], nNext)) {
                nPat = nNext;
                ++nText;
                continue;
            }
        }
        if (nStarPat == std::string_view::npos)
            return false;
        nPat = nStarPat;
        nText = ++nStarText;
    }
    while (nPat < csPattern.size() && csPattern[nPat] == '*')
        ++nPat;
    return nPat == csPattern.size();
}

// The next '/' from nFrom that separates parts: one inside a set ("[/a]") does not.
std::size_t nextSeparator(std::string_view csPattern, std::size_t nFrom)
{
    for (std::size_t i = nFrom; i < csPattern.size(); ++i) {
        if (csPattern[i] == '/')
            return i;
        std::size_t nNext = 0;
        if (csPattern[i] == '[' && (bracketTakes(csPattern, i, '\0', nNext), nNext != 0))
            i = nNext - 1;
    }
    return std::string_view::npos;
}

bool partMatches(const Part& part, std::string_view csName)
{
    return part.kind == Part::Kind::Literal ? part.csText == csName : wildcardsMatch(part.csText, csName);
}

// csPath's components against parts[nPart...]; an empty csPath has none left.
bool pathMatches(const std::vector<Part>& parts, std::size_t nPart, std::string_view csPath)
{
    if (nPart == parts.size())
        return csPath.empty();
    const std::size_t nSlash = csPath.find('/');
    const std::string_view csRest = nSlash == std::string_view::npos ? std::string_view() : csPath.substr(nSlash + 1);
    if (parts[nPart].kind == Part::Kind::AnyDepth) {
        // None of the path's components, or its first one and perhaps more.
        return pathMatches(parts, nPart + 1, csPath) || (!csPath.empty() && pathMatches(parts, nPart, csRest));
    }
    return !csPath.empty() && partMatches(parts[nPart], csPath.substr(0, nSlash))
        && pathMatches(parts, nPart + 1, csRest);
}

} // namespace

ExcludeRule ExcludeRule::Of(std::string_view csPattern)
{
    ExcludeRule rule;
    // A trailing '/' (not one quoted by a backslash) asks for directories only.
    while (csPattern.ends_with('/') && !csPattern.ends_with("\\/")) {
        rule.bDirectoriesOnly = true;
        csPattern.remove_suffix(1);
    }
    rule.bWholePath = nextSeparator(csPattern, 0) != std::string_view::npos;
    while (csPattern.starts_with('/'))
        csPattern.remove_prefix(1);
    std::size_t nStart = 0;
    while (nStart <= csPattern.size()) {
        const std::size_t nEnd = std::min(nextSeparator(csPattern, nStart), csPattern.size());
        const std::string_view csText = csPattern.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        if (csText.empty() || csText == ".")
            continue; // "a//b" and "./a/b" are "a/b"
        Part part { hasWildcard(csText) ? Part::Kind::Wildcards : Part::Kind::Literal, std::string(csText) };
        if (rule.bWholePath && csText == "**")
            part.kind = Part::Kind::AnyDepth;
        // "**/**" means no more than "**", and each extra one would multiply the ways to try.
        if (part.kind == Part::Kind::AnyDepth && !rule.parts.empty() && rule.parts.back().kind == Part::Kind::AnyDepth)
            continue;
        rule.parts.push_back(std::move(part));
    }
    return rule;
}

bool ExcludeRule::Matches(std::string_view csRelative, bool bDirectory) const
{
    if (parts.empty() || (bDirectoriesOnly && !bDirectory))
        return false;
    if (bWholePath)
        return pathMatches(parts, 0, csRelative);
    const std::size_t nSlash = csRelative.rfind('/');
    return partMatches(parts.front(), nSlash == std::string_view::npos ? csRelative : csRelative.substr(nSlash + 1));
}

FileSelection::FileSelection(std::vector<std::string> excludePatterns, std::shared_ptr<const ScopeFilter> filter)
    : m_excludePatterns(std::move(excludePatterns))
    , m_filter(std::move(filter))
{
    for (const std::string& csPattern : m_excludePatterns)
        m_rules.push_back(ExcludeRule::Of(csPattern));
}

std::optional<std::size_t> FileSelection::PatternOf(std::string_view csName)
{
    for (std::size_t nPattern = 0; nPattern < PROJECT_PATTERNS.size(); ++nPattern) {
        if (MatchesSourcePattern(csName, PROJECT_PATTERNS[nPattern]))
            return nPattern;
    }
    return std::nullopt;
}

bool FileSelection::Excludes(std::string_view csRelative, bool bDirectory) const
{
    return std::any_of(
        m_rules.begin(), m_rules.end(), [&](const ExcludeRule& rule) { return rule.Matches(csRelative, bDirectory); });
}

bool FileSelection::EntersDirectory(std::string_view csRelative) const
{
    return !Excludes(csRelative, true) && (m_filter == nullptr || m_filter->EntersDirectory(csRelative));
}

bool FileSelection::KeepsFile(std::string_view csRelative) const
{
    return !Excludes(csRelative, false) && (m_filter == nullptr || m_filter->KeepsFile(csRelative));
}
