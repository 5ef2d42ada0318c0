#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include <memory>
#include "FileSelection.h"
#include "LineCounters.h"
#include "ProjectFileLists.h"
// The folders below a project that could not be opened or listed: their files
// are missing from the sums.
struct UnreadableFolders
{
    std::size_t nCount = 0;
    std::string csFirst; // the first met, as its path was collected
    int nFirstError = 0; // and its errno
};
// A file whose reading failed part way, and the system's reason.
struct FileReadFailure
{
    std::string csPath;
    int nErrno = 0;
    bool operator==(const FileReadFailure&) const = default;
};
// One project of a run: its directory, the files collected below it and their sums.
struct ProjectRun
{
    std::string csDirectory;    // as the user gave it
    FileList files;             // the "h*" matches, then the "c*" matches
    LineCounters counters;      // this project's own sums, filled by counting
    int nListError = 0;         // errno when csDirectory itself could not be listed, else 0
    UnreadableFolders unreadable; // the folders below csDirectory that could not be read
    std::vector<FileReadFailure> readFailures; // by path; the lines read before the failure are counted
    std::shared_ptr<const FileSelection> selection; // which files count; none: the name rule alone
    ScopeCounts leftOut;        // what the selection left out, filled by the walk
};
