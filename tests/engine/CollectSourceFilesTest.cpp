#include "CollectSourceFiles.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CounterPrinting.h"
#include "LineCounters.h"
#include "SourceNameMatch.h"
#include "TempDir.h"

namespace {

// The run's two passes over one project, as Calc makes them.
int collectProject(int nProject, const std::string& csDir)
{
    return CollectSourceFiles(nProject, csDir, "h*", nProject == 0) + CollectSourceFiles(nProject, csDir, "c*", false);
}

class CollectSourceFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { (void)CollectSourceFiles(0, m_dir / "none", "h*", true); }

    TempDir m_dir;
};

TEST_F(CollectSourceFilesTest, HeadersFirstThenOwnMatchesBeforeSubdirectories)
{
    m_dir.WriteFile("x.h", "");
    m_dir.WriteFile("y.cpp", "");
    m_dir.WriteFile("sub/z.hpp", "");
    EXPECT_EQ(collectProject(0, m_dir.Path()), 3);
    EXPECT_EQ(ProjectFileLists[0], (FileList { m_dir / "x.h", m_dir / "sub/z.hpp", m_dir / "y.cpp" }));
}

TEST_F(CollectSourceFilesTest, DescendsDepthFirstInByteOrder)
{
    for (const char* pszName : { "b/x.h", "a/b/c.h", "a/z.h", "a.h", "_.h", "Z.h", "B.h", "\xC3\xA9.h" })
        m_dir.WriteFile(pszName, "");
    FileList list;
    EXPECT_EQ(CollectMatchingPaths(m_dir.Path(), "h*", list), 8u);
    const FileList expected { m_dir / "B.h", m_dir / "Z.h", m_dir / "_.h", m_dir / "a.h", m_dir / "\xC3\xA9.h",
        m_dir / "a/z.h", m_dir / "a/b/c.h", m_dir / "b/x.h" };
    EXPECT_EQ(list, expected);
}

TEST_F(CollectSourceFilesTest, TakesNamesByTheTextAfterTheLastDot)
{
    for (const char* pszName : { "A.H", "B.CPP", ".hidden", "a.html", "a.cfg", "z.cs", "README", "a.h.bak", "a.txt",
             "name.", "a.bh", "Makefile.c.in" })
        m_dir.WriteFile(pszName, "");
    EXPECT_EQ(collectProject(0, m_dir.Path()), 6);
    EXPECT_EQ(ProjectFileLists[0],
        (FileList {
            m_dir / ".hidden", m_dir / "A.H", m_dir / "a.html", m_dir / "B.CPP", m_dir / "a.cfg", m_dir / "z.cs" }));
}

TEST(MatchesSourcePattern, FollowsTheWildcardRule)
{
    struct Case
    {
        const char* pszName;
        const char* pszExt;
        bool bMatch;
    };
    const Case cases[] = { { "a.h", "h*", true }, { "a.HxX", "h*", true }, { "a..c", "c*", true },
        { "x.cH", "c*", true }, { "a.c", "h*", false }, { "a.c.", "c*", false }, { "ac", "c*", false },
        { "", "c*", false }, { "a.h", "h", true }, { "a.hpp", "h", false }, { "a.HPP", "hpp", true } };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesSourcePattern(c.pszName, c.pszExt), c.bMatch) << c.pszName << " with " << c.pszExt;
}

TEST_F(CollectSourceFilesTest, MatchingDirectoryIsTakenAndScanned)
{
    m_dir.WriteFile("cache.c/inner.h", "");
    m_dir.WriteFile("cache.c/inner.cpp", "");
    EXPECT_EQ(collectProject(0, m_dir.Path()), 3);
    EXPECT_EQ(
        ProjectFileLists[0], (FileList { m_dir / "cache.c/inner.h", m_dir / "cache.c", m_dir / "cache.c/inner.cpp" }));
}

TEST_F(CollectSourceFilesTest, DirectoryTextIsUsedVerbatim)
{
    m_dir.WriteFile("x.h", "");
    m_dir.WriteFile("sub/z.h", "");
    EXPECT_EQ(collectProject(0, m_dir.Path() + "/"), 2);
    EXPECT_EQ(ProjectFileLists[0], (FileList { m_dir.Path() + "//x.h", m_dir.Path() + "//sub/z.h" }));
}

TEST_F(CollectSourceFilesTest, MissingDirectoryOrSlotCollectsNothing)
{
    m_dir.WriteFile("x.h", "");
    EXPECT_EQ(collectProject(0, m_dir / "missing"), 0);
    EXPECT_EQ(CollectSourceFiles(-1, m_dir.Path(), "h*", false), 0);
    EXPECT_EQ(CollectSourceFiles(MAX_PROJECTS, m_dir.Path(), "h*", false), 0);
    for (const FileList& slot : ProjectFileLists)
        EXPECT_TRUE(slot.empty());
}

