#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ScopeFilter.h"

// What a project's scope left out of a run: files the name rule took in the
// folders that were read, and folders not entered at all.
struct ScopeCounts
{
    std::size_t nFilesLeftOut = 0;
    std::size_t nFoldersLeftOut = 0;

    ScopeCounts& operator+=(const ScopeCounts& other)
    {
        nFilesLeftOut += other.nFilesLeftOut;
        nFoldersLeftOut += other.nFoldersLeftOut;
        return *this;
    }
    friend bool operator==(const ScopeCounts&, const ScopeCounts&) = default;
};

// Which files below one project a run counts, asked by every walk for each
// entry: the name rule ("h*" before "c*"), the user's exclude patterns and, when
// given, a filter that knows more. The one place these rules live.
class FileSelection
{
public:
    FileSelection() = default; // the name rule alone
    explicit FileSelection(std::vector<std::string> excludePatterns, std::shared_ptr<const ScopeFilter> filter = {});

    // The pattern a file name falls under: 0 for "h*", 1 for "c*", none for neither.
    [[nodiscard]] static std::optional<std::size_t> PatternOf(std::string_view csName);

    // Whether the walk enters the directory at csRelative (see ScopeFilter for paths).
    [[nodiscard]] bool EntersDirectory(std::string_view csRelative) const;

    // Whether a file whose name PatternOf took is counted.
    [[nodiscard]] bool KeepsFile(std::string_view csRelative) const;

    [[nodiscard]] const std::vector<std::string>& ExcludePatterns() const { return m_excludePatterns; }
    [[nodiscard]] bool HasFilter() const { return m_filter != nullptr; }

    // Whether it leaves out more than the name rule does: only then are paths asked about.
    [[nodiscard]] bool Limited() const { return m_filter != nullptr || !m_excludePatterns.empty(); }

private:
    std::vector<std::string> m_excludePatterns;
    std::shared_ptr<const ScopeFilter> m_filter;
};
