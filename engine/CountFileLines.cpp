#include "CountFileLines.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "OpenPath.h"
#include "LineCountingStream.h"
#include "ProjectFileLists.h"

namespace {

constexpr std::size_t READ_BLOCK = 256 * 1024;

// One read buffer per thread, reused for every file.
char* readBuffer()
{
    thread_local const std::unique_ptr<char[]> pBuffer(new char[READ_BLOCK]);
    return pBuffer.get();
}

} // namespace

FileCountResult CountFile(const std::string& csPath, LineCounters& counters)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const FileHandle file = OpenPath(csPath, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!file.IsOpen())
        return FileCountResult::NotOpened;
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return FileCountResult::NotRegularFile;
    ::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    LineCountingStream stream;
    char* const pBuffer = readBuffer();
    auto nLeft = static_cast<std::uint64_t>(st.st_size);
    while (nLeft > 0) {
        const std::size_t nWant = nLeft < READ_BLOCK ? static_cast<std::size_t>(nLeft) : READ_BLOCK;
        const ssize_t nRead = ::read(file.Get(), pBuffer, nWant);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            break; // a read error ends the file like its end
        stream.Feed(pBuffer, static_cast<std::size_t>(nRead));
        nLeft -= static_cast<std::uint64_t>(nRead);
    }
    stream.Finish();
    counters += stream.Counters();
    return FileCountResult::Counted;
}

void CountFileLines(int nProject, int nFile)
{
    if (nProject < 0 || nProject >= MAX_PROJECTS || nFile < 0)
        return;
    const FileList& list = ProjectFileLists[static_cast<std::size_t>(nProject)];
    if (static_cast<std::size_t>(nFile) >= list.size())
        return;
    CountFile(list[static_cast<std::size_t>(nFile)], g_lineCounters);
}
