#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "CountingRules.h"
#include "FileHandle.h"
#include "LineCounters.h"

enum class FileCountResult
{
    Counted,        // a regular file, read to its end
    NotOpened,      // missing, unreadable, a dangling or looping link
    NotRegularFile, // a directory, FIFO, socket or device: never read
    ReadFailed,     // a regular file whose reading failed part way: the lines before count
};

// A file opened for counting and the size it had then; counting reads no further.
struct CountableFile
{
    FileHandle file;
    std::uint64_t nSize = 0;
    FileCountResult result = FileCountResult::NotOpened; // Counted when file can be counted
};

// Opens csPath for counting. Only a regular file is kept open, so a FIFO cannot
// block and a growing file cannot keep the reader forever.
[[nodiscard]] CountableFile OpenCountableFile(const std::string& csPath);

// Adds the lines of segment nIndex of an open file of nSize bytes cut every
// nSegment bytes. Each cut is moved forward to the next line start (just after
// an LF, where the reader holds nothing over), so segment k runs from the first
// line start at or after k * nSegment to the first at or after (k + 1) * nSegment,
// and the segments' sums equal the whole file's. Under the syntax rules the
// lexer's state runs on across lines, so segment 0 is the whole file and the
// others are empty. Returns the errno of a read that failed, which ends the
// segment there, or 0.
int CountFileSegment(int fd, std::uint64_t nSize, std::uint64_t nSegment, std::uint64_t nIndex,
    LineCounters& counters, CountingRules rules = CountingRules::Simple);

// Adds the lines of the file at csPath to counters. Only regular files are read,
// and no further than the size they had when opened, so a FIFO cannot block and
// a growing file cannot keep the reader forever. Lines are classified by rules.
FileCountResult CountFile(const std::string& csPath, LineCounters& counters, CountingRules rules = CountingRules::Simple);

// Adds the lines of text held in memory (a file's content read from elsewhere)
// to counters, exactly as CountFile counts a file of the same bytes.
void CountText(std::string_view text, LineCounters& counters, CountingRules rules = CountingRules::Simple);

// Counts file nFile of slot nProject of ProjectFileLists into g_lineCounters.
// Indices outside the lists count nothing.
void CountFileLines(int nProject, int nFile);
