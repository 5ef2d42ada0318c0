#include "CollectSourceFiles.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <limits>
#include <sys/stat.h>

#include "FileSelection.h"
#include "LineCounters.h"
#include "OpenPath.h"
#include "SourceNameMatch.h"

namespace {

void resetRun()
{
    g_lineCounters.Reset();
    for (FileList& slot : ProjectFileLists)
        slot.clear();
}

FileList* slotOf(int nProject)
{
    if (nProject < 0 || nProject >= MAX_PROJECTS)
        return nullptr;
    return &ProjectFileLists[static_cast<std::size_t>(nProject)];
}

int clampedCount(std::size_t nAdded)
{
    constexpr auto nMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return static_cast<int>(nAdded < nMax ? nAdded : nMax);
}

// Directories one walk keeps open at once: a deeper tree closes its shallowest
// levels and reopens them when the walk climbs back to their subdirectories.
constexpr std::size_t MAX_OPEN_LEVELS = 64;

std::function<void(const std::string&)>& walkStepHook()
{
    static std::function<void(const std::string&)> s_fnHook;
    return s_fnHook;
}

// A directory that vanished or became something else after its parent was
// listed: the tree changed under the walk, nothing was left unread.
bool isGoneError(int nError) { return nError == ENOENT || nError == ENOTDIR || nError == ELOOP; }

struct PendingDirectory
{
    std::string csPath;
    std::size_t nParent; // the level of its parent directory
    std::size_t nNameStart; // where its own name starts in csPath
};

// The directories from the walk's root down to the one being listed, each opened
// relative to the one above it and never through a link.
class DescriptorWalk
{
public:
    explicit DescriptorWalk(const std::string& csRoot)
        : m_csRoot(csRoot)
    {
    }

    // Opens the root, which may be a link: the user named it. Returns errno or 0.
    int OpenRoot()
    {
        FileHandle root = OpenPath(m_csRoot, O_RDONLY | O_DIRECTORY);
        struct stat st {};
        if (!root.IsOpen() || ::fstat(root.Get(), &st) != 0)
            return errno;
        m_levels.push_back({ {}, st.st_dev, st.st_ino, std::move(root) });
        m_nOpen = 1;
        return 0;
    }

    [[nodiscard]] std::size_t Levels() const { return m_levels.size(); }
    [[nodiscard]] int Deepest() const { return m_levels.back().dir.Get(); }

