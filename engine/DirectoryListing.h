#pragma once

#include <string>
#include <vector>

struct DirectoryEntry
{
    std::string csName;
    bool bDirectory = false; // a real directory, not a link to one
};

// Lists a directory's entries other than "." and "..", sorted by name (byte
// order) so that every run visits them alike. Empty when it cannot be read;
// then pnError, when given, receives errno (else 0).
[[nodiscard]] std::vector<DirectoryEntry> ListDirectory(const std::string& csDir, int* pnError = nullptr);
