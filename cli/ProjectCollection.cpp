#include "ProjectCollection.h"

#include <algorithm>
#include <cstring>

std::vector<ProjectRun> ProjectsOf(const std::vector<std::string>& directories)
{
    const std::size_t nProjects = std::min(directories.size(), static_cast<std::size_t>(MAX_PROJECTS));
    std::vector<ProjectRun> projects(nProjects);
    for (std::size_t i = 0; i < nProjects; ++i)
        projects[i].csDirectory = directories[i];
    return projects;
}

std::vector<std::string> ListErrorMessages(const std::vector<ProjectRun>& projects)
{
    std::vector<std::string> messages;
    std::vector<std::string> named;
    for (const ProjectRun& project : projects) {
        if (project.nListError == 0 || std::find(named.begin(), named.end(), project.csDirectory) != named.end())
            continue;
        named.push_back(project.csDirectory);
        messages.push_back("pindrel-report: " + project.csDirectory + ": " + std::strerror(project.nListError));
    }
    for (const ProjectRun& project : projects) {
        for (const FileReadFailure& failure : project.readFailures)
            messages.push_back("pindrel-report: " + failure.csPath + ": " + std::strerror(failure.nErrno));
    }
    return messages;
}

UnreadableFolders TotalUnreadable(const std::vector<ProjectRun>& projects)
{
    UnreadableFolders total;
    std::vector<std::string> taken;
    for (const ProjectRun& project : projects) {
        if (project.unreadable.nCount == 0 || std::find(taken.begin(), taken.end(), project.csDirectory) != taken.end())
            continue;
        taken.push_back(project.csDirectory);
        if (total.nCount == 0) {
            total.csFirst = project.unreadable.csFirst;
            total.nFirstError = project.unreadable.nFirstError;
        }
        total.nCount += project.unreadable.nCount;
    }
    return total;
}

ScopeCounts TotalLeftOut(const std::vector<ProjectRun>& projects)
{
    ScopeCounts total;
    std::vector<std::string> taken;
    for (const ProjectRun& project : projects) {
        if (project.leftOut == ScopeCounts {}
            || std::find(taken.begin(), taken.end(), project.csDirectory) != taken.end())
            continue;
        taken.push_back(project.csDirectory);
        total += project.leftOut;
    }
    return total;
}

std::string UnreadableFoldersMessage(const UnreadableFolders& unreadable)
{
    if (unreadable.nCount == 0)
        return {};
    return "pindrel-report: " + std::to_string(unreadable.nCount) + (unreadable.nCount == 1 ? " folder" : " folders")
        + " could not be read (not counted); the first: " + unreadable.csFirst + ": "
        + std::strerror(unreadable.nFirstError);
}
