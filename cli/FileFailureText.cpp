#include "FileFailureText.h"

#include <system_error>

std::string DescribeFileFailure(const FileFailure& failure)
{
    const std::string csPath = "\"" + failure.csPath + "\"";
    const std::string csReason = std::generic_category().message(failure.nErrno);
    switch (failure.kind) {
    case FileFailureKind::CannotRead: return "cannot read " + csPath + ": " + csReason;
    case FileFailureKind::NotRegularFile: return csPath + " is not a regular file";
    case FileFailureKind::CannotWrite: return "cannot write " + csPath + ": " + csReason;
    case FileFailureKind::CannotCreateFolder: return "cannot create the folder " + csPath + ": " + csReason;
    case FileFailureKind::CannotCreateTemp: return "cannot create a temporary file next to " + csPath + ": " + csReason;
    case FileFailureKind::WriteFailed: return "writing " + csPath + " failed: " + csReason;
    case FileFailureKind::SyncFailed: return "flushing " + csPath + " to disk failed: " + csReason;
    case FileFailureKind::ReplaceFailed: return "cannot replace " + csPath + ": " + csReason;
    case FileFailureKind::InvalidEntry: return csPath + " cannot hold the text to be written";
    }
    return "cannot write " + csPath + ": " + csReason;
}
