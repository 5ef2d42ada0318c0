#pragma once

#include <string>

#include "LineCounters.h"

enum class FileCountResult
{
    Counted,        // a regular file, read to its end (or to a read error)
    NotOpened,      // missing, unreadable, a dangling or looping link
    NotRegularFile, // a directory, FIFO, socket or device: never read
};

// Adds the lines of the file at csPath to counters. Only regular files are read,
// and no further than the size they had when opened, so a FIFO cannot block and
// a growing file cannot keep the reader forever.
FileCountResult CountFile(const std::string& csPath, LineCounters& counters);

// Counts file nFile of slot nProject of ProjectFileLists into g_lineCounters.
// Indices outside the lists count nothing.
void CountFileLines(int nProject, int nFile);
