#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "CountFileLines.h"
#include "CounterPrinting.h"
#include "TempDir.h"
#include "TreeTools.h"

// How long these take is measured in bench/, on a quiet machine; here only what comes out counts.

TEST(BigTree, HundredThousandFilesInOneDirectoryAreCollectedInNameOrder)
{
    const Watchdog watchdog(300);
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("wide");
    const TreeRemover remover(csRoot);
    constexpr int FILES = 100000;
    const int dirFd = ::open(csRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);
    for (int i = 0; i < FILES; ++i) {
        char szName[32];
        std::snprintf(szName, sizeof szName, "f%06d.c", (i * 7919) % FILES); // not created in name order
        ASSERT_TRUE(WriteFileAt(dirFd, szName, i % 10000 == 0 ? "int a;\n" : ""));
    }
    ASSERT_TRUE(WriteFileAt(dirFd, "notes.txt", "x\n"));
    ::close(dirFd);

    FileList list;
    const std::size_t nFound = CollectMatchingPaths(csRoot, "c*", list);
    EXPECT_EQ(nFound, static_cast<std::size_t>(FILES));
    ASSERT_EQ(list.size(), static_cast<std::size_t>(FILES));
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    EXPECT_EQ(list.front(), csRoot + "/f000000.c");
    EXPECT_EQ(list.back(), csRoot + "/f099999.c");

    LineCounters counters;
    for (const std::string& csPath : list)
        CountFile(csPath, counters);
    EXPECT_EQ(counters.nTotalLines, FILES / 10000);
    EXPECT_EQ(counters.nCodeChars, 7 * (FILES / 10000));
}

// Nesting is limited by the disk, not by a stack: five thousand levels, each with its
// own files, come out in pre-order. The deeper paths are too long for one system call,
// and opening them must not get slower with the depth.
TEST(BigTree, FiveThousandLevelsDeepAreCollectedWithoutRecursion)
{
    const Watchdog watchdog(120);
    const TempDir dir;
    const std::string csRoot = dir.MakeDir("deep");
    const TreeRemover remover(csRoot);
    constexpr int LEVELS = 5000;
    int dirFd = ::open(csRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);
    FileList wanted;
    std::string csPath = csRoot;
    for (int nLevel = 0; nLevel < LEVELS; ++nLevel) {
        ASSERT_TRUE(WriteFileAt(dirFd, "x.c", "int a; // x\n"));
        ASSERT_TRUE(WriteFileAt(dirFd, "y.h", "\n"));
        ASSERT_TRUE(WriteFileAt(dirFd, "z.c", "\n"));
        wanted.push_back(csPath + "/x.c");
        wanted.push_back(csPath + "/z.c");
        ASSERT_EQ(::mkdirat(dirFd, "d", 0755), 0);
        const int nextFd = ::openat(dirFd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(dirFd);
        dirFd = nextFd;
        ASSERT_GE(dirFd, 0);
        csPath += "/d";
    }
    ::close(dirFd);
    ASSERT_GT(csPath.size(), 2u * 4096);

    EXPECT_EQ(CollectSourceFiles(0, csRoot, "h*", true), LEVELS);
    EXPECT_EQ(CollectSourceFiles(0, csRoot, "c*", false), 2 * LEVELS);
    ASSERT_EQ(ProjectFileLists[0].size(), 3u * LEVELS);
    EXPECT_TRUE(std::equal(wanted.begin(), wanted.end(), ProjectFileLists[0].begin() + LEVELS));
    EXPECT_EQ(ProjectFileLists[0][LEVELS - 1], csPath.substr(0, csPath.size() - 2) + "/y.h");

    for (int i = 0; i < 3 * LEVELS; ++i)
        CountFileLines(0, i);
    EXPECT_EQ(g_lineCounters.nTotalLines, 3 * LEVELS);
    EXPECT_EQ(g_lineCounters.nEmptyLines, 2 * LEVELS);
    EXPECT_EQ(g_lineCounters.nCodeChars, 7 * LEVELS);
}

// 2 GiB of NUL bytes (a hole): 511-byte pieces of length 0, all empty, read with a fixed
// buffer, and a size that does not fit 31 bits taken whole.
TEST(BigTree, SparseTwoGibFileIsCountedWholeInBoundedMemory)
{
    const Watchdog watchdog(600);
    const TempDir dir;
    const std::string csPath = dir / "big.c";
    constexpr std::int64_t SIZE = std::int64_t { 1 } << 31;
    {
        const int fd = ::open(csPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, SIZE), 0);
        ::close(fd);
    }
    FileList list;
    ASSERT_EQ(CollectMatchingPaths(dir.Path(), "c*", list), 1u);

    const bool bPeakReset = ResetPeakResidentSize();
    const std::int64_t nPeakBefore = PeakResidentKiB();
    LineCounters counters;
    EXPECT_EQ(CountFile(list.front(), counters), FileCountResult::Counted);
    const std::int64_t nGrowthKiB = PeakResidentKiB() - nPeakBefore;
    std::cout << "peak resident size grew by " << nGrowthKiB << " KiB" << (bPeakReset ? "" : " (peak not resettable)")
              << "\n";

    const std::int64_t nPieces = (SIZE + 510) / 511;
    LineCounters expected;
    expected.nTotalLines = nPieces;
    expected.nEmptyLines = nPieces;
    EXPECT_EQ(counters, expected);
    EXPECT_LT(nGrowthKiB, 64 * 1024);
}
