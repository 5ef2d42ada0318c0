#include "FileSelection.h"

#include <gtest/gtest.h>

#include "CollectSourceFiles.h"
#include "TempDir.h"

namespace {

TEST(FileSelection, ExcludePatternsTakeNamesAtAnyDepthAndPathsFromTheProject)
{
    struct Case
    {
        const char* pszPattern;
        const char* pszRelative;
        bool bDirectory;
        bool bLeftOut;
    };
    const Case cases[] = {
        // Without '/': the name, at any depth, file or directory.
        { "build", "build", true, true },
        { "build", "a/b/build", true, true },
        { "build", "a/build.c", false, false },
        { "moc_*.cpp", "ui/moc_dlg.cpp", false, true },
        { "moc_*.cpp", "ui/moc_dlg.h", false, false },
        { "*.c", "a/.hidden.c", false, true }, // a leading dot is no special case
        { "?.c", "x/a.c", false, true },
        { "?.c", "ab.c", false, false },
        { "[abc]*.h", "b1.h", false, true },
        { "[abc]*.h", "d1.h", false, false },
        { "[!a]*.h", "a1.h", false, false },
        { "[!a]*.h", "b1.h", false, true },
        { "[a-c]x.h", "bx.h", false, true },
        { "[]]x.h", "]x.h", false, true },
        { "[x.h", "[x.h", false, true }, // no closing ']': the '[' is itself
        { "\\*.c", "*.c", false, true },
        { "\\*.c", "a.c", false, false },
        { "*a*b*c", "xaxbxbxc", false, true }, // the last '*' backtracks
        { "third_party/", "x/third_party", true, true }, // a trailing '/': directories only, still any depth
        { "third_party/", "third_party", false, false },
        // With '/': the path below the project; '*' and '?' stop at '/'.
        { "src/gen", "src/gen", true, true },
        { "src/gen", "a/src/gen", true, false },
        { "/build", "build", true, true },
        { "/build", "sub/build", true, false },
        { "./build", "build", true, true },
        { "src/*.c", "src/a.c", false, true },
        { "src/*.c", "src/sub/a.c", false, false },
        { "a*b/c.c", "ax/b/c.c", false, false },
        { "src/[/b]x.c", "src/bx.c", false, true }, // a '/' in a set separates nothing
        { "**/test", "test", true, true },
        { "**/test", "a/b/test", true, true },
        { "a/**/b.c", "a/b.c", false, true },
        { "a/**/b.c", "a/x/y/b.c", false, true },
        { "a/**/b.c", "a/x/c.c", false, false },
        { "src/**", "src", true, true },
        { "a/**/**/b.c", "a/b.c", false, true },
    };
    for (const Case& c : cases) {
        const FileSelection selection({ c.pszPattern });
        const bool bTaken
            = c.bDirectory ? selection.EntersDirectory(c.pszRelative) : selection.KeepsFile(c.pszRelative);
        EXPECT_EQ(bTaken, !c.bLeftOut) << c.pszPattern << " on " << c.pszRelative;
    }
}

// A folder left out is never listed, so neither its files nor its subfolders are
// seen, and only it is counted.
TEST(FileSelection, WalkNeverListsAFolderLeftOut)
{
    const TempDir dir;
    for (const char* pszName : { "a.c", "build/x.c", "build/deep/y.c", "src/gen/z.c", "src/keep.h", "src/moc_w.cpp" })
        dir.WriteFile(pszName, "");
    ProjectRun project;
    project.csDirectory = dir.Path();
    project.selection = std::make_shared<const FileSelection>(std::vector<std::string> { "build", "moc_*", "src/gen" });
    std::vector<std::string> listed;
    SetWalkStepHook([&](const std::string& csDir) { listed.push_back(csDir); });
    CollectProject(project);
    SetWalkStepHook({});
    EXPECT_EQ(project.files, (FileList { dir / "src/keep.h", dir / "a.c" }));
    EXPECT_EQ(listed, (std::vector<std::string> { dir.Path(), dir / "src" }));
    EXPECT_EQ(project.leftOut, (ScopeCounts { 1, 2 }));
}

} // namespace
