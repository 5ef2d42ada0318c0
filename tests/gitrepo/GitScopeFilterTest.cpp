#include "GitScopeFilter.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace {

// git itself is the model: each case builds a small repository with git, and the
// files a walk takes through the filter must be those `git ls-files` lists.
struct GitCase
{
    const char* pszName;
    const char* pszProject; // the project directory below the case's folder
    const char* pszScript; // builds the case in the current directory
};

const GitCase GIT_CASES[] = {
    { "IgnoreRulesOfTheWholeTree", "r", R"sh(
        git init -q r && cd r
        printf '*.hpp\n!keep.hpp\ntmp.c/\n**/gen/*.h\n/top.c\n' >.gitignore
        mkdir -p src/gen deep/er/gen a b/tmp.c lib.c
        printf 'made.c\n' >src/.gitignore
        touch keep.hpp drop.hpp top.c src/top.c src/made.c src/main.c src/gen/x.h deep/er/gen/y.h deep/er/z.h \
              a/tmp.c b/tmp.c/in.c .clang-format "$(printf 'caf\351.c')"
        git add -A && git commit -qm one
        touch new.c src/made.c~ merge.orig.c src/gen/w.c 'sp ace.h' lib.c/x.h
        ln -s main.c src/alias.c && touch .git/notes.c
    )sh" },
    { "TrackedFilesInsideAnIgnoredDirectory", "r", R"sh(
        git init -q r && cd r
        printf 'build/\n' >.gitignore
        mkdir -p build/sub && touch build/gen.c build/sub/z.c main.c
        git add . && git add -f build/gen.c && git commit -qm one
        touch build/other.c build/sub/more.c
    )sh" },
    { "ProjectIsASubfolderOfTheWorkTree", "r/app", R"sh(
        git init -q r && cd r
        printf '/app/gen.c\nout/\n' >.gitignore
        mkdir -p app/out app/src other && printf 'local.h\n' >app/.gitignore
        touch app/gen.c app/src/gen.c app/out/o.c app/local.h app/src/local.h other/o.c
        git add -A && git commit -qm one
        touch app/new.c other/new.c
    )sh" },
    { "IgnoredProjectFolder", "r/build", R"sh(
        git init -q r && cd r
        printf 'build/\n' >.gitignore && mkdir build && touch build/a.c build/b.h
        git add -f build/a.c && git commit -qm one
    )sh" },
    { "SubmodulesAndNestedRepositoriesAreNotEntered", "r", R"sh(
        git init -q lib && (cd lib && touch l.c && git add . && git commit -qm lib)
        git init -q r && cd r && touch main.c && git add . && git commit -qm one
        git submodule add -q ../lib sub 2>/dev/null && git submodule add -q ../lib mod.c 2>/dev/null
        git commit -qm sub
        mkdir -p nested other.h && (cd nested && git init -q && touch n.c)
        (cd other.h && git init -q && touch o.c)
        mkdir -p cached/inner && touch cached/inner/c.c && git add cached && (cd cached && git init -q)
        touch cached/inner/u.c
    )sh" },
    { "SeparateGitDirectory", "r", R"sh(
        git init -q --separate-git-dir="$PWD/store" r && cd r
        printf 'x.c\nforced.c\n' >.gitignore && touch a.c x.c forced.c && git add . && git add -f forced.c
        git commit -qm one
        printf 'u*.c\n' >>../store/info/exclude && touch b.c u1.c
    )sh" },
    { "LinkedWorktree", "wt", R"sh(
        git init -q r && cd r
        touch a.c && git add . && git commit -qm one
        git worktree add -q ../wt
        printf 'ex*.c\n' >>.git/info/exclude
        cd ../wt && touch b.c ex.c ex2.c && git add b.c && git add -f ex2.c
    )sh" },
};

void PrintTo(const GitCase& gitCase, std::ostream* pOut) { *pOut << gitCase.pszName; }

// The name rule, written again here: the text after the name's last dot begins with h or c.
bool nameRuleTakes(const std::string& csPath)
{
    const std::string csName = csPath.substr(csPath.rfind('/') + 1);
    const std::size_t nDot = csName.rfind('.');
    return nDot != std::string::npos && nDot + 1 < csName.size()
        && std::string_view("hHcC").find(csName[nDot + 1]) != std::string_view::npos;
}

