#pragma once

#include <string>

#include "FileHandle.h"

// Opens a path of any length: a path the kernel refuses as too long is opened one
// directory at a time. Returns a closed handle on failure, with errno set.
[[nodiscard]] FileHandle OpenPath(const std::string& csPath, int nFlags);
