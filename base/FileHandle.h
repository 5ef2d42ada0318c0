#pragma once

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
    // Gives the descriptor up without closing it.
    int Release() noexcept;
    // Closes now and tells whether that worked: a failed close can mean lost data.
    [[nodiscard]] bool Close() noexcept;

private:
    int m_fd = -1;
};
