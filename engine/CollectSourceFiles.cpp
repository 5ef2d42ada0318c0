#include "CollectSourceFiles.h"

#include <limits>
#include <vector>

#include "DirectoryListing.h"
#include "LineCounters.h"
#include "SourceNameMatch.h"

std::size_t CollectMatchingPaths(const std::string& csDir, std::string_view csExt, FileList& list)
{
    const std::size_t nBefore = list.size();
    // An explicit stack instead of recursion: nesting depth is only bounded by the disk.
    std::vector<std::string> pending { csDir };
    std::vector<std::string> subdirectories;
    while (!pending.empty()) {
        const std::string csCurrent = std::move(pending.back());
        pending.pop_back();
        const std::vector<DirectoryEntry> entries = ListDirectory(csCurrent);
        subdirectories.clear();
        for (const DirectoryEntry& entry : entries) {
            if (MatchesSourcePattern(entry.csName, csExt))
                list.push_back(csCurrent + '/' + entry.csName);
            if (entry.bDirectory)
                subdirectories.push_back(csCurrent + '/' + entry.csName);
        }
        // Reverse onto the stack, so the first subdirectory is visited first.
        for (auto it = subdirectories.rbegin(); it != subdirectories.rend(); ++it)
            pending.push_back(std::move(*it));
    }
    return list.size() - nBefore;
}

int CollectSourceFiles(int nProject, const std::string& csDir, const std::string& csExt, bool bReset)
{
    if (bReset) {
        g_lineCounters.Reset();
        for (FileList& slot : ProjectFileLists)
            slot.clear();
    }
    if (nProject < 0 || nProject >= MAX_PROJECTS)
        return 0;
    const std::size_t nAdded = CollectMatchingPaths(csDir, csExt, ProjectFileLists[static_cast<std::size_t>(nProject)]);
    constexpr auto nMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return static_cast<int>(nAdded < nMax ? nAdded : nMax);
}
