#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "CountFileLines.h"
#include "CounterPrinting.h"
#include "LineCountingStream.h"
#include "TempDir.h"
#include "TreeTools.h"

namespace {

LineCounters countText(std::string_view csText)
{
    LineCountingStream stream;
    stream.Feed(csText.data(), csText.size());
    stream.Finish();
    return stream.Counters();
}

// Every line lands in exactly one of empty, code and comment-only.
bool linesAddUp(const LineCounters& c)
{
    const std::int64_t nCommentOnly = c.nCommentLines - (c.nCodeLines - c.nCodeOnlyLines);
    return nCommentOnly >= 0 && c.nTotalLines == c.nEmptyLines + c.nCodeLines + nCommentOnly;
}

const char* resultName(FileCountResult result)
{
    switch (result) {
    case FileCountResult::Counted:
        return "Counted";
    case FileCountResult::NotOpened:
        return "NotOpened";
    case FileCountResult::NotRegularFile:
        return "NotRegularFile";
    }
    return "?";
}

// Binds a Unix socket at a path; the descriptor is closed, the socket file stays.
bool makeSocketFile(const std::string& csPath)
{
    sockaddr_un address {};
    if (csPath.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, csPath.c_str(), csPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bOk = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bOk;
}

// One line per character of the name, so each file's share of the totals is its own.
std::string contentFor(const std::string& csName)
{
    std::string csText;
    for (std::size_t i = 0; i <= csName.size() % 7; ++i)
        csText += "int a" + std::to_string(i) + "; // " + std::to_string(csName.size()) + "\n";
    return csText;
}

} // namespace

// Links in loops, FIFOs with and without a writer, sockets, devices, /proc files and links
// to directories, all named like sources: collected by name, never read, never waited on.
TEST(HostileTree, SpecialFilesNamedLikeSourcesAreCollectedButNeverRead)
{
    const Watchdog watchdog(60);
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("tree");
    const std::string csReal = "int main() // entry\n{\n    return 0;\n}\n";
    dir.WriteFile("tree/real.c", csReal);
    dir.WriteFile("tree/sub/inner.c", csReal);
    std::map<std::string, std::vector<FileCountResult>> expected {
        { "real.c", { FileCountResult::Counted } },
        { "status.c", { FileCountResult::Counted } }, // a /proc file claims size 0: nothing is read
        { "self.c", { FileCountResult::NotOpened } },
        { "ping.c", { FileCountResult::NotOpened } },
        { "pong.c", { FileCountResult::NotOpened } },
        { "dangling.c", { FileCountResult::NotOpened } },
        { "sock.c", { FileCountResult::NotRegularFile } },
        { "tty.c", { FileCountResult::NotOpened, FileCountResult::NotRegularFile } },
        { "pipe.c", { FileCountResult::NotRegularFile } },
        { "busy.c", { FileCountResult::NotRegularFile } },
        { "null.c", { FileCountResult::NotRegularFile } },
        { "zero.c", { FileCountResult::NotRegularFile } },
        { "random.c", { FileCountResult::NotRegularFile } },
        { "up.c", { FileCountResult::NotRegularFile } },
        { "root.c", { FileCountResult::NotRegularFile } },
    };
    const std::vector<std::pair<std::string, std::string>> links {
        { "self.c", "self.c" },
        { "ping.c", "pong.c" },
        { "pong.c", "ping.c" },
        { "dangling.c", "missing/x.c" },
        { "up.c", ".." },
        { "here", "." },
        { "root.c", "/" },
        { "null.c", "/dev/null" },
        { "zero.c", "/dev/zero" },
        { "random.c", "/dev/urandom" },
        { "tty.c", "/dev/tty" },
        { "status.c", "/proc/self/status" },
        { "sub/back.c", "../.." },
    };
    for (const auto& [csName, csTarget] : links)
        ASSERT_EQ(::symlink(csTarget.c_str(), (dir / "tree/" + csName).c_str()), 0) << csName;
    expected["sub/back.c"] = { FileCountResult::NotRegularFile };
    expected["sub/inner.c"] = { FileCountResult::Counted };
    ASSERT_EQ(::mkfifo((csRoot + "/pipe.c").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((csRoot + "/busy.c").c_str(), 0644), 0);
    // A FIFO that has a writer which never writes: reading it would wait forever.
    const int nWriter = ::open((csRoot + "/busy.c").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(nWriter, 0);
    ASSERT_TRUE(makeSocketFile(csRoot + "/sock.c"));
    if (::mknod((csRoot + "/dev.c").c_str(), S_IFCHR | 0644, ::makedev(1, 3)) == 0)
        expected["dev.c"] = { FileCountResult::NotRegularFile };

    FileList list;
    EXPECT_EQ(CollectMatchingPaths(csRoot, "c*", list), expected.size());
    FileList wanted;
    for (const auto& [csName, results] : expected) {
        if (csName.find('/') == std::string::npos)
            wanted.push_back(csRoot + "/" + csName);
    }
    wanted.push_back(csRoot + "/sub/back.c");
    wanted.push_back(csRoot + "/sub/inner.c");
    EXPECT_EQ(list, wanted);

    LineCounters counters;
    for (const std::string& csPath : list) {
        const std::string csName = csPath.substr(csRoot.size() + 1);
        const FileCountResult result = CountFile(csPath, counters);
        const std::vector<FileCountResult>& allowed = expected[csName];
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), result), allowed.end())
            << csName << ": " << resultName(result);
    }
    LineCounters twice = countText(csReal);
    twice += countText(csReal);
    EXPECT_EQ(counters, twice);
    ::close(nWriter);
}

