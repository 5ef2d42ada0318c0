#include "GitHistory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "CountFileLines.h"
#include "CounterPrinting.h"
#include "HistorySampling.h"
#include "PackObjectReader.h"
#include "PackStore.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace {

TEST(PickHistoryPoints, PicksBothEndsAndTheCommitsNearestEvenlySpacedTimes)
{
    struct Case
    {
        std::vector<std::int64_t> times;
        std::size_t nPoints;
        std::vector<std::size_t> picked;
    };
    const Case cases[] = {
        { { 0, 10, 20, 30, 40 }, 3, { 0, 2, 4 } },
        { { 0, 1, 2, 3, 100 }, 3, { 0, 3, 4 } }, // 50 lies nearer 3 than 100
        { { 0, 1, 2, 3, 100 }, 4, { 0, 3, 4 } }, // 33 and 67 both fall nearest 3: fewer points
        { { 0, 40, 60, 100 }, 3, { 0, 1, 3 } }, // a tie takes the older: the tree as it stood at 50
        { { 0, 50, 20, 60, 100 }, 3, { 0, 2, 4 } }, // 20 goes back in time: it stands at 50, the newest there
        { { 7, 7, 7, 7, 7 }, 3, { 0, 2, 4 } }, // one time for all: spread over positions
        { { 7, 7, 7, 7, 7 }, 4, { 0, 1, 3, 4 } },
        { { 5, 9 }, 50, { 0, 1 } }, // more asked than there are
        { { 5 }, 1, { 0 } },
        { { 5 }, 50, { 0 } },
        { { 1, 2, 3 }, 1, { 2 } }, // one point: the newest
        { { 1, 2, 3 }, 2, { 0, 2 } },
        { { 1, 2, 3 }, 0, {} },
        { {}, 5, {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickHistoryPoints(c.times, c.nPoints), c.picked)
            << ::testing::PrintToString(c.times) << " N=" << c.nPoints;
}

struct TreeCount
{
    std::size_t nFiles = 0;
    LineCounters counters;
};

// Repositories made by the git program in a HOME of their own, so no user or
// system setting changes what they hold.
class GitHistoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("HOME", m_dir.MakeDir("home").c_str(), 1);
        ::setenv("GIT_CONFIG_NOSYSTEM", "1", 1);
    }

    // Runs git in csRepo with commit times at nTime; returns its trimmed output.
    std::string Git(const std::string& csRepo, std::vector<std::string> args, std::int64_t nTime = 1000) const
    {
        args.insert(args.begin(), { GIT_PROGRAM, "-C", csRepo });
        const std::string csDate = "@" + std::to_string(nTime) + " +0000";
        const ProcessResult run = RunProcess(args,
            { "GIT_AUTHOR_NAME=A", "GIT_AUTHOR_EMAIL=a@example.org", "GIT_COMMITTER_NAME=A",
                "GIT_COMMITTER_EMAIL=a@example.org", "GIT_AUTHOR_DATE=" + csDate, "GIT_COMMITTER_DATE=" + csDate });
        EXPECT_EQ(run.nExitCode, 0) << ::testing::PrintToString(args) << run.csErr;
        std::string csOut = run.csOut;
        while (!csOut.empty() && csOut.back() == '\n')
            csOut.pop_back();
        return csOut;
    }

    std::string NewRepo(const std::string& csName) const
    {
        const std::string csRepo = m_dir.MakeDir(csName);
        Git(csRepo, { "init", "-q", "-b", "main" });
        return csRepo;
    }

    void CommitAll(const std::string& csRepo, std::int64_t nTime) const
    {
        Git(csRepo, { "add", "-A" }, nTime);
        Git(csRepo, { "commit", "-q", "--allow-empty", "-m", std::to_string(nTime) }, nTime);
    }

    // The files of csProject in a checkout of commit csCommit, counted as a normal run counts them.
    TreeCount CheckoutCount(const std::string& csRepo, const std::string& csCommit, const std::string& csProject,
        const std::vector<std::string>& excludes, CountingRules rules) const
    {
        const std::string csOut = m_dir / ("checkout-" + csCommit);
        if (std::filesystem::create_directories(csOut)) {
            const ProcessResult archive = RunProcess({ "/bin/sh", "-c",
                "'" GIT_PROGRAM "' -C \"$1\" archive \"$2\" | tar -x -C \"$3\"", "sh", csRepo, csCommit, csOut });
            EXPECT_EQ(archive.nExitCode, 0) << archive.csErr;
        }
        TreeCount count;
        ProjectRun project;
        project.csDirectory = csOut + "/" + csProject;
        project.selection = std::make_shared<FileSelection>(excludes);
        if (!std::filesystem::is_directory(project.csDirectory))
            return count;
        CollectProject(project);
        count.nFiles = project.files.size();
        for (const std::string& csFile : project.files)
            (void)CountFile(csFile, count.counters, rules);
        return count;
    }

    // The lines of git verify-pack -v for the pack in csRepo, each split into its words.
    std::vector<std::vector<std::string>> PackListing(const std::string& csRepo) const
    {
        std::vector<std::vector<std::string>> lines;
        for (const auto& entry : std::filesystem::directory_iterator(csRepo + "/.git/objects/pack")) {
            if (entry.path().extension() != ".idx")
                continue;
            std::istringstream listing(Git(csRepo, { "verify-pack", "-v", entry.path() }));
            for (std::string csLine; std::getline(listing, csLine);) {
                std::istringstream words(csLine);
                lines.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
            }
        }
        return lines;
    }

    TempDir m_dir;
};

