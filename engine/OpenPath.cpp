#include "OpenPath.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "LongPathAnchor.h"

namespace {

thread_local LongPathAnchor t_anchor;

// Walks a long path component by component with openat from a starting
// directory, so no single call sees more than one name.
FileHandle openComponentWise(const std::string& csPath, std::size_t nPos, FileHandle dir, int nFlags)
{
    if (!dir.IsOpen())
        return {};
    while (nPos < csPath.size()) {
        while (nPos < csPath.size() && csPath[nPos] == '/')
            ++nPos;
        const std::size_t nStart = nPos;
        const std::size_t nEnd = csPath.find('/', nPos);
        const std::string csName = csPath.substr(nPos, nEnd == std::string::npos ? std::string::npos : nEnd - nPos);
        std::size_t nNext = nEnd == std::string::npos ? csPath.size() : nEnd;
        while (nNext < csPath.size() && csPath[nNext] == '/')
            ++nNext;
        const bool bLast = nNext >= csPath.size();
        if (csName.empty())
            return dir; // the path named a directory with a trailing separator
        if (bLast) {
            std::size_t nDirEnd = nStart;
            while (nDirEnd > 1 && csPath[nDirEnd - 1] == '/')
                --nDirEnd;
            t_anchor.Set(csPath.substr(0, nDirEnd), dir);
            return FileHandle(::openat(dir.Get(), csName.c_str(), nFlags));
        }
        FileHandle next(::openat(dir.Get(), csName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!next.IsOpen())
            return {};
        dir = std::move(next);
        nPos = nNext;
    }
    return dir;
}

FileHandle openLongPath(const std::string& csPath, int nFlags)
{
    std::size_t nAfter = 0;
    if (FileHandle anchor = t_anchor.DirectoryFor(csPath, nAfter); anchor.IsOpen()) {
        FileHandle file = openComponentWise(csPath, nAfter, std::move(anchor), nFlags);
        if (file.IsOpen())
            return file;
    }
    // No anchor, or it no longer leads there: from the root (or the working folder).
    FileHandle start(::open(csPath.starts_with('/') ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return openComponentWise(csPath, 0, std::move(start), nFlags);
}

} // namespace

FileHandle OpenPath(const std::string& csPath, int nFlags)
{
    FileHandle file(::open(csPath.c_str(), nFlags | O_CLOEXEC));
    if (file.IsOpen() || errno != ENAMETOOLONG)
        return file;
    return openLongPath(csPath, nFlags | O_CLOEXEC);
}
