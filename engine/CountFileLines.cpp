#include "CountFileLines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "LineCountingStream.h"
#include "OpenPath.h"
#include "ProjectFileLists.h"
#include "SyntaxLineStream.h"

namespace {

// Small enough that the copy out of the page cache lands in the core's own cache:
// with 256 KiB blocks that copy took a third of the time on the kernel tree.
constexpr std::size_t READ_BLOCK = 64 * 1024;

// One read buffer per thread, reused for every file.
char* readBuffer()
{
    thread_local const std::unique_ptr<char[]> pBuffer(new char[READ_BLOCK]);
    return pBuffer.get();
}

// Reads up to nWant bytes at nOffset; 0 at the end, or on an error, whose errno goes to nError.
std::size_t readAt(int fd, char* pBuffer, std::size_t nWant, std::uint64_t nOffset, int& nError)
{
    for (;;) {
        const ssize_t nRead = ::pread(fd, pBuffer, nWant, static_cast<off_t>(nOffset));
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead < 0)
            nError = errno;
        return nRead > 0 ? static_cast<std::size_t>(nRead) : 0;
    }
}

// The first line start at or after nPos: nPos itself at 0, else just after the
// first LF at nPos - 1 or later; nSize when there is none.
std::uint64_t lineStartFrom(int fd, std::uint64_t nSize, std::uint64_t nPos, char* pBuffer, int& nError)
{
    if (nPos == 0 || nPos >= nSize)
        return nPos == 0 ? 0 : nSize;
    std::uint64_t nAt = nPos - 1;
    while (nAt < nSize) {
        const std::uint64_t nLeft = nSize - nAt;
        const std::size_t nRead
            = readAt(fd, pBuffer, nLeft < READ_BLOCK ? static_cast<std::size_t>(nLeft) : READ_BLOCK, nAt, nError);
        if (nRead == 0)
            break;
        if (const void* pLf = std::memchr(pBuffer, '\n', nRead))
            return nAt + static_cast<std::uint64_t>(static_cast<const char*>(pLf) - pBuffer) + 1;
        nAt += nRead;
    }
    return nSize;
}

// Whether csPath (a link followed) is a regular file, without opening it; else
// sets result to why it is not counted.
bool pathIsRegularFile(const std::string& csPath, FileCountResult& result)
{
    struct stat st {};
    int nStat = ::stat(csPath.c_str(), &st);
    if (nStat != 0 && errno == ENAMETOOLONG) {
        const FileHandle place = OpenPath(csPath, O_PATH);
        nStat = place.IsOpen() ? ::fstat(place.Get(), &st) : -1;
    }
    if (nStat != 0) {
        result = FileCountResult::NotOpened;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        result = FileCountResult::NotRegularFile;
        return false;
    }
    return true;
}

// The classifier the rules name; the reader hands it its bytes in blocks.
class RulesStream
{
public:
    explicit RulesStream(CountingRules rules)
        : m_rules(rules)
    {
    }
    void Feed(const char* pData, std::size_t nSize)
    {
        if (m_rules == CountingRules::Syntax)
            m_syntax.Feed(pData, nSize);
        else
            m_simple.Feed(pData, nSize);
    }
    void Finish() { m_rules == CountingRules::Syntax ? m_syntax.Finish() : m_simple.Finish(); }
    [[nodiscard]] const LineCounters& Counters() const
    {
        return m_rules == CountingRules::Syntax ? m_syntax.Counters() : m_simple.Counters();
    }

private:
    CountingRules m_rules;
    LineCountingStream m_simple;
    SyntaxLineStream m_syntax;
};

} // namespace

CountableFile OpenCountableFile(const std::string& csPath)
{
    CountableFile countable;
    // Look before opening: opening a device can act on it (a watchdog starts its countdown).
    struct stat st {};
    if (!pathIsRegularFile(csPath, countable.result))
        return countable;
    // O_NONBLOCK: a FIFO swapped in since the look must not wait for a writer.
    countable.file = OpenPath(csPath, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!countable.file.IsOpen())
        return countable;
    if (::fstat(countable.file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        countable.file = FileHandle();
        countable.result = FileCountResult::NotRegularFile;
        return countable;
    }
    countable.nSize = static_cast<std::uint64_t>(st.st_size);
    countable.result = FileCountResult::Counted;
    return countable;
}

int CountFileSegment(int fd, std::uint64_t nSize, std::uint64_t nSegment, std::uint64_t nIndex, LineCounters& counters,
    CountingRules rules)
{
    int nError = 0;
    if (rules == CountingRules::Syntax) { // a block comment or raw string may cross any cut
        if (nIndex > 0)
            return nError;
        nSegment = 0;
    }
    char* const pBuffer = readBuffer();
    constexpr std::uint64_t nNoLimit = std::numeric_limits<std::uint64_t>::max();
    const auto cutAt = [&](std::uint64_t k) {
        if (k == 0)
            return std::uint64_t { 0 };
        return nSegment == 0 || k > nNoLimit / nSegment ? nNoLimit : k * nSegment;
    };
    const std::uint64_t nBegin
        = lineStartFrom(fd, nSize, cutAt(nIndex) < nSize ? cutAt(nIndex) : nSize, pBuffer, nError);
    // Bytes before nLimit - 1 are all this segment's; from there it ends after the first LF.
    const std::uint64_t nLimit = cutAt(nIndex + 1);
    if (nBegin >= nSize || nBegin >= nLimit)
        return nError;
    ::posix_fadvise(fd, static_cast<off_t>(nBegin), 0, POSIX_FADV_SEQUENTIAL);

    RulesStream stream(rules);
    std::uint64_t nPos = nBegin;
    while (nPos < nSize) {
        const std::uint64_t nLeft = nSize - nPos;
        const std::size_t nRead
            = readAt(fd, pBuffer, nLeft < READ_BLOCK ? static_cast<std::size_t>(nLeft) : READ_BLOCK, nPos, nError);
        if (nRead == 0)
            break;
        std::size_t nFeed = nRead;
        bool bLast = false;
        if (nLimit < nSize && nPos + nRead >= nLimit) {
            const std::size_t nFrom = static_cast<std::size_t>(nLimit - 1 > nPos ? nLimit - 1 - nPos : 0);
            if (const void* pLf = std::memchr(pBuffer + nFrom, '\n', nRead - nFrom)) {
                nFeed = static_cast<std::size_t>(static_cast<const char*>(pLf) - pBuffer) + 1;
                bLast = true;
            }
        }
        stream.Feed(pBuffer, nFeed);
        nPos += nFeed;
        if (bLast)
            break;
    }
    stream.Finish();
    counters += stream.Counters();
    return nError;
}

FileCountResult CountFile(const std::string& csPath, LineCounters& counters, CountingRules rules)
{
    const CountableFile countable = OpenCountableFile(csPath);
    if (countable.result == FileCountResult::Counted
        && CountFileSegment(countable.file.Get(), countable.nSize, 0, 0, counters, rules) != 0)
        return FileCountResult::ReadFailed;
    return countable.result;
}

void CountText(std::string_view text, LineCounters& counters, CountingRules rules)
{
    RulesStream stream(rules);
    stream.Feed(text.data(), text.size());
    stream.Finish();
    counters += stream.Counters();
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
