#include "ProjectCounting.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "CountFileLines.h"
#include "CounterPrinting.h"
#include "TempDir.h"

namespace {

// 622 bytes: a code line with a comment, an empty line, a CR LF code line and a
// 600-byte line that the reader takes as a 511-byte piece and a 90-byte one.
const std::string BLOCK = "int a; // c\n\n    x;\r\n" + std::string(600, 'u') + "\n";
// Per block: 5 lines, 1 with a comment, 4 code, 3 code only, 1 empty, 615 code characters of 621.
LineCounters blocks(std::int64_t n) { return { 5 * n, n, 4 * n, 3 * n, n, 615 * n, 621 * n }; }

TEST(CountFileSegment, SegmentsCutAnywhereSumToTheWholeFile)
{
    TempDir dir;
    std::string csText;
    for (int i = 0; i < 50; ++i)
        csText += BLOCK;
    csText += "   }"; // an unterminated last line of blanks and one character is empty
    LineCounters whole = blocks(50);
    whole += LineCounters { 1, 0, 0, 0, 1, 0, 4 };
    const CountableFile file = OpenCountableFile(dir.WriteFile("s.c", csText));
    ASSERT_EQ(file.result, FileCountResult::Counted);
    // Cuts inside the long line, at every byte, between CR and LF, and beyond the end.
    for (const std::uint64_t nSegment : { 1u, 7u, 20u, 100u, 511u, 622u, 4096u, 40000u }) {
        LineCounters sum;
        for (std::uint64_t k = 0; k * nSegment < file.nSize; ++k)
            CountFileSegment(file.file.Get(), file.nSize, nSegment, k, sum);
        EXPECT_EQ(sum, whole) << nSegment << "-byte segments";
    }
}

TEST(CountFileSegment, ReadsNoFurtherThanTheSizeAtOpen)
{
    TempDir dir;
    const std::string csPath = dir.WriteFile("grows.c", "a;\n");
    const CountableFile file = OpenCountableFile(csPath);
    ASSERT_EQ(file.result, FileCountResult::Counted);
    const int nAppend = ::open(csPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_EQ(::write(nAppend, "b;\nc;\n", 6), 6);
    ::close(nAppend);
    LineCounters counters;
    CountFileSegment(file.file.Get(), file.nSize, 0, 0, counters);
    EXPECT_EQ(counters, (LineCounters { 1, 0, 1, 1, 0, 3, 3 }));
}

class ProjectCountingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir.WriteFile("p1/b.c", "x;\n");
        m_dir.WriteFile("p1/a.h", "// c\n");
        m_dir.WriteFile("p1/sub/c.hpp", "\n");
        m_dir.WriteFile("p1/README", "not counted\n");
        m_dir.MakeDir("p1/dir.c");
        std::string csBig;
        for (int i = 0; i < 14000; ++i) // over 8 MiB: counted in segments by several threads
            csBig += BLOCK;
        m_dir.WriteFile("p2/big.c", csBig);
    }

    std::vector<ProjectRun> Projects() const
    {
        std::vector<ProjectRun> projects(4);
        projects[0].csDirectory = m_dir / "p1";
        projects[1].csDirectory = m_dir / "p2";
        projects[2].csDirectory = m_dir / "none";
        projects[3].csDirectory = m_dir / "p1/b.c";
        return projects;
    }

    void ExpectRun(const std::vector<ProjectRun>& projects, const LineCounters& total) const
    {
        const FileList p1 { m_dir / "p1/a.h", m_dir / "p1/sub/c.hpp", m_dir / "p1/b.c", m_dir / "p1/dir.c" };
        const LineCounters p1Counters { 3, 1, 1, 1, 1, 3, 9 };
        EXPECT_EQ(projects[0].files, p1);
        EXPECT_EQ(projects[0].counters, p1Counters);
        EXPECT_EQ(projects[1].files, FileList { m_dir / "p2/big.c" });
        EXPECT_EQ(projects[1].counters, blocks(14000));
        const int anErrors[] = { 0, 0, ENOENT, ENOTDIR };
        for (std::size_t i = 0; i < projects.size(); ++i)
            EXPECT_EQ(projects[i].nListError, anErrors[i]) << i;
        EXPECT_TRUE(projects[2].files.empty() && projects[3].files.empty());
        EXPECT_EQ(projects[2].counters, LineCounters {});
        LineCounters expected = blocks(14000);
        expected += p1Counters;
        EXPECT_EQ(total, expected);
    }

    TempDir m_dir;
};

TEST_F(ProjectCountingTest, EachProjectGetsItsOwnSumsWithAnyThreadCount)
{
    for (const unsigned nThreads : { 1u, 2u, 7u }) {
        SCOPED_TRACE(testing::Message() << nThreads << " threads");
        std::vector<ProjectRun> projects = Projects();
        std::size_t nLastDone = 0;
        std::size_t nLastKnown = 0;
        const LineCounters total = CollectAndCountProjects(projects, nThreads, [&](std::size_t nDone, std::size_t nKnown) {
            EXPECT_LE(nDone, nKnown);
            nLastDone = nDone;
            nLastKnown = nKnown;
        });
        ExpectRun(projects, total);
        EXPECT_EQ(nLastDone, 5u);
        EXPECT_EQ(nLastKnown, 5u);

        // Counting lists collected beforehand replaces the counters rather than adding to them.
        std::vector<ProjectRun> collected = Projects();
        for (ProjectRun& project : collected) {
            CollectProject(project);
            project.counters = LineCounters { 9, 9, 9, 9, 9, 9, 9 };
        }
        ExpectRun(collected, CountProjects(collected, nThreads));
    }
    std::vector<ProjectRun> none;
    EXPECT_EQ(CountProjects(none, 2), LineCounters {});
}

// A block comment over 8 MiB: cut into segments, the later ones would start outside it.
TEST(ProjectCounting, SyntaxRulesCountALargeFileWholeWithSeveralThreads)
{
    TempDir dir;
    std::string csText = "/*\n";
    for (int i = 0; i < 700'000; ++i)
        csText += "comment line\n";
    dir.WriteFile("p/big.c", csText + "*/\n");
    LineCounters expected;
    expected.nTotalLines = expected.nCommentLines = 700'002;
    expected.nTotalChars = 9'100'006;
    std::vector<ProjectRun> projects(1);
    projects[0].csDirectory = dir / "p";
    EXPECT_EQ(CollectAndCountProjects(projects, 2, {}, CountingRules::Syntax), expected);
    EXPECT_EQ(CountProjects(projects, 2, {}, CountingRules::Syntax), expected);
}

} // namespace
