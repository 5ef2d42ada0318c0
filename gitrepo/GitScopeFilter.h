#pragma once

#include <memory>
#include <string>

#include "ScopeFilter.h"

// git's own answer to which files below a project it would list: the tracked
// files and the untracked ones no ignore rule covers.
struct GitScope
{
    std::shared_ptr<const ScopeFilter> filter; // none when the directory is not inside a git work tree
    std::string csProblem;                     // why there is none, in the user's words
};

// Opens the work tree csProjectDirectory lies in and reads its index and ignore rules.
[[nodiscard]] GitScope OpenGitScope(const std::string& csProjectDirectory);