// The project's files as git lists them, relative to it, that the name rule takes.
std::set<std::string> gitListed(const std::string& csProject)
{
    const ProcessResult listed = RunProcess(
        { "/usr/bin/git", "-C", csProject, "ls-files", "-z", "--cached", "--others", "--exclude-standard" });
    EXPECT_EQ(listed.nExitCode, 0) << listed.csErr;
    std::set<std::string> paths;
    for (std::size_t nStart = 0, nEnd; (nEnd = listed.csOut.find('\0', nStart)) != std::string::npos;
         nStart = nEnd + 1) {
        const std::string csPath = listed.csOut.substr(nStart, nEnd - nStart);
        if (nameRuleTakes(csPath))
            paths.insert(csPath);
    }
    return paths;
}

// The files CollectProject takes below csProject, relative to it, in its order.
std::vector<std::string> collected(const std::string& csProject, std::shared_ptr<const ScopeFilter> filter)
{
    ProjectRun project;
    project.csDirectory = csProject;
    if (filter)
        project.selection = std::make_shared<const FileSelection>(std::vector<std::string> {}, std::move(filter));
    CollectProject(project);
    std::vector<std::string> paths;
    for (const std::string& csPath : project.files)
        paths.push_back(csPath.substr(csProject.size() + 1));
    return paths;
}

class GitScopeFilterTest : public ::testing::TestWithParam<GitCase>
{
public:
    // A home of the suite's own, so the machine's git configuration cannot leak in;
    // libgit2 reads it when first set up, before any case opens a repository.
    static void SetUpTestSuite()
    {
        s_home = std::make_unique<TempDir>();
        for (const char* pszName : { "GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE", "GIT_CEILING_DIRECTORIES" })
            ::unsetenv(pszName);
        ::setenv("HOME", s_home->Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (*s_home / "config").c_str(), 1);
        ::setenv("GIT_CONFIG_NOSYSTEM", "1", 1);
        s_home->WriteFile("global-ignore", "*.orig.c\n");
        s_home->WriteFile(".gitconfig",
            "[user]\n\tname = Test\n\temail = test@example.org\n[init]\n\tdefaultBranch = main\n"
            "[protocol \"file\"]\n\tallow = always\n[advice]\n\tdetachedHead = false\n[core]\n\texcludesFile = "
                + (*s_home / "global-ignore") + "\n");
    }
    static void TearDownTestSuite() { s_home.reset(); }

private:
    static std::unique_ptr<TempDir> s_home;
};
std::unique_ptr<TempDir> GitScopeFilterTest::s_home;

TEST_P(GitScopeFilterTest, TakesWhatGitListsInTheWalksOrder)
{
    const TempDir dir;
    const ProcessResult made
        = RunProcess({ "/bin/bash", "-ec", std::string("cd \"$0\"\n") + GetParam().pszScript, dir.Path() });
    ASSERT_EQ(made.nExitCode, 0) << made.csErr;
    const std::string csProject = dir / GetParam().pszProject;
    const std::set<std::string> listed = gitListed(csProject);
    ASSERT_FALSE(listed.empty());

    const GitScope scope = OpenGitScope(csProject);
    ASSERT_NE(scope.filter, nullptr) << scope.csProblem;
    const std::vector<std::string> taken = collected(csProject, scope.filter);
    // Every file git lists, in the order the walk takes them without the filter.
    std::vector<std::string> expected;
    for (const std::string& csPath : collected(csProject, nullptr)) {
        if (listed.count(csPath) != 0)
            expected.push_back(csPath);
    }
    EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()), listed);
    EXPECT_EQ(taken, expected);
}

INSTANTIATE_TEST_SUITE_P(Repositories, GitScopeFilterTest, ::testing::ValuesIn(GIT_CASES),
    [](const ::testing::TestParamInfo<GitCase>& c) { return c.param.pszName; });

TEST(GitScopeFilter, OutsideAnyWorkTreeCountsWhole)
{
    const TempDir dir;
    dir.WriteFile("a.c", "");
    ASSERT_EQ(RunProcess({ "/usr/bin/git", "init", "-q", "--bare", dir / "bare.git" }).nExitCode, 0);
    ASSERT_EQ(RunProcess({ "/usr/bin/git", "init", "-q", dir / "wt" }).nExitCode, 0);
    for (const std::string& csProject : { dir.Path(), dir / "bare.git", dir / "bare.git/refs", dir / "wt/.git/refs" }) {
        const GitScope scope = OpenGitScope(csProject);
        EXPECT_EQ(scope.filter, nullptr) << csProject;
        EXPECT_EQ(scope.csProblem, "not inside a git work tree; counted whole") << csProject;
    }
}

} // namespace