TEST_F(GitHistoryTest, EachPickedCommitCountsAsItsCheckout)
{
    const std::string csRepo = NewRepo("repo");
    const std::string BINARY("\x7f"
                             "ELF\0\0\r\n\0x = 1; // y\n",
        20);
    m_dir.WriteFile("repo/README", "not a source\n");
    m_dir.WriteFile("repo/top.c", "int top;\n// t\n");
    m_dir.WriteFile("repo/src/a.c", "int a; // one\n\nint b;\n/* block */\n");
    m_dir.WriteFile("repo/src/a.h", "#pragma once\n#if 0\nx\n#endif\n");
    m_dir.WriteFile("repo/src/empty.c", "");
    m_dir.WriteFile("repo/src/bin.c", BINARY);
    m_dir.WriteFile("repo/src/dup1.c", "int same; // twice\n");
    m_dir.WriteFile("repo/src/dup2.h", "int same; // twice\n");
    m_dir.WriteFile("repo/src/gen/made.c", "int made;\n");
    m_dir.WriteFile("repo/src/d.c/inner.h", "int inner;\n");
    std::filesystem::create_symlink("a.c", m_dir / "repo/src/link.c");
    std::filesystem::create_symlink("nowhere.h", m_dir / "repo/src/dangling.h");
    std::filesystem::create_symlink("d.c", m_dir / "repo/src/folder.h");
    CommitAll(csRepo, 1000);
    m_dir.WriteFile("repo/src/a.c", "int a; // one, changed\nint c;\n");
    std::filesystem::remove(m_dir / "repo/src/a.h");
    std::filesystem::create_directories(m_dir / "repo/src/moved");
    Git(csRepo, { "mv", "src/dup1.c", "src/moved/dup1.c" });
    std::filesystem::create_symlink("../top.c", m_dir / "repo/src/up.h");
    CommitAll(csRepo, 2000);
    m_dir.WriteFile("repo/lib/l.c", "int l; // late\n");
    CommitAll(csRepo, 3000);
    // A side line merged back: its own commit is no point of the history.
    Git(csRepo, { "checkout", "-q", "-b", "side" });
    m_dir.WriteFile("repo/src/side.c", "int side;\n");
    CommitAll(csRepo, 3500);
    Git(csRepo, { "checkout", "-q", "main" });
    m_dir.WriteFile("repo/lib/l2.h", "// on main\n");
    CommitAll(csRepo, 3600);
    Git(csRepo, { "merge", "-q", "--no-ff", "-m", "merge", "side" }, 4000);
    m_dir.WriteFile("repo/lib/l.c", "int l; // late, changed\n\n");
    Git(csRepo, { "add", "-A" });
    // A submodule whose name the rule takes: a checkout leaves an empty folder.
    Git(csRepo,
        { "update-index", "--add", "--cacheinfo", "160000," + Git(csRepo, { "rev-parse", "HEAD" }) + ",src/sub.c" });
    Git(csRepo, { "commit", "-q", "-m", "5000" }, 5000);
    std::vector<std::string> commits;
    for (std::string csList = Git(csRepo, { "rev-list", "--first-parent", "--reverse", "HEAD" }) + "\n";
         !csList.empty(); csList.erase(0, csList.find('\n') + 1))
        commits.push_back(csList.substr(0, csList.find('\n')));
    ASSERT_EQ(commits.size(), 6u);

    const std::vector<std::string> projects { "src", "lib" };
    for (const CountingRules rules : { CountingRules::Simple, CountingRules::Syntax }) {
        HistoryRequest request;
        request.directories = { csRepo + "/src", csRepo + "/lib/" };
        request.nPoints = 100;
        request.rules = rules;
        request.excludePatterns = { "gen" };
        request.nThreads = 2;
        const HistoryResult result = CountHistory(request);
        ASSERT_EQ(result.csError, "");
        ASSERT_EQ(result.points.size(), commits.size());
        for (std::size_t i = 0; i < commits.size(); ++i) {
            SCOPED_TRACE(commits[i]);
            TreeCount expected;
            for (const std::string& csProject : projects) {
                const TreeCount count = CheckoutCount(csRepo, commits[i], csProject, request.excludePatterns, rules);
                expected.nFiles += count.nFiles;
                expected.counters += count.counters;
            }
            EXPECT_EQ(result.points[i].csCommit, commits[i]);
            EXPECT_EQ(result.points[i].nFiles, expected.nFiles);
            EXPECT_EQ(result.points[i].counters, expected.counters);
        }
    }
    // Times 1000, 2000, 3000, 3600, 4000, 5000: 3000 lies nearest the middle.
    HistoryRequest three;
    three.directories = { csRepo };
    three.nPoints = 3;
    const HistoryResult picked = CountHistory(three);
    ASSERT_EQ(picked.points.size(), 3u);
    EXPECT_EQ(picked.points[1].csCommit, commits[2]);
    EXPECT_EQ(picked.points[1].nTime, 3000);
}

