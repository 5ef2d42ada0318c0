#pragma once

#include <string>
#include <vector>

struct DirectoryEntry
{
    std::string csName;
    bool bDirectory = false; // a real directory, not a link to one
};

// Lists the entries other than "." and ".." of the directory open as dirFd (left
// open), sorted by name (byte order) so that every run visits them alike. When
// it cannot be read to its end, pnError, when given, receives errno (else 0) and
// the entries read before the failure are returned.
[[nodiscard]] std::vector<DirectoryEntry> ListOpenDirectory(int dirFd, int* pnError = nullptr);
