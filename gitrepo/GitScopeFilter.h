#pragma once

#include <memory>
#include <string>

#include "ScopeFilter.h"

// git's own answer to which files below a project it would list: the tracked
// files and the untracked ones no ignore rule covers.
struct GitScope
{
    std::shared_ptr<const ScopeFilter> filter; // none when the directory is not inside a git work tree
    std::string csProblem; // why there is none, in the user's words
};

// Opens the work tree csProjectDirectory lies in (searching upward; a .git file
// pointing elsewhere is followed) and reads its index once; ignore rules are
// asked only about untracked paths. No filter and no problem when the directory
// does not exist: the walk reports that itself. Each filter is asked by one
// thread at a time.
[[nodiscard]] GitScope OpenGitScope(const std::string& csProjectDirectory);
