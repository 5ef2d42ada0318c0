#include "DirectoryListing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

#include "OpenPath.h"

namespace {

struct DirCloser
{
    void operator()(DIR* pDir) const noexcept { ::closedir(pDir); }
};

bool isRealDirectory(int dirFd, const dirent& entry)
{
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    struct stat st {};
    return ::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::vector<DirectoryEntry> ListDirectory(const std::string& csDir, int* pnError)
{
    std::vector<DirectoryEntry> entries;
    if (pnError != nullptr)
        *pnError = 0;
    FileHandle dirFile = OpenPath(csDir, O_RDONLY | O_DIRECTORY);
    if (!dirFile.IsOpen()) {
        if (pnError != nullptr)
            *pnError = errno;
        return entries;
    }
    std::unique_ptr<DIR, DirCloser> pDir(::fdopendir(dirFile.Get()));
    if (!pDir) {
        if (pnError != nullptr)
            *pnError = errno;
        return entries;
    }
    dirFile.Release(); // now owned by the DIR stream
    const int dirFd = ::dirfd(pDir.get());
    while (const dirent* pEntry = ::readdir(pDir.get())) {
        if (std::strcmp(pEntry->d_name, ".") == 0 || std::strcmp(pEntry->d_name, "..") == 0)
            continue;
        entries.push_back({ pEntry->d_name, isRealDirectory(dirFd, *pEntry) });
    }
    std::sort(entries.begin(), entries.end(),
        [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.csName < b.csName; });
    return entries;
}
