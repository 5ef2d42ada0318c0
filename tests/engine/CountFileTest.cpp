#include "CountFileLines.h"

#include <fcntl.h>
#include <future>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "CounterPrinting.h"
#include "LineCountingStream.h"
#include "TempDir.h"

namespace {

const LineCounters PREVIOUS { 1, 2, 3, 4, 5, 6, 7 };

// Counts on another thread, so a reader that blocks fails the test instead of hanging it.
std::optional<FileCountResult> countWithin(const std::string& csPath, LineCounters& counters)
{
    std::packaged_task<FileCountResult()> task([csPath, &counters] { return CountFile(csPath, counters); });
    std::future<FileCountResult> result = task.get_future();
    std::thread(std::move(task)).detach();
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
        std::abort(); // the thread still holds a reference to counters
    return result.get();
}

TEST(CountFile, AddsARegularFileToTheCounters)
{
    TempDir dir;
    LineCounters counters = PREVIOUS;
    EXPECT_EQ(CountFile(dir.WriteFile("a.c", "int a; // x\n"), counters), FileCountResult::Counted);
    EXPECT_EQ(counters, (LineCounters { 2, 3, 4, 4, 5, 13, 19 }));
}

TEST(CountFile, LeavesCountersAloneForWhatIsNoRegularFile)
{
    TempDir dir;
    dir.WriteFile("real.h", "int a;\n");
    dir.MakeDir("dir.c");
    ASSERT_EQ(::mkfifo((dir / "pipe.c").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("gone.h", (dir / "dangling.h").c_str()), 0);
    ASSERT_EQ(::symlink("loop.h", (dir / "loop.h").c_str()), 0);
    ASSERT_EQ(::symlink("dir.c", (dir / "dirlink.c").c_str()), 0);
    const std::pair<const char*, FileCountResult> cases[] = {
        { "dir.c", FileCountResult::NotRegularFile },
        { "pipe.c", FileCountResult::NotRegularFile },
        { "dirlink.c", FileCountResult::NotRegularFile },
        { "dangling.h", FileCountResult::NotOpened },
        { "loop.h", FileCountResult::NotOpened },
        { "missing.h", FileCountResult::NotOpened },
    };
    // Not even opened: opening a device can act on it.
    const int nWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(nWatch, dir.Path().c_str(), IN_OPEN), 0);
    for (const auto& [pszName, expected] : cases) {
        LineCounters counters = PREVIOUS;
        EXPECT_EQ(countWithin(dir / pszName, counters), expected) << pszName;
        EXPECT_EQ(counters, PREVIOUS) << pszName;
    }
    alignas(inotify_event) char acEvents[4096];
    const ssize_t nEvents = ::read(nWatch, acEvents, sizeof acEvents);
    EXPECT_LT(nEvents, 0) << "opened: " << reinterpret_cast<const inotify_event*>(acEvents)->name;
    ::close(nWatch);
}

TEST(CountFile, FileLargerThanOneReadCountsLikeOneBlock)
{
    std::string csText;
    while (csText.size() < 700'000)
        csText += "    x = y; // z\r\n\n\t}\r\n" + std::string(csText.size() % 700, 'k') + "\r\r\n";
    csText[262'143] = '\r'; // a CR LF across the boundary of the reader's blocks
    csText[262'144] = '\n';
    LineCountingStream stream;
    stream.Feed(csText.data(), csText.size());
    stream.Finish();

    TempDir dir;
    LineCounters counters;
    EXPECT_EQ(CountFile(dir.WriteFile("big.c", csText), counters), FileCountResult::Counted);
    EXPECT_EQ(counters, stream.Counters());
}

TEST(CountFile, PathLongerThanTheKernelTakesIsFoundAndRead)
{
    TempDir dir;
    const std::string csName(200, 'd');
    std::vector<int> levels { ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY) };
    std::string csPath = dir.Path();
    while (csPath.size() < 6000) {
        ASSERT_EQ(::mkdirat(levels.back(), csName.c_str(), 0700), 0);
        levels.push_back(::openat(levels.back(), csName.c_str(), O_RDONLY | O_DIRECTORY));
        csPath += "/" + csName;
    }
    const int fd = ::openat(levels.back(), "deep.c", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(fd, "int a;\n", 7), 7);
    ::close(fd);

    FileList list;
    EXPECT_EQ(CollectMatchingPaths(dir.Path(), "c*", list), 1u);
    EXPECT_EQ(list, (FileList { csPath + "/deep.c" }));
    LineCounters counters;
    EXPECT_EQ(CountFile(csPath + "/deep.c", counters), FileCountResult::Counted);
    EXPECT_EQ(counters.nCodeChars, 7);

    // The temporary directory's own cleanup cannot reach this deep: undo it level by level.
    ::unlinkat(levels.back(), "deep.c", 0);
    for (std::size_t i = levels.size() - 1; i > 0; --i) {
        ::close(levels[i]);
        ::unlinkat(levels[i - 1], csName.c_str(), AT_REMOVEDIR);
    }
    ::close(levels[0]);
}

TEST(CountFileLines, CountsCollectedFilesAndIgnoresBadIndices)
{
    TempDir dir;
    dir.WriteFile("a.h", "int a;\n");
    dir.WriteFile("b.c", "// c\n\n");
    ASSERT_EQ(CollectSourceFiles(0, dir.Path(), "h*", true) + CollectSourceFiles(0, dir.Path(), "c*", false), 2);
    for (const auto& [nProject, nFile] : { std::pair { 0, 2 }, { 0, -1 }, { -1, 0 }, { 1, 0 }, { MAX_PROJECTS, 0 } })
        CountFileLines(nProject, nFile);
    EXPECT_EQ(g_lineCounters, LineCounters {});
    CountFileLines(0, 0);
    CountFileLines(0, 1);
    EXPECT_EQ(g_lineCounters, (LineCounters { 3, 1, 1, 1, 1, 7, 13 }));
}

} // namespace
