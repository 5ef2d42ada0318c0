#include "LongPathAnchor.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

FileHandle duplicate(const FileHandle& handle) { return FileHandle(::fcntl(handle.Get(), F_DUPFD_CLOEXEC, 0)); }

bool startsBelow(const std::string& csPath, const std::string& csDir)
{
    return !csDir.empty() && csPath.size() > csDir.size() && csPath.compare(0, csDir.size(), csDir) == 0
        && csPath[csDir.size()] == '/';
}

} // namespace

FileHandle LongPathAnchor::DirectoryFor(const std::string& csPath, std::size_t& nAfter)
{
    if (!m_dir.IsOpen() || !startsBelow(csPath, m_csDir))
        return {};
    // A renamed or removed directory would lead to files that no longer have this path.
    struct stat st {};
    if (::fstat(m_dir.Get(), &st) != 0 || st.st_nlink == 0 || st.st_ctim.tv_sec != m_changed.tv_sec
        || st.st_ctim.tv_nsec != m_changed.tv_nsec) {
        Clear();
        return {};
    }
    nAfter = m_csDir.size();
    return duplicate(m_dir);
}

void LongPathAnchor::Set(const std::string& csDir, const FileHandle& dir)
{
    struct stat st {};
    FileHandle copy = duplicate(dir);
    if (!copy.IsOpen() || ::fstat(copy.Get(), &st) != 0) {
        Clear();
        return;
    }
    m_csDir = csDir;
    m_dir = std::move(copy);
    m_changed = st.st_ctim;
}

void LongPathAnchor::Clear()
{
    m_csDir.clear();
    m_dir = FileHandle();
    m_changed = {};
}
