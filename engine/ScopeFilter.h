#pragma once

#include <string_view>

// A rule beyond names and patterns that decides which entries below a project a
// run takes (git's ignore rules, for one). Paths are relative to the project
// directory: names joined with '/', no leading or trailing '/'. One walk asks
// from one thread.
class ScopeFilter
{
public:
    virtual ~ScopeFilter() = default;

    // Whether the walk lists the directory at all; a directory refused costs nothing more.
    [[nodiscard]] virtual bool EntersDirectory(std::string_view csRelative) const = 0;

    // Whether a file the name rule took is counted.
    [[nodiscard]] virtual bool KeepsFile(std::string_view csRelative) const = 0;
};
