#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include "FileHandle.h"

// The directory through which the last long path was opened. A tree is walked
// depth first, so the next long path usually lies below it: starting there keeps
// each open a few steps long instead of walking from the root every time.
class LongPathAnchor
{
public:
    // An open duplicate of the anchored directory when csPath lies below it and
    // the directory was not renamed, removed or changed since it was anchored;
    // nAfter is then where the rest of csPath starts. Else a closed handle.
    [[nodiscard]] FileHandle DirectoryFor(const std::string& csPath, std::size_t& nAfter);
    // Anchors at dir, the directory that csDir names now.
    void Set(const std::string& csDir, const FileHandle& dir);
    // Forgets the anchor.
    void Clear();

private:
    std::string m_csDir;
    FileHandle m_dir;
    timespec m_changed {}; // renaming the directory changes this
};
