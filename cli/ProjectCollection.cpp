#include "ProjectCollection.h"

#include "CollectSourceFiles.h"
#include "ProjectFileLists.h"

std::vector<CollectedProject> CollectProjects(const std::vector<std::string>& directories)
{
    std::vector<CollectedProject> projects;
    const std::size_t nProjects = std::min(directories.size(), static_cast<std::size_t>(MAX_PROJECTS));
    for (std::size_t i = 0; i < nProjects; ++i) {
        const int nSlot = static_cast<int>(i);
        const int nHeaders = CollectSourceFiles(nSlot, directories[i], "h*", nSlot == 0);
        const int nSources = CollectSourceFiles(nSlot, directories[i], "c*", false);
        projects.push_back({ directories[i], static_cast<std::size_t>(nHeaders) + static_cast<std::size_t>(nSources) });
    }
    return projects;
}

std::vector<const std::string*> CollectedFiles(std::size_t nProjects)
{
    std::vector<const std::string*> files;
    for (std::size_t i = 0; i < nProjects && i < ProjectFileLists.size(); ++i) {
        for (const std::string& csPath : ProjectFileLists[i])
            files.push_back(&csPath);
    }
    return files;
}