// Files removed or replaced by something else after collection are skipped; the others
// are counted as they are now, and indices outside the lists count nothing.
TEST(HostileTree, FilesVanishingOrChangingAfterCollectionAreSkipped)
{
    const Watchdog watchdog(60);
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("tree");
    constexpr int FILES = 300;
    for (int i = 0; i < FILES; ++i)
        dir.WriteFile("tree/" + std::string(i % 3 == 0 ? "sub/" : "") + "f" + std::to_string(1000 + i) + ".c",
            std::string(static_cast<std::size_t>(i % 5 + 1), 'x') + ";\n// note\n");
    ASSERT_EQ(CollectSourceFiles(0, csRoot, "h*", true), 0);
    ASSERT_EQ(CollectSourceFiles(0, csRoot, "c*", false), FILES);

    // Only every sixth file outside sub/ stays as it was; sub/ goes as a whole.
    LineCounters expected;
    int nIndex = 0;
    for (const std::string& csPath : ProjectFileLists[0]) {
        const int nFate = nIndex++ % 6;
        if (nFate == 5 && csPath.find("/sub/") == std::string::npos)
            expected += countText(ReadWholeFile(csPath));
        const char* const pszPath = csPath.c_str();
        const bool bRemoved = nFate >= 4 || ::unlink(pszPath) == 0;
        const bool bReplaced = (nFate == 1 && ::mkdir(pszPath, 0755) == 0)
            || (nFate == 2 && ::mkfifo(pszPath, 0644) == 0) || (nFate == 3 && ::symlink("gone.c", pszPath) == 0)
            || (nFate == 4 && ::truncate(pszPath, 0) == 0) || nFate == 0 || nFate == 5;
        ASSERT_TRUE(bRemoved && bReplaced) << csPath;
    }
    ASSERT_TRUE(RemoveTree(csRoot + "/sub"));

    for (int i = -2; i < FILES + 2; ++i)
        CountFileLines(0, i);
    CountFileLines(-1, 0);
    CountFileLines(MAX_PROJECTS, 0);
    CountFileLines(1, 0);
    EXPECT_EQ(g_lineCounters, expected);
    EXPECT_GT(expected.nTotalLines, 0);
}

