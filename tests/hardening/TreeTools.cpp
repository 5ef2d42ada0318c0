#include "TreeTools.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int DIR_FLAGS = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Empties the open directory of everything but subdirectories; returns the name of the
// first subdirectory seen, or an empty string when none is left.
std::string clearFilesAndFindSubdirectory(int dirFd, bool& bOk)
{
    const int listFd = ::dup(dirFd);
    DIR* const pDir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (pDir == nullptr) {
        if (listFd >= 0)
            ::close(listFd);
        bOk = false;
        return {};
    }
    std::string csSubdirectory;
    while (const dirent* pEntry = ::readdir(pDir)) {
        if (std::strcmp(pEntry->d_name, ".") == 0 || std::strcmp(pEntry->d_name, "..") == 0)
            continue;
        struct stat st
        {
        };
        if (::fstatat(dirFd, pEntry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
            csSubdirectory = pEntry->d_name;
            break;
        }
        if (::unlinkat(dirFd, pEntry->d_name, 0) != 0)
            bOk = false;
    }
    ::closedir(pDir);
    return csSubdirectory;
}

} // namespace

bool RemoveTree(const std::string& csRoot)
{
    int dirFd = ::open(csRoot.c_str(), DIR_FLAGS);
    if (dirFd < 0)
        return errno == ENOENT;
    bool bOk = true;
    std::vector<std::string> descent; // names from the root down to the open directory
    for (;;) {
        const std::string csSubdirectory = clearFilesAndFindSubdirectory(dirFd, bOk);
        if (!csSubdirectory.empty()) {
            const int subFd = ::openat(dirFd, csSubdirectory.c_str(), DIR_FLAGS);
            if (subFd < 0)
                break;
            ::close(dirFd);
            dirFd = subFd;
            descent.push_back(csSubdirectory);
            continue;
        }
        if (descent.empty())
            break;
        // Up through "..", so that no path string ever grows with the depth.
        const int parentFd = ::openat(dirFd, "..", DIR_FLAGS);
        ::close(dirFd);
        dirFd = parentFd;
        if (dirFd < 0 || ::unlinkat(dirFd, descent.back().c_str(), AT_REMOVEDIR) != 0) {
            bOk = false;
            break;
        }
        descent.pop_back();
    }
    if (dirFd >= 0)
        ::close(dirFd);
    return bOk && descent.empty() && ::rmdir(csRoot.c_str()) == 0;
}

bool WriteFileAt(int dirFd, const std::string& csName, std::string_view csContent)
{
    const int fd = ::openat(dirFd, csName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool bOk = true;
    while (!csContent.empty() && bOk) {
        const ssize_t nWritten = ::write(fd, csContent.data(), csContent.size());
        bOk = nWritten > 0;
        if (bOk)
            csContent.remove_prefix(static_cast<std::size_t>(nWritten));
    }
    return ::close(fd) == 0 && bOk;
}

Watchdog::Watchdog(unsigned nSeconds) { ::alarm(nSeconds); }

Watchdog::~Watchdog() { ::alarm(0); }

bool ResetPeakResidentSize()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

std::int64_t PeakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string csLine;
    while (std::getline(status, csLine)) {
        if (csLine.rfind("VmHWM:", 0) == 0)
            return std::stoll(csLine.substr(6));
    }
    return -1;
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
