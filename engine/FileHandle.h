#pragma once

#include <string>

// Owns a POSIX file descriptor and closes it.
class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(int fd) noexcept : m_fd(fd) { }
    FileHandle(FileHandle&& other) noexcept : m_fd(other.Release()) { }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    [[nodiscard]] int Get() const { return m_fd; }
    [[nodiscard]] bool IsOpen() const { return m_fd >= 0; }
    int Release() noexcept;

private:
    int m_fd = -1;
};

// Opens a path of any length: a path the kernel refuses as too long is opened one
// directory at a time. Returns a closed handle on failure, with errno set.
[[nodiscard]] FileHandle OpenPath(const std::string& csPath, int nFlags);
