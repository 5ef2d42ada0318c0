#include "CollectSourceFiles.h"

#include <iterator>
#include <limits>

#include "LineCounters.h"
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
    const std::function<void(const std::string& csDir, const std::vector<DirectoryEntry>& entries)>& fnVisit)
{
    int nRootError = 0;
    // An explicit stack instead of recursion: nesting depth is only bounded by the disk.
    std::vector<std::string> pending { csRoot };
    std::vector<std::string> subdirectories;
    bool bRoot = true;
    while (!pending.empty()) {
        const std::string csCurrent = std::move(pending.back());
        pending.pop_back();
        const std::vector<DirectoryEntry> entries = ListDirectory(csCurrent, bRoot ? &nRootError : nullptr);
        bRoot = false;
        fnVisit(csCurrent, entries);
        subdirectories.clear();
        for (const DirectoryEntry& entry : entries) {
            if (entry.bDirectory)
                subdirectories.push_back(JoinPath(csCurrent, entry.csName));
        }
        // Reverse onto the stack, so the first subdirectory is visited first.
        for (auto it = subdirectories.rbegin(); it != subdirectories.rend(); ++it)
            pending.push_back(std::move(*it));
    }
    return nRootError;
}

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

void CollectProject(ProjectRun& project)
{
    // One walk for both patterns: listing the tree twice costs as much as the second pattern's files.
    FileList sources;
    project.files.clear();
    project.nListError =
        WalkSourceTree(project.csDirectory, [&](const std::string& csCurrent, const std::vector<DirectoryEntry>& entries) {
            for (const DirectoryEntry& entry : entries) {
                if (MatchesSourcePattern(entry.csName, PROJECT_PATTERNS[0]))
                    project.files.push_back(JoinPath(csCurrent, entry.csName));
                else if (MatchesSourcePattern(entry.csName, PROJECT_PATTERNS[1]))
                    sources.push_back(JoinPath(csCurrent, entry.csName));
            }
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
    ProjectRun project { csDir, {}, {}, 0 };
    CollectProject(project);
    pSlot->insert(pSlot->end(), std::make_move_iterator(project.files.begin()),
        std::make_move_iterator(project.files.end()));
    return clampedCount(project.files.size());
}
