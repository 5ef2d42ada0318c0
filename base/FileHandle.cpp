#include "FileHandle.h"

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

bool FileHandle::Close() noexcept
{
    return m_fd >= 0 && ::close(Release()) == 0;
}
