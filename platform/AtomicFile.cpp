#include "AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileHandle.h"
#include "ProfileFaults.h"

namespace fs = std::filesystem;

namespace {

// Linux allows 40 links in one path resolution; follow as many.
constexpr int MAX_LINK_HOPS = 40;

// Removes a temporary file unless it has been renamed into place.
class TempFileGuard
{
public:
    explicit TempFileGuard(std::string csPath)
        : m_csPath(std::move(csPath))
    {
    }
    ~TempFileGuard()
    {
        if (!m_csPath.empty())
            ::unlink(m_csPath.c_str());
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

    void Release() { m_csPath.clear(); }

private:
    std::string m_csPath;
};

FileStatus failure(FileFailureKind kind, std::string csPath, int nErrno) { return { FileFailure { kind, std::move(csPath), nErrno } }; }

// Follows symbolic links in the last component, so that writing replaces the target and keeps the link.
// A dangling link resolves to the missing target, which is then created.
std::string resolveLinks(const std::string& csPath, int& nError)
{
    std::string csCurrent = csPath;
    for (int nHop = 0; nHop < MAX_LINK_HOPS; ++nHop) {
        struct stat st = {};
        if (::lstat(csCurrent.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return csCurrent;
        std::string csLink(256, '\0');
        for (;;) {
            const ssize_t nRead = ::readlink(csCurrent.c_str(), csLink.data(), csLink.size());
            if (nRead < 0) {
                nError = errno;
                return csCurrent;
            }
            if (static_cast<std::size_t>(nRead) < csLink.size()) {
                csLink.resize(static_cast<std::size_t>(nRead));
                break;
            }
            csLink.resize(csLink.size() * 2);
        }
        // A relative target is relative to the link's folder; an absolute one replaces the whole path.
        csCurrent = (fs::path(csCurrent).parent_path() / csLink).string();
    }
    nError = ELOOP;
    return csCurrent;
}

// 0666 less the umask, as for any file the user creates. umask() can only be read by changing it, which
// races with other threads, so it is taken from /proc; without it the file stays private.
mode_t newFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string csLine;
    while (std::getline(status, csLine)) {
        if (csLine.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::strtol(csLine.c_str() + 6, nullptr, 8));
    }
    return 0600;
}

bool writeAll(int nFd, std::string_view csContent)
{
    if (!PassProfileFaultHook(ProfileWriteStep::Write))
        return false;
    while (!csContent.empty()) {
        const ssize_t nWritten = ::write(nFd, csContent.data(), csContent.size());
        if (nWritten < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        csContent.remove_prefix(static_cast<std::size_t>(nWritten));
    }
    return true;
}

// The new file takes the old one's place, so it gets the old one's mode and, where allowed, its owner.
bool copyOwnerAndMode(int nFd, const std::string& csTarget)
{
    struct stat st = {};
    if (::stat(csTarget.c_str(), &st) != 0)
        return ::fchmod(nFd, newFileMode()) == 0;
    // Only root may give a file away; anyone else keeps the saved file as their own, which is no reason to fail.
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
        [[maybe_unused]] const int nChowned = ::fchown(nFd, st.st_uid, st.st_gid);
    }
    return ::fchmod(nFd, st.st_mode & 07777) == 0;
}

// Temporary files of saves that were killed before their rename. Only old ones
// go: a young one may belong to another instance saving right now.
void removeStaleTemps(const std::string& csFolder, const std::string& csPrefix)
{
    constexpr auto STALE_AFTER = std::chrono::minutes(10);
    constexpr std::size_t SUFFIX_LENGTH = 6; // the XXXXXX of mkostemp
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(csFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string csName = it->path().filename().string();
        if (csName.size() != csPrefix.size() + SUFFIX_LENGTH || !csName.starts_with(csPrefix))
            continue;
        std::error_code ecEntry;
        if (!it->is_regular_file(ecEntry) || it->is_symlink(ecEntry))
            continue;
        const auto modified = it->last_write_time(ecEntry);
        if (!ecEntry && now - modified > STALE_AFTER)
            fs::remove(it->path(), ecEntry);
    }
}

// Makes the rename itself durable; some file systems cannot sync a folder, and the data is safe either way.
void syncFolder(const std::string& csFolder)
{
    const FileHandle folder(::open(csFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.IsOpen())
        static_cast<void>(::fsync(folder.Get()));
}

} // namespace

FileText ReadFileText(const std::string& csPath)
{
    FileText result;
    // Non-blocking, so that a FIFO in the file's place cannot hang the open.
    const FileHandle file(::open(csPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.IsOpen()) {
        // With a file for a folder on the way, the file cannot exist either.
        const int nError = errno;
        if (nError != ENOENT && nError != ENOTDIR)
            result.failure = FileFailure { FileFailureKind::CannotRead, csPath, nError };
        return result;
    }
    result.bExists = true;
    const auto fnFail = [&](FileFailureKind kind, int nError) {
        result.failure = FileFailure { kind, csPath, nError };
        result.csText.clear();
        return result;
    };
    struct stat st = {};
    if (::fstat(file.Get(), &st) != 0)
        return fnFail(FileFailureKind::CannotRead, errno);
    if (!S_ISREG(st.st_mode))
        return fnFail(FileFailureKind::NotRegularFile, 0);

    // One byte more than its size, so that a file that did not grow is read in one call and the next sees its end.
    std::string& csText = result.csText;
    csText.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t nUsed = 0;
    for (;;) {
        if (nUsed == csText.size())
            csText.resize(csText.size() * 2);
        const ssize_t nRead = ::read(file.Get(), csText.data() + nUsed, csText.size() - nUsed);
        if (nRead == 0)
            break;
        if (nRead < 0) {
            if (errno == EINTR)
                continue;
            return fnFail(FileFailureKind::CannotRead, errno);
        }
        nUsed += static_cast<std::size_t>(nRead);
    }
    csText.resize(nUsed);
    return result;
}

FileStatus WriteFileAtomically(const std::string& csPath, std::string_view csContent, MissingFolders folders)
{
    int nError = 0;
    const std::string csTarget = resolveLinks(csPath, nError);
    if (nError != 0)
        return failure(FileFailureKind::CannotWrite, csPath, nError);
    // errno is taken first: copying the path allocates, which may change it.
    const auto fnFail = [&csTarget](FileFailureKind kind) {
        const int nFailure = errno;
        return failure(kind, csTarget, nFailure);
    };

    // Renaming would replace a read-only file all the same; its mode says the user wants it kept.
    if (::faccessat(AT_FDCWD, csTarget.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        return fnFail(FileFailureKind::CannotWrite);

    // A bare name lives in the working folder: its parent path is empty, never a folder to create or scan.
    const fs::path folderPath = fs::path(csTarget).parent_path();
    const std::string csFolder = folderPath.empty() ? std::string(".") : folderPath.string();
    if (folders == MissingFolders::Create) {
        std::error_code ec;
        fs::create_directories(csFolder, ec);
        if (ec)
            return failure(FileFailureKind::CannotCreateFolder, csFolder, ec.value());
    }

    // Appended piece by piece: GCC 12 misreads "." + std::string&& as an overlapping copy (-Wrestrict).
    std::string csTempPrefix = ".";
    csTempPrefix += fs::path(csTarget).filename().string();
    csTempPrefix += '.';
    std::string csTemp = csFolder + "/" + csTempPrefix + "XXXXXX";
    const int nFd = PassProfileFaultHook(ProfileWriteStep::CreateTemp) ? ::mkostemp(csTemp.data(), O_CLOEXEC) : -1;
    if (nFd < 0) {
        // Without its folder the file cannot be written at all, as a shell's redirection would say.
        if (errno == ENOENT || errno == ENOTDIR)
            return fnFail(FileFailureKind::CannotWrite);
        return fnFail(FileFailureKind::CannotCreateTemp);
    }
    FileHandle temp(nFd);
    TempFileGuard tempGuard(csTemp);

    if (!copyOwnerAndMode(temp.Get(), csTarget) || !writeAll(temp.Get(), csContent))
        return fnFail(FileFailureKind::WriteFailed);
    if (!PassProfileFaultHook(ProfileWriteStep::Sync) || ::fsync(temp.Get()) != 0)
        return fnFail(FileFailureKind::SyncFailed);
    if (!temp.Close())
        return fnFail(FileFailureKind::WriteFailed);
    if (!PassProfileFaultHook(ProfileWriteStep::Rename) || ::rename(csTemp.c_str(), csTarget.c_str()) != 0)
        return fnFail(FileFailureKind::ReplaceFailed);
    tempGuard.Release();
    syncFolder(csFolder);
    removeStaleTemps(csFolder, csTempPrefix);
    return {};
}
