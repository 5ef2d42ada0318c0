#include "DirectoryListing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<DirectoryEntry> ListOpenDirectory(int dirFd, int* pnError)
{
    std::vector<DirectoryEntry> entries;
    int nError = 0;
    // The stream takes a copy, so the caller keeps its descriptor to open entries by.
    const int streamFd = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    std::unique_ptr<DIR, DirCloser> pDir(streamFd >= 0 ? ::fdopendir(streamFd) : nullptr);
    if (!pDir) {
        nError = errno;
        if (streamFd >= 0)
            ::close(streamFd);
    } else {
        const int listFd = ::dirfd(pDir.get());
        for (;;) {
            errno = 0;
            const dirent* pEntry = ::readdir(pDir.get());
            if (pEntry == nullptr) {
                nError = errno;
                break;
            }
            if (std::strcmp(pEntry->d_name, ".") == 0 || std::strcmp(pEntry->d_name, "..") == 0)
                continue;
            entries.push_back({ pEntry->d_name, isRealDirectory(listFd, *pEntry) });
        }
    }
    if (pnError != nullptr)
        *pnError = nError;
    std::sort(entries.begin(), entries.end(),
        [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.csName < b.csName; });
    return entries;
}
