#include "FileSelection.h"

#include "CollectSourceFiles.h"
#include "SourceNameMatch.h"

FileSelection::FileSelection(std::vector<std::string> excludePatterns, std::shared_ptr<const ScopeFilter> filter)
    : m_excludePatterns(std::move(excludePatterns))
    , m_filter(std::move(filter))
{
}

std::optional<std::size_t> FileSelection::PatternOf(std::string_view csName)
{
    for (std::size_t nPattern = 0; nPattern < PROJECT_PATTERNS.size(); ++nPattern) {
        if (MatchesSourcePattern(csName, PROJECT_PATTERNS[nPattern]))
            return nPattern;
    }
    return std::nullopt;
}

bool FileSelection::EntersDirectory(std::string_view csRelative) const
{
    return m_filter == nullptr || m_filter->EntersDirectory(csRelative);
}

bool FileSelection::KeepsFile(std::string_view csRelative) const
{
    return m_filter == nullptr || m_filter->KeepsFile(csRelative);
}
