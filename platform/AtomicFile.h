#pragma once

#include <string>
#include <string_view>

#include "ProfileStatus.h"

// The whole content of a small file, read in one go.
struct FileText
{
    bool bOk = true; // false when the file exists but cannot be read
    bool bExists = false;
    std::string csText;
    std::string csError; // a sentence naming the path and the reason, when !bOk
};

// Reads a whole regular file; a missing file reads as empty and is no failure.
[[nodiscard]] FileText ReadFileText(const std::string& csPath);

// Replaces the file's content in one rename, so that it holds either the old or the new content, never a mix.
// Creates missing folders; an existing file keeps its permission bits, and one the caller may not write is
// refused; a symbolic link is written through to its target. On failure the file is untouched and no
// temporary file is left behind.
[[nodiscard]] ProfileStatus WriteFileAtomically(const std::string& csPath, std::string_view csContent);