TEST_F(CollectSourceFilesTest, ResetClearsEverySlotAndTheCounters)
{
    m_dir.WriteFile("x.h", "");
    for (int nSlot : { 0, 1, 250, MAX_PROJECTS - 1 })
        EXPECT_EQ(CollectSourceFiles(nSlot, m_dir.Path(), "h*", false), 1);
    g_lineCounters = LineCounters { 1, 2, 3, 4, 5, 6, 7 };

    // Without the flag a collection only appends.
    EXPECT_EQ(CollectSourceFiles(1, m_dir.Path(), "h*", false), 1);
    EXPECT_EQ(ProjectFileLists[1].size(), 2u);
    EXPECT_EQ(g_lineCounters.nTotalChars, 7);

    EXPECT_EQ(CollectSourceFiles(0, m_dir / "missing", "h*", true), 0);
    for (const FileList& slot : ProjectFileLists)
        EXPECT_TRUE(slot.empty());
    EXPECT_EQ(g_lineCounters, LineCounters {});
}

TEST_F(CollectSourceFilesTest, SecondProjectFillsSecondSlot)
{
    m_dir.WriteFile("first/a.c", "");
    m_dir.WriteFile("second/b.h", "");
    m_dir.WriteFile("second/c.c", "");
    EXPECT_EQ(collectProject(0, m_dir / "first"), 1);
    EXPECT_EQ(collectProject(1, m_dir / "second"), 2);
    EXPECT_EQ(ProjectFileLists[0], (FileList { m_dir / "first/a.c" }));
    EXPECT_EQ(ProjectFileLists[1], (FileList { m_dir / "second/b.h", m_dir / "second/c.c" }));
}

TEST_F(CollectSourceFilesTest, LinksToDirectoriesAreNotDescendedUnlessNamedAsProject)
{
    m_dir.WriteFile("real/x.h", "");
    ASSERT_EQ(::symlink("real", (m_dir / "alias").c_str()), 0);
    ASSERT_EQ(::symlink("real", (m_dir / "alias.h").c_str()), 0); // matches by name, still not descended
    ASSERT_EQ(::symlink("real/x.h", (m_dir / "file.h").c_str()), 0);
    FileList list;
    EXPECT_EQ(CollectMatchingPaths(m_dir.Path(), "h*", list), 3u);
    EXPECT_EQ(list, (FileList { m_dir / "alias.h", m_dir / "file.h", m_dir / "real/x.h" }));

    list.clear();
    EXPECT_EQ(CollectMatchingPaths(m_dir / "alias", "h*", list), 1u);
    EXPECT_EQ(list, (FileList { m_dir / "alias/x.h" }));
}

TEST_F(CollectSourceFilesTest, LinkCyclesAndFifosEndPromptly)
{
    m_dir.WriteFile("sub/a.h", "");
    ASSERT_EQ(::symlink("..", (m_dir / "sub/up").c_str()), 0);
    ASSERT_EQ(::symlink("loop.h", (m_dir / "loop.h").c_str()), 0);
    ASSERT_EQ(::mkfifo((m_dir / "pipe.c").c_str(), 0600), 0);
    EXPECT_EQ(collectProject(0, m_dir.Path()), 3);
    EXPECT_EQ(ProjectFileLists[0], (FileList { m_dir / "loop.h", m_dir / "sub/a.h", m_dir / "pipe.c" }));
}

// Deeper than the walk keeps open at once: the closed shallow levels are reopened
// when the walk climbs back to their later subdirectories, in the same order.
TEST_F(CollectSourceFilesTest, WalkClimbsBackThroughLevelsItHadToClose)
{
    constexpr int LEVELS = 300;
    std::string csLevel;
    FileList wanted;
    for (int i = 0; i < LEVELS; ++i) {
        wanted.push_back(m_dir.WriteFile(csLevel + "f.c", ""));
        csLevel += "d/";
    }
    for (const char* pszLevel : { "d/d/d/e/e.c", "e/e.c" })
        wanted.push_back(m_dir.WriteFile(pszLevel, ""));
    FileList list;
    EXPECT_EQ(CollectMatchingPaths(m_dir.Path(), "c*", list), wanted.size());
    EXPECT_EQ(list, wanted);
}

// The test hook swaps sub/ for a link to another tree after the root was listed:
// the walk must not follow it there.
TEST_F(CollectSourceFilesTest, FolderSwappedForALinkMidWalkIsNotEntered)
{
    const TempDir other;
    for (const char* pszName : { "x.c", "y.c", "deeper/z.c" })
        other.WriteFile(pszName, "");
    m_dir.WriteFile("a.c", "");
    m_dir.WriteFile("sub/b.c", "");
    SetWalkStepHook([&](const std::string& csDir) {
        if (csDir == m_dir.Path()) {
            std::filesystem::rename(m_dir / "sub", m_dir / "sub.old");
            std::filesystem::create_directory_symlink(other.Path(), m_dir / "sub");
        }
    });
    FileList list;
    CollectMatchingPaths(m_dir.Path(), "c*", list);
    SetWalkStepHook({});
    EXPECT_EQ(list, (FileList { m_dir / "a.c" }));
}

} // namespace
