#pragma once

#include <optional>
#include <string>

// What went wrong with a file, for the user interface to word in the user's language.
enum class FileFailureKind
{
    CannotRead,         // an existing file could not be read; it was left unchanged
    NotRegularFile,     // a folder, device or pipe stands where the file should be
    CannotWrite,        // the user may not write the file (or its folder is missing)
    CannotCreateFolder, // a folder on the way to the file could not be created
    CannotCreateTemp,   // no temporary file could be created next to the file
    WriteFailed,
    SyncFailed,
    ReplaceFailed,      // the temporary file could not take the file's place
    InvalidEntry,       // a name or value the INI file cannot hold; nothing was written
};

struct FileFailure
{
    FileFailureKind kind = FileFailureKind::WriteFailed;
    std::string csPath; // the file or folder concerned
    int nErrno = 0;     // the system's reason; 0 where the kind says it all
    bool operator==(const FileFailure&) const = default;
};

// Outcome of a change to a file: success, or what failed.
struct FileStatus
{
    std::optional<FileFailure> failure;
    explicit operator bool() const { return !failure; }
};
