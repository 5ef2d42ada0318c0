#include "LongPathAnchor.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "OpenPath.h"
#include "TempDir.h"

namespace {

std::string readAll(const FileHandle& file)
{
    char acText[64];
    const ssize_t nRead = file.IsOpen() ? ::read(file.Get(), acText, sizeof acText) : -1;
    return nRead > 0 ? std::string(acText, static_cast<std::size_t>(nRead)) : std::string();
}

TEST(LongPathAnchor, LeadsOnlyBelowTheDirectoryItStillNames)
{
    TempDir dir;
    dir.WriteFile("a/x.c", "old");
    LongPathAnchor anchor;
    anchor.Set(dir / "a", FileHandle(::open((dir / "a").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    std::size_t nAfter = 0;
    for (const std::string& csOther : { dir / "ab/x.c", dir / "a", dir.Path() + "/", std::string("x.c") })
        EXPECT_FALSE(anchor.DirectoryFor(csOther, nAfter).IsOpen()) << csOther;
    const FileHandle below = anchor.DirectoryFor(dir / "a/x.c", nAfter);
    ASSERT_TRUE(below.IsOpen());
    EXPECT_EQ(nAfter, (dir / "a").size());
    EXPECT_EQ(readAll(FileHandle(::openat(below.Get(), "x.c", O_RDONLY | O_CLOEXEC))), "old");

    ASSERT_EQ(std::rename((dir / "a").c_str(), (dir / "moved").c_str()), 0);
    dir.WriteFile("a/x.c", "new");
    EXPECT_FALSE(anchor.DirectoryFor(dir / "a/x.c", nAfter).IsOpen()) << "it would lead into the moved directory";
}

// Paths past PATH_MAX are opened through the anchor; a rename between two opens must
// not make the second one read the file of the directory that moved away.
TEST(LongPathAnchor, OpenPathReadsWhatThePathNamesAfterARename)
{
    TempDir dir;
    const std::string csName(200, 'd');
    std::string csPath = dir.Path();
    int dirFd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (csPath.size() < 5000) {
        ASSERT_EQ(::mkdirat(dirFd, csName.c_str(), 0700), 0);
        const int nextFd = ::openat(dirFd, csName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(dirFd);
        dirFd = nextFd;
        csPath += "/" + csName;
    }
    const auto writeAt = [](int fd, const char* pszName, const std::string& csText) {
        const FileHandle file(::openat(fd, pszName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        return file.IsOpen() && ::write(file.Get(), csText.data(), csText.size()) == static_cast<ssize_t>(csText.size());
    };
    ASSERT_EQ(::mkdirat(dirFd, "a", 0700), 0);
    const FileHandle first(::openat(dirFd, "a", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(writeAt(first.Get(), "x.c", "old"));
    EXPECT_EQ(readAll(OpenPath(csPath + "/a/x.c", O_RDONLY)), "old");

    ASSERT_EQ(::renameat(dirFd, "a", dirFd, "moved"), 0);
    ASSERT_EQ(::mkdirat(dirFd, "a", 0700), 0);
    const FileHandle second(::openat(dirFd, "a", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(writeAt(second.Get(), "x.c", "new"));
    EXPECT_EQ(readAll(OpenPath(csPath + "/a/x.c", O_RDONLY)), "new");

    // The temporary directory's own cleanup cannot reach this deep: empty the last level here.
    for (const char* pszDir : { "a", "moved" }) {
        const FileHandle sub(::openat(dirFd, pszDir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ::unlinkat(sub.Get(), "x.c", 0);
        ::unlinkat(dirFd, pszDir, AT_REMOVEDIR);
    }
    ::close(dirFd);
    std::string csLevel = csPath;
    while (csLevel.size() > dir.Path().size()) {
        const std::string csParent = csLevel.substr(0, csLevel.rfind('/'));
        const FileHandle parent = OpenPath(csParent, O_RDONLY | O_DIRECTORY);
        ::unlinkat(parent.Get(), csName.c_str(), AT_REMOVEDIR);
        csLevel = csParent;
    }
}

} // namespace
