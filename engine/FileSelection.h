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

// One exclude pattern taken apart once, so that asking about an entry costs
// comparisons and no allocation.
struct ExcludeRule
{
    // One part between '/'s: its text and how it is matched.
    struct Part
    {
        enum class Kind { Literal, Wildcards, AnyDepth } kind = Kind::Literal;
        std::string csText;
    };

    std::vector<Part> parts; // a name pattern has exactly one
    bool bWholePath = false; // matched against the path below the project, not the name
    bool bDirectoriesOnly = false; // written with a trailing '/'

    // Takes csPattern apart as FileSelection describes.
    [[nodiscard]] static ExcludeRule Of(std::string_view csPattern);

    // Whether it leaves out the entry at csRelative.
    [[nodiscard]] bool Matches(std::string_view csRelative, bool bDirectory) const;
};

// Which files below one project a run counts, asked by every walk for each
// entry: the name rule ("h*" before "c*"), the user's exclude patterns and, when
// given, a filter that knows more. The one place these rules live.
//
// Exclude patterns use the shell's wildcards: '*', '?', "[...]" and "[!...]",
// a backslash quoting the next character. A pattern without '/' leaves out every
// file or directory of that name at any depth. A pattern with '/' is matched
// against the whole path below the project, where '*' and '?' do not cross '/'
// and "**" as a whole component stands for any number of components, none
// included ("src/**" leaves out src itself). A leading '/' changes nothing but
// readability ("/build" and "./build" are the project's own build folder, "build"
// every one);
// a trailing '/' limits a pattern to directories and is not counted as a '/'.
class FileSelection
{
public:
    FileSelection() = default; // the name rule alone
    explicit FileSelection(std::vector<std::string> excludePatterns, std::shared_ptr<const ScopeFilter> filter = {});

    // The pattern a file name falls under: 0 for "h*", 1 for "c*", none for neither.
    [[nodiscard]] static std::optional<std::size_t> PatternOf(std::string_view csName);

    // Whether the walk enters the directory at csRelative (see ScopeFilter for paths).
    [[nodiscard]] bool EntersDirectory(std::string_view csRelative) const;

    // Whether a file whose name PatternOf took is counted. The directories above
    // it are taken to have been entered: their patterns are not asked again.
    [[nodiscard]] bool KeepsFile(std::string_view csRelative) const;

    [[nodiscard]] const std::vector<std::string>& ExcludePatterns() const { return m_excludePatterns; }
    [[nodiscard]] bool HasFilter() const { return m_filter != nullptr; }

    // Whether it leaves out more than the name rule does: only then are paths asked about.
    [[nodiscard]] bool Limited() const { return m_filter != nullptr || !m_excludePatterns.empty(); }

private:
    [[nodiscard]] bool Excludes(std::string_view csRelative, bool bDirectory) const;

    std::vector<std::string> m_excludePatterns;
    std::vector<ExcludeRule> m_rules; // the patterns taken apart once, so an entry costs no allocation
    std::shared_ptr<const ScopeFilter> m_filter;
};