    // Makes csName below level nParent the deepest level; returns errno or 0.
    int Enter(std::size_t nParent, const std::string& csName)
    {
        while (m_levels.size() > nParent + 1) {
            m_nOpen -= m_levels.back().dir.IsOpen() ? 1 : 0;
            m_levels.pop_back();
        }
        m_nFirstMaybeOpen = std::min(m_nFirstMaybeOpen, m_levels.size());
        if (!m_levels[nParent].dir.IsOpen() && !Reopen(nParent))
            return errno;
        FileHandle dir(
            ::openat(m_levels[nParent].dir.Get(), csName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (!dir.IsOpen() || ::fstat(dir.Get(), &st) != 0)
            return errno;
        m_levels.push_back({ csName, st.st_dev, st.st_ino, std::move(dir) });
        ++m_nOpen;
        CloseShallowest();
        return 0;
    }

private:
    struct Level
    {
        std::string csName; // in the level above; empty for the root
        dev_t dev = 0;
        ino_t ino = 0;
        FileHandle dir; // closed while the walk is deeper than MAX_OPEN_LEVELS below it
    };

    void CloseShallowest()
    {
        for (std::size_t i = m_nFirstMaybeOpen; m_nOpen > MAX_OPEN_LEVELS && i + 1 < m_levels.size(); ++i) {
            if (m_levels[i].dir.IsOpen()) {
                m_levels[i].dir = FileHandle();
                --m_nOpen;
            }
            m_nFirstMaybeOpen = i + 1;
        }
    }

    // Reopens level nLevel by name from the deepest open level above it, checking
    // that each step still leads to the directory first opened there.
    bool Reopen(std::size_t nLevel)
    {
        std::size_t nFrom = nLevel;
        while (nFrom > 0 && !m_levels[nFrom].dir.IsOpen())
            --nFrom;
        FileHandle dir;
        if (m_levels[nFrom].dir.IsOpen())
            dir = FileHandle(::fcntl(m_levels[nFrom].dir.Get(), F_DUPFD_CLOEXEC, 0));
        else
            dir = OpenPath(m_csRoot, O_RDONLY | O_DIRECTORY);
        for (std::size_t i = nFrom;; ++i) {
            struct stat st {};
            if (!dir.IsOpen() || ::fstat(dir.Get(), &st) != 0)
                return false;
            if (st.st_dev != m_levels[i].dev || st.st_ino != m_levels[i].ino) {
                errno = ENOENT; // another directory took the name
                return false;
            }
            if (i == nLevel)
                break;
            dir = FileHandle(
                ::openat(dir.Get(), m_levels[i + 1].csName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        m_levels[nLevel].dir = std::move(dir);
        ++m_nOpen;
        m_nFirstMaybeOpen = std::min(m_nFirstMaybeOpen, nLevel);
        return true;
    }

    const std::string& m_csRoot;
    std::vector<Level> m_levels;
    std::size_t m_nOpen = 0;
    std::size_t m_nFirstMaybeOpen = 0; // levels above this one are all closed
};

} // namespace

std::string JoinPath(const std::string& csDir, const std::string& csName)
{
    std::string csPath;
    csPath.reserve(csDir.size() + 1 + csName.size());
    csPath += csDir;
    csPath += '/';
    csPath += csName;
    return csPath;
}

int WalkSourceTree(const std::string& csRoot,
    const std::function<void(const std::string& csDir, const std::vector<DirectoryEntry>& entries)>& fnVisit,
    UnreadableFolders* pUnreadable, const std::function<bool(const std::string& csPath)>& fnEnters)
{
    DescriptorWalk walk(csRoot);
    int nRootError = walk.OpenRoot();
    std::vector<DirectoryEntry> entries;
    if (nRootError == 0)
        entries = ListOpenDirectory(walk.Deepest(), &nRootError);
    // An explicit stack instead of recursion: nesting depth is only bounded by the disk.
    std::vector<PendingDirectory> pending;
    std::string csCurrent = csRoot;
    for (;;) {
        fnVisit(csCurrent, entries);
        if (const auto& fnHook = walkStepHook())
            fnHook(csCurrent);
        const std::size_t nLevel = walk.Levels() > 0 ? walk.Levels() - 1 : 0;
        // Reverse onto the stack, so the first subdirectory is visited first.
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (!it->bDirectory || walk.Levels() == 0)
                continue;
            std::string csPath = JoinPath(csCurrent, it->csName);
            if (!fnEnters || fnEnters(csPath))
                pending.push_back({ std::move(csPath), nLevel, csCurrent.size() + 1 });
        }
        entries.clear();
        bool bOpened = false;
        while (!bOpened && !pending.empty()) {
            PendingDirectory next = std::move(pending.back());
            pending.pop_back();
            int nError = walk.Enter(next.nParent, next.csPath.substr(next.nNameStart));
            if (nError == 0)
                entries = ListOpenDirectory(walk.Deepest(), &nError);
            if (nError != 0 && pUnreadable != nullptr && !isGoneError(nError)) {
                if (pUnreadable->nCount++ == 0) {
                    pUnreadable->csFirst = next.csPath;
                    pUnreadable->nFirstError = nError;
                }
            }
            if (walk.Levels() == next.nParent + 2) { // entered, even if listing then failed
                csCurrent = std::move(next.csPath);
                bOpened = true;
            }
        }
        if (!bOpened)
            return nRootError;
    }
}

void SetWalkStepHook(std::function<void(const std::string& csDir)> fnHook) { walkStepHook() = std::move(fnHook); }

std::size_t CollectMatchingPaths(const std::string& csDir, std::string_view csExt, FileList& list)
{
    const std::size_t nBefore = list.size();
    (void)WalkSourceTree(csDir, [&](const std::string& csCurrent, const std::vector<DirectoryEntry>& entries) {
        for (const DirectoryEntry& entry : entries) {
            if (MatchesSourcePattern(entry.csName, csExt))
                list.push_back(JoinPath(csCurrent, entry.csName));
        }
    });
    return list.size() - nBefore;
}

void WalkProject(ProjectRun& project, const std::function<void(std::string&& csPath, std::size_t nPattern)>& fnTake,
    const std::function<void()>& fnAfterDirectory)
{
    project.unreadable = {};
    project.leftOut = {};
    const FileSelection* const pSelection = project.selection.get();
    const bool bLimited = pSelection != nullptr && pSelection->Limited();
    // Below the root, a path's part after csDirectory + '/' is the one the selection is asked about.
    const std::size_t nRelativeStart = project.csDirectory.size() + 1;
    const auto relativeOf = [nRelativeStart](const std::string& csPath) {
        return std::string_view(csPath).substr(std::min(nRelativeStart, csPath.size()));
    };
    std::function<bool(const std::string&)> fnEnters;
    if (bLimited) {
        fnEnters = [&](const std::string& csPath) {
            const bool bEnters = pSelection->EntersDirectory(relativeOf(csPath));
            project.leftOut.nFoldersLeftOut += bEnters ? 0 : 1;
            return bEnters;
        };
    }
    project.nListError = WalkSourceTree(
        project.csDirectory,
        [&](const std::string& csCurrent, const std::vector<DirectoryEntry>& entries) {
            for (const DirectoryEntry& entry : entries) {
                const std::optional<std::size_t> nPattern = FileSelection::PatternOf(entry.csName);
                if (!nPattern)
                    continue;
                std::string csPath = JoinPath(csCurrent, entry.csName);
                if (bLimited && !pSelection->KeepsFile(relativeOf(csPath))) {
                    ++project.leftOut.nFilesLeftOut;
                    continue;
                }
                fnTake(std::move(csPath), *nPattern);
            }
            if (fnAfterDirectory)
                fnAfterDirectory();
        },
        &project.unreadable, fnEnters);
}

void CollectProject(ProjectRun& project)
{
    // One walk for both patterns: listing the tree twice costs as much as the second pattern's files.
    FileList sources;
    project.files.clear();
    WalkProject(project, [&](std::string&& csPath, std::size_t nPattern) {
        (nPattern == 0 ? project.files : sources).push_back(std::move(csPath));
    });
    project.files.insert(
        project.files.end(), std::make_move_iterator(sources.begin()), std::make_move_iterator(sources.end()));
}

int CollectSourceFiles(int nProject, const std::string& csDir, const std::string& csExt, bool bReset)
{
    if (bReset)
        resetRun();
    FileList* const pSlot = slotOf(nProject);
    return pSlot != nullptr ? clampedCount(CollectMatchingPaths(csDir, csExt, *pSlot)) : 0;
}

int CollectProjectSourceFiles(int nProject, const std::string& csDir, bool bReset)
{
    if (bReset)
        resetRun();
    FileList* const pSlot = slotOf(nProject);
    if (pSlot == nullptr)
        return 0;
    ProjectRun project;
    project.csDirectory = csDir;
    CollectProject(project);
    pSlot->insert(pSlot->end(), std::make_move_iterator(project.files.begin()),
        std::make_move_iterator(project.files.end()));
    return clampedCount(project.files.size());
}