TEST_F(GitHistoryTest, ReadsEachContentOnceAndStartsAtADetachedHead)
{
    const std::string csRepo = NewRepo("repo");
    m_dir.WriteFile("repo/a.c", "int same;\n");
    m_dir.WriteFile("repo/sub/b.c", "int same;\n");
    m_dir.WriteFile("repo/c.h", "int other;\n");
    CommitAll(csRepo, 100);
    m_dir.WriteFile("repo/c.h", "int other, changed;\n");
    CommitAll(csRepo, 200);
    CommitAll(csRepo, 300);
    HistoryRequest request;
    request.directories = { csRepo };
    const HistoryResult all = CountHistory(request);
    ASSERT_EQ(all.points.size(), 3u);
    EXPECT_EQ(all.points[0].nFiles, 3u);
    EXPECT_EQ(all.points[0].counters.nTotalLines, 3);
    EXPECT_EQ(all.nBlobsRead, 3u); // "int same;" once, and both versions of c.h

    Git(csRepo, { "checkout", "-q", "--detach", "HEAD~2" });
    const HistoryResult detached = CountHistory(request);
    ASSERT_EQ(detached.points.size(), 1u);
    EXPECT_EQ(detached.points[0].csCommit, Git(csRepo, { "rev-parse", "HEAD" }));
}

