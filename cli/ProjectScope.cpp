#include "ProjectScope.h"

#include <map>
#include <utility>

#include "GitScopeFilter.h"

std::shared_ptr<const FileSelection> SelectionFor(
    const ReportArguments& arguments, const std::string& csDirectory, std::string& csProblem)
{
    csProblem.clear();
    std::shared_ptr<const ScopeFilter> filter;
    if (arguments.bGitignore) {
        GitScope git = OpenGitScope(csDirectory);
        filter = std::move(git.filter);
        csProblem = std::move(git.csProblem);
    }
    // Unlimited, the walk asks nothing about paths: the run stays as it always was.
    if (filter == nullptr && arguments.excludePatterns.empty())
        return nullptr;
    return std::make_shared<const FileSelection>(arguments.excludePatterns, std::move(filter));
}

std::vector<std::string> SelectProjectFiles(std::vector<ProjectRun>& projects, const ReportArguments& arguments)
{
    std::vector<std::string> problems;
    // A directory named twice is opened once: its selection is shared and its problem told once.
    std::map<std::string, std::shared_ptr<const FileSelection>> selections;
    for (ProjectRun& project : projects) {
        auto it = selections.find(project.csDirectory);
        if (it == selections.end()) {
            std::string csProblem;
            it = selections.emplace(project.csDirectory, SelectionFor(arguments, project.csDirectory, csProblem)).first;
            if (!csProblem.empty())
                problems.push_back("pindrel-report: " + project.csDirectory + ": " + csProblem);
        }
        project.selection = it->second;
    }
    return problems;
}
