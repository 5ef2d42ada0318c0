#pragma once

#include <string>
#include <string_view>
#include <vector>

// A fresh directory under $TMPDIR, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::string& Path() const { return m_csPath; }
    // Path of a relative name inside the directory.
    [[nodiscard]] std::string operator/(std::string_view csRelative) const;

    // Creates the file (and its missing parent folders) with the given bytes; returns its path.
    std::string WriteFile(std::string_view csRelative, std::string_view csContent) const;
    // Creates a directory (and its parents); returns its path.
    std::string MakeDir(std::string_view csRelative) const;

private:
    std::string m_csPath;
};

// Reads a whole file; empty when it cannot be read.
[[nodiscard]] std::string ReadWholeFile(const std::string& csPath);

// The names in a folder, sorted; empty when it cannot be read.
[[nodiscard]] std::vector<std::string> FolderNames(const std::string& csFolder);