TEST_F(GitHistoryTest, LargeFilesReadByBothWorkersAreAllCounted)
{
    // Large files are read one at a time: with 32 small ones between them, the
    // second worker's run meets c.c while the first may still read a.c.
    const std::string csRepo = NewRepo("repo");
    std::string csLarge;
    for (int i = 0; i < 600'000; ++i)
        csLarge += "int x;\n"; // 4.2 MB in all
    m_dir.WriteFile("repo/a.c", csLarge);
    for (int i = 0; i < 32; ++i)
        m_dir.WriteFile("repo/b" + std::to_string(100 + i) + ".c", "int b" + std::to_string(i) + ";\n");
    m_dir.WriteFile("repo/c.c", csLarge + "\n");
    CommitAll(csRepo, 100);
    HistoryRequest request;
    request.directories = { csRepo };
    request.nThreads = 2;
    const HistoryResult result = CountHistory(request);
    ASSERT_EQ(result.points.size(), 1u);
    const TreeCount expected = CheckoutCount(csRepo, result.points[0].csCommit, "", {}, CountingRules::Simple);
    EXPECT_EQ(result.points[0].nFiles, 34u);
    EXPECT_EQ(result.points[0].counters, expected.counters);
}

TEST_F(GitHistoryTest, PackedContentReadsAsGitShowsIt)
{
    // Versions of a file past 64 KiB: their deltas copy whole 64 KiB runs. Each
    // version keeps the text the one before it added and drops what came before
    // that, so each is nearest its neighbour and the deltas chain.
    const std::string csRepo = NewRepo("repo");
    std::string csCommon;
    for (int i = 0; i < 4000; ++i)
        csCommon += "int v" + std::to_string(i) + " = " + std::to_string(i * 7) + "; // line\n";
    std::uint32_t nRandom = 12345;
    std::vector<std::string> added;
    for (int nVersion = 0; nVersion < 5; ++nVersion) {
        std::string& csAdded = added.emplace_back();
        for (int i = 0; i < 64; ++i) {
            nRandom = nRandom * 1103515245U + 12345U;
            csAdded += "// " + std::to_string(nVersion) + ":" + std::to_string(nRandom) + "\n";
        }
        m_dir.WriteFile("repo/big.c", csCommon + (nVersion > 0 ? added[nVersion - 1] : "") + csAdded);
        m_dir.WriteFile("repo/small.h", "int small" + std::to_string(nVersion) + ";\n");
        CommitAll(csRepo, 100 + nVersion);
    }
    // Deltas naming their base by its offset in the pack, then by its id; then an
    // index that gives every object after the first a 64-bit offset, as packs past 2 GiB need.
    for (const std::string csBases : { "offset", "id", "offset, 64-bit index" }) {
        SCOPED_TRACE(csBases);
        Git(csRepo, { "-c", std::string("repack.useDeltaBaseOffset=") + (csBases == "id" ? "false" : "true"), "repack",
                        "-q", "-a", "-d", "-f", "--depth=50" });
        for (const auto& entry : std::filesystem::directory_iterator(csRepo + "/.git/objects/pack")) {
            if (csBases != "offset, 64-bit index" || entry.path().extension() != ".pack")
                continue;
            std::filesystem::remove(std::filesystem::path(entry.path()).replace_extension(".idx"));
            Git(csRepo, { "index-pack", "--index-version=2,12", entry.path() });
        }
        std::vector<std::string> blobs;
        std::size_t nChained = 0;
        for (const std::vector<std::string>& words : PackListing(csRepo)) {
            if (words.size() >= 5 && words[1] == "blob")
                blobs.push_back(words[0]);
            if (words.size() == 7 && words[1] == "blob" && std::stoi(words[5]) >= 2)
                ++nChained;
        }
        ASSERT_EQ(blobs.size(), 10u);
        EXPECT_GT(nChained, 0u);
        const PackStore store(csRepo + "/.git/objects");
        PackObjectReader reader(store);
        for (const std::string& csBlob : blobs) {
            git_oid id {};
            ASSERT_EQ(git_oid_fromstr(&id, csBlob.c_str()), 0);
            const std::optional<PackObjectReader::Located> located = reader.Locate(id);
            ASSERT_TRUE(located) << csBlob;
            const std::optional<std::string_view> content = reader.Read(*located);
            ASSERT_TRUE(content) << csBlob;
            const ProcessResult shown = RunProcess({ GIT_PROGRAM, "-C", csRepo, "cat-file", "blob", csBlob });
            EXPECT_EQ(located->nSize, shown.csOut.size()) << csBlob;
            EXPECT_TRUE(*content == shown.csOut) << csBlob;
        }
    }
    // A clone that borrows the objects reads them from the packs it borrows from.
    const std::string csShared = m_dir / "shared";
    Git(m_dir.Path(), { "clone", "-q", "--shared", csRepo, csShared });
    const std::string csBig = Git(csShared, { "rev-parse", "HEAD:big.c" });
    git_oid big {};
    ASSERT_EQ(git_oid_fromstr(&big, csBig.c_str()), 0);
    const PackStore borrowing(csShared + "/.git/objects");
    PackObjectReader fromClone(borrowing);
    const std::optional<PackObjectReader::Located> borrowed = fromClone.Locate(big);
    ASSERT_TRUE(borrowed);
    EXPECT_TRUE(fromClone.Read(*borrowed) == RunProcess({ GIT_PROGRAM, "-C", csShared, "cat-file", "blob", csBig }).csOut);
    // An object written since is loose: libgit2 reads those.
    m_dir.WriteFile("repo/loose.c", "int loose;\n");
    git_oid loose {};
    ASSERT_EQ(git_oid_fromstr(&loose, Git(csRepo, { "hash-object", "-w", "loose.c" }).c_str()), 0);
    const PackStore store(csRepo + "/.git/objects");
    EXPECT_FALSE(PackObjectReader(store).Locate(loose));
}

TEST_F(GitHistoryTest, UnreadableHistoriesAreOneLineNamingTheDirectory)
{
    const std::string csOrigin = NewRepo("origin");
    m_dir.WriteFile("origin/a.c", "int a;\n");
    CommitAll(csOrigin, 100);
    m_dir.WriteFile("origin/a.c", "int a, b;\n");
    CommitAll(csOrigin, 200);
    const std::string csShallow = m_dir / "shallow";
    Git(m_dir.Path(), { "clone", "-q", "--depth", "1", "file://" + csOrigin, csShallow });
    // A copy of the origin, whose objects are loose, without the newest a.c.
    const std::string csDamaged = m_dir / "damaged";
    std::filesystem::copy(csOrigin, csDamaged, std::filesystem::copy_options::recursive);
    const std::string csBlob = Git(csOrigin, { "rev-parse", "HEAD:a.c" });
    ASSERT_TRUE(std::filesystem::remove(csDamaged + "/.git/objects/" + csBlob.substr(0, 2) + "/" + csBlob.substr(2)));
    // A packed copy with a byte of that a.c's compressed bytes changed.
    const std::string csCorrupt = m_dir / "corrupt";
    std::filesystem::copy(csOrigin, csCorrupt, std::filesystem::copy_options::recursive);
    Git(csCorrupt, { "repack", "-q", "-a", "-d" });
    for (const std::vector<std::string>& words : PackListing(csCorrupt)) {
        if (words.empty() || words[0] != csBlob)
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(csCorrupt + "/.git/objects/pack")) {
            if (entry.path().extension() != ".pack")
                continue;
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
            std::fstream pack(entry.path(), std::ios::in | std::ios::out | std::ios::binary);
            const std::streamoff nAt = std::stoll(words[4]) + 4;
            pack.seekg(nAt);
            const char cWas = static_cast<char>(pack.get());
            pack.seekp(nAt);
            pack.put(static_cast<char>(~cWas));
        }
    }
    const std::string csEmpty = NewRepo("empty");
    const std::string csPlain = m_dir.MakeDir("plain");
    const std::string csOther = NewRepo("other");
    CommitAll(csOther, 100);

    struct Case
    {
        std::vector<std::string> directories;
        std::string csError;
    };
    const Case cases[] = {
        { { csPlain }, csPlain + ": not inside a git work tree" },
        { { csOrigin + "/.git" }, csOrigin + "/.git: not inside a git work tree" },
        { { m_dir / "missing" }, m_dir / "missing: No such file or directory" },
        { { csEmpty }, csEmpty + ": the repository has no commits yet" },
        { { csShallow },
            csShallow
                + ": the repository is a shallow clone and lacks its older history (git fetch --unshallow fetches "
                  "it)" },
        { { csOrigin, csOther }, csOther + ": not in the same git work tree as " + csOrigin },
    };
    for (const Case& c : cases) {
        HistoryRequest request;
        request.directories = c.directories;
        const HistoryResult result = CountHistory(request);
        EXPECT_EQ(result.csError, c.csError);
        EXPECT_TRUE(result.points.empty()) << c.csError;
    }
    for (const std::string& csRepo : { csDamaged, csCorrupt }) {
        HistoryRequest request;
        request.directories = { csRepo };
        const HistoryResult damaged = CountHistory(request);
        EXPECT_EQ(
            damaged.csError.rfind(csRepo + ": the repository is damaged: file " + csBlob + " cannot be read (", 0), 0u)
            << damaged.csError;
        EXPECT_TRUE(damaged.points.empty());
    }
}

} // namespace
