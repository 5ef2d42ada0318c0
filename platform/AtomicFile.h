#pragma once

#include <string>
#include <string_view>

#include "FileFailure.h"

// The whole content of a small file, read in one go.
struct FileText
{
    bool bExists = false;
    std::string csText;
    std::optional<FileFailure> failure; // set when the file exists but cannot be read
};

// Whether a write may create the folders missing on the way to the file.
enum class MissingFolders
{
    Create,
    Fail,
};

// Reads a whole regular file; a missing file reads as empty and is no failure.
[[nodiscard]] FileText ReadFileText(const std::string& csPath);

// Replaces the file's content in one rename, so that it holds either the old or the new content, never a mix.
// Creates missing folders when asked to; an existing file keeps its permission bits (and its owner where
// allowed), a new one gets the umask's, and one the caller may not write is refused; a symbolic link is
// written through to its target. On failure the file is untouched and no temporary file is left behind.
// A device or a pipe in the file's place is written into, as a shell's redirection would, never replaced.
[[nodiscard]] FileStatus WriteFileAtomically(
    const std::string& csPath, std::string_view csContent, MissingFolders folders = MissingFolders::Create);
