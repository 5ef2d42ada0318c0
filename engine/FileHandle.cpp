#include "FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        FileHandle old(m_fd);
        m_fd = other.Release();
    }
    return *this;
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileHandle::Release() noexcept
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

namespace {

// Walks a long path component by component with openat, so no single call sees
// more than one name.
FileHandle openComponentWise(const std::string& csPath, int nFlags)
{
    std::size_t nPos = 0;
    FileHandle dir(::open(csPath.starts_with('/') ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.IsOpen())
        return {};
    while (nPos < csPath.size()) {
        while (nPos < csPath.size() && csPath[nPos] == '/')
            ++nPos;
        const std::size_t nEnd = csPath.find('/', nPos);
        const std::string csName = csPath.substr(nPos, nEnd == std::string::npos ? std::string::npos : nEnd - nPos);
        std::size_t nNext = nEnd == std::string::npos ? csPath.size() : nEnd;
        while (nNext < csPath.size() && csPath[nNext] == '/')
            ++nNext;
        const bool bLast = nNext >= csPath.size();
        if (csName.empty())
            return dir; // the path named a directory with a trailing separator
        const int nStepFlags = bLast ? nFlags : (O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        FileHandle next(::openat(dir.Get(), csName.c_str(), nStepFlags));
        if (!next.IsOpen())
            return {};
        if (bLast)
            return next;
        dir = std::move(next);
        nPos = nNext;
    }
    return dir;
}

} // namespace

FileHandle OpenPath(const std::string& csPath, int nFlags)
{
    FileHandle file(::open(csPath.c_str(), nFlags | O_CLOEXEC));
    if (file.IsOpen() || errno != ENAMETOOLONG)
        return file;
    return openComponentWise(csPath, nFlags | O_CLOEXEC);
}