// A file that grows while it is counted is read up to the size it had when opened: the
// count ends, and it holds the lines that were there by then.
TEST(HostileTree, FileGrowingOrShrinkingWhileCountedEndsConsistently)
{
    const Watchdog watchdog(120);
    const TempDir dir;
    const std::string csLine = "int a;\n";
    std::string csChunk;
    for (int i = 0; i < 100; ++i)
        csChunk += csLine;
    const std::string csPath = dir.WriteFile("growing.c", std::string());
    const int nAppend = ::open(csPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(nAppend, 0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(::write(nAppend, csChunk.data(), csChunk.size()), static_cast<ssize_t>(csChunk.size()));

    std::atomic<bool> bStop { false };
    std::thread writer([&] {
        while (!bStop && ::write(nAppend, csChunk.data(), csChunk.size()) > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    });
    std::vector<LineCounters> counts;
    for (int i = 0; i < 30; ++i) {
        LineCounters c;
        EXPECT_EQ(CountFile(csPath, c), FileCountResult::Counted);
        counts.push_back(c);
    }
    bStop = true;
    writer.join();
    ::close(nAppend);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(csPath.c_str(), &st), 0);
    const std::int64_t nFinalLines = st.st_size / static_cast<std::int64_t>(csLine.size());
    // The size seen at open may fall inside a write, on a page boundary: the last
    // line can then be a cut piece of one, counted as what it is.
    const auto nLineSize = static_cast<std::int64_t>(csLine.size());
    for (const LineCounters& c : counts) {
        EXPECT_GE(c.nTotalLines, 100000);
        EXPECT_LE(c.nTotalLines, nFinalLines);
        EXPECT_LE(c.nTotalChars, c.nTotalLines * nLineSize) << testing::PrintToString(c);
        EXPECT_GT(c.nTotalChars, (c.nTotalLines - 1) * nLineSize) << testing::PrintToString(c);
        EXPECT_LE(c.nEmptyLines, 1);
        EXPECT_EQ(c.nCodeOnlyLines + c.nEmptyLines, c.nTotalLines);
        EXPECT_TRUE(linesAddUp(c)) << testing::PrintToString(c);
    }

    // Cut short and refilled under the reader: it stops where the file ends and never
    // counts more than the file ever held.
    const std::string csFull = ReadWholeFile(csPath).substr(0, 700000);
    dir.WriteFile("growing.c", csFull);
    bStop = false;
    std::thread cutter([&] {
        while (!bStop) {
            [[maybe_unused]] const int nCut = ::truncate(csPath.c_str(), 0);
            dir.WriteFile("growing.c", csFull);
        }
    });
    for (int i = 0; i < 30; ++i) {
        LineCounters c;
        const FileCountResult result = CountFile(csPath, c);
        EXPECT_TRUE(result == FileCountResult::Counted || result == FileCountResult::NotOpened);
        EXPECT_LE(c.nTotalChars, static_cast<std::int64_t>(csFull.size()));
        EXPECT_LE(c.nTotalLines, 100000);
        EXPECT_TRUE(linesAddUp(c)) << testing::PrintToString(c);
    }
    bStop = true;
    cutter.join();
}

// Directories nested past PATH_MAX: collected from their root and from a directory whose
// own path is too long for one system call, and every file opened and counted whole.
TEST(HostileTree, PathsLongerThanPathMaxAreCollectedAndCounted)
{
    const Watchdog watchdog(60);
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("long");
    const TreeRemover remover(csRoot);
    constexpr int LEVELS = 40; // about 10,000 bytes of path
    std::string csPath = csRoot;
    FileList wanted;
    LineCounters expected;
    int dirFd = ::open(csRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);
    std::vector<std::string> levelPaths;
    for (int nLevel = 0; nLevel <= LEVELS; ++nLevel) {
        levelPaths.push_back(csPath);
        const std::string csFile = "f" + std::to_string(nLevel) + ".c";
        const std::string csText = std::string(static_cast<std::size_t>(nLevel), ' ') + "x; // level\n";
        ASSERT_TRUE(WriteFileAt(dirFd, csFile, csText));
        wanted.push_back(csPath + "/" + csFile);
        expected += countText(csText);
        if (nLevel == LEVELS)
            break;
        const std::string csName(250, static_cast<char>('a' + nLevel % 26));
        ASSERT_EQ(::mkdirat(dirFd, csName.c_str(), 0755), 0);
        const int nextFd = ::openat(dirFd, csName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(dirFd);
        dirFd = nextFd;
        ASSERT_GE(dirFd, 0);
        csPath += "/" + csName;
    }
    ::close(dirFd);
    ASSERT_GT(csPath.size(), 2u * 4096);

    FileList list;
    EXPECT_EQ(CollectMatchingPaths(csRoot, "c*", list), wanted.size());
    EXPECT_EQ(list, wanted);
    LineCounters counters;
    for (const std::string& csFile : list)
        EXPECT_EQ(CountFile(csFile, counters), FileCountResult::Counted) << csFile.size() << " bytes";
    EXPECT_EQ(counters, expected);

    // From a starting directory beyond PATH_MAX, written with a doubled separator that stays.
    const std::size_t nStart = 20;
    ASSERT_GT(levelPaths[nStart].size(), 4096u);
    const std::string csStart = levelPaths[nStart - 1] + "/" + levelPaths[nStart].substr(levelPaths[nStart - 1].size());
    list.clear();
    EXPECT_EQ(CollectMatchingPaths(csStart, "c*", list), wanted.size() - nStart);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), csStart + "/f20.c");
    LineCounters tail;
    for (const std::string& csFile : list)
        EXPECT_EQ(CountFile(csFile, tail), FileCountResult::Counted);
    EXPECT_EQ(tail.nTotalLines, LEVELS + 1 - static_cast<std::int64_t>(nStart));
}

// An ancestor of a path past PATH_MAX renamed and rebuilt while the walk is below it:
// the walk stays in the tree it entered, and does not splice folders of the new tree
// into its listing of the old one.
TEST(HostileTree, AncestorOfALongPathRenamedMidWalkIsNotMixedIn)
{
    const Watchdog watchdog(60);
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("long");
    const TreeRemover remover(csRoot);
    const TreeRemover moved(dir / "moved");
    // top/ then 20 levels of 250-byte names, with p/deep/ and q/ at the bottom.
    const auto build = [&](const char* pszFile) {
        std::string csPath = csRoot + "/top";
        int dirFd = ::open(csRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        bool bOk = ::mkdirat(dirFd, "top", 0755) == 0;
        for (int nLevel = 0; nLevel <= 20 && bOk; ++nLevel) {
            const std::string csName = nLevel == 0 ? "top" : std::string(250, static_cast<char>('a' + nLevel));
            bOk = (nLevel == 0 || ::mkdirat(dirFd, csName.c_str(), 0755) == 0);
            const int nextFd = ::openat(dirFd, csName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(dirFd);
            dirFd = nextFd;
            csPath += nLevel == 0 ? "" : "/" + csName;
        }
        bOk = bOk && ::mkdirat(dirFd, "p", 0755) == 0 && ::mkdirat(dirFd, "p/deep", 0755) == 0
            && ::mkdirat(dirFd, "q", 0755) == 0 && WriteFileAt(dirFd, std::string("q/") + pszFile, "x;\n");
        ::close(dirFd);
        return bOk ? csPath : std::string();
    };
    const std::string csDeep = build("old.c");
    ASSERT_GT(csDeep.size(), 4096u);
    SetWalkStepHook([&](const std::string& csDir) {
        if (csDir == csDeep + "/p/deep") {
            std::filesystem::rename(csRoot + "/top", dir / "moved");
            build("new.c");
        }
    });
    FileList list;
    CollectMatchingPaths(csRoot, "c*", list);
    SetWalkStepHook({});
    EXPECT_EQ(list, (FileList { csDeep + "/q/old.c" }));
}

// Names are bytes: control characters, newlines, 0xFF, blanks and wildcard characters
// reach the list unchanged, in byte order, and every such file opens.
TEST(HostileTree, NamesWithOddBytesAreKeptByteForByte)
{
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("odd");
    const std::vector<std::string> matching {
        "\x01start.c",
        "tab\t.c",
        "new\nline.c",
        "cr\r.cpp",
        "\x1f.h",
        "\xff\xfe.c",
        "esc\x1b[31m.c",
        " lead.c",
        "trail.c ",
        "back\\slash.c",
        "star*.c",
        "what?.C",
        "-dash.c",
        "..c",
        ".c",
        "x.C\xff",
        "nl.c\n",
        std::string(253, 'n') + ".c",
    };
    const std::vector<std::string> other { "x.\xff"
                                           "c",
        "x.c.\n", "noext", "x.c.txt", "\n" };
    const std::string csSubdir = "\x02sub\ndir\xff";
    for (const std::string& csName : matching)
        dir.WriteFile("odd/" + csName, contentFor(csName));
    for (const std::string& csName : other)
        dir.WriteFile("odd/" + csName, "never read\n");
    dir.WriteFile("odd/" + csSubdir + "/in\x7f.c", contentFor("in\x7f.c"));

    // All but the one header take "c*"; names compare as unsigned bytes.
    std::vector<std::string> sorted;
    std::copy_if(matching.begin(), matching.end(), std::back_inserter(sorted),
        [](const std::string& csName) { return csName != "\x1f.h"; });
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    FileList wanted;
    LineCounters expected;
    for (const std::string& csName : sorted) {
        wanted.push_back(csRoot + "/" + csName);
        expected += countText(contentFor(csName));
    }
    wanted.push_back(csRoot + "/" + csSubdir + "/in\x7f.c");
    expected += countText(contentFor("in\x7f.c"));

    FileList list;
    CollectMatchingPaths(csRoot, "c*", list);
    EXPECT_EQ(list, wanted);
    FileList headers;
    CollectMatchingPaths(csRoot, "h*", headers);
    EXPECT_EQ(headers, (FileList { csRoot + "/\x1f.h" }));
    LineCounters counters;
    for (const std::string& csPath : list)
        EXPECT_EQ(CountFile(csPath, counters), FileCountResult::Counted) << testing::PrintToString(csPath);
    EXPECT_EQ(counters, expected);
    EXPECT_EQ(list.size() + headers.size(), matching.size() + 1);
}
