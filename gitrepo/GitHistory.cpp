#include "GitHistory.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>

#include "FileSelection.h"
#include "GitLibrary.h"
#include "HistorySampling.h"
#include "TreeTally.h"

namespace {

// The repository the projects lie in, and each project's folder within its work tree.
struct OpenedProjects
{
    GitRepositoryPtr repository;
    std::string csWorkTree;
    std::vector<std::string> projectPaths; // "" for the top of the work tree
    std::string csError;
};

// The first-parent line of HEAD, oldest commit first.
struct FirstParentLine
{
    std::vector<git_oid> commits;
    std::vector<std::int64_t> times;
    std::string csProblem;
};

std::string realPathOf(const std::string& csPath, std::string& csProblem)
{
    char* const pReal = ::realpath(csPath.c_str(), nullptr);
    if (pReal == nullptr) {
        csProblem = std::strerror(errno);
        return {};
    }
    std::string csReal(pReal);
    std::free(pReal);
    struct stat st
    {
    };
    if (::stat(csReal.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        csProblem = std::strerror(ENOTDIR);
    return csReal;
}

// csInner's path below csOuter ("" when equal), or none when it is not below it.
std::optional<std::string> pathBelow(const std::string& csInner, std::string csOuter)
{
    while (csOuter.size() > 1 && csOuter.back() == '/')
        csOuter.pop_back();
    if (csInner == csOuter)
        return std::string();
    const std::string csPrefix = csOuter == "/" ? csOuter : csOuter + '/';
    if (csInner.compare(0, csPrefix.size(), csPrefix) != 0)
        return std::nullopt;
    return csInner.substr(csPrefix.size());
}

// Opens one project's repository, searching upward from it, and finds the project within its work tree.
std::string openProject(
    const std::string& csDirectory, GitRepositoryPtr& repository, std::string& csWorkTree, std::string& csProjectPath)
{
    std::string csProblem;
    const std::string csReal = realPathOf(csDirectory, csProblem);
    if (!csProblem.empty())
        return csProblem;
    git_repository* pRepository = nullptr;
    const int nError = git_repository_open_ext(&pRepository, csReal.c_str(), 0, nullptr);
    if (nError == GIT_ENOTFOUND)
        return "not inside a git work tree";
    if (nError != 0)
        return "the repository cannot be opened (" + LastGitError() + ")";
    repository.reset(pRepository);
    const char* const pWorkTree = git_repository_workdir(pRepository);
    std::optional<std::string> csBelow;
    if (pWorkTree != nullptr) {
        std::string csIgnored;
        csWorkTree = realPathOf(pWorkTree, csIgnored);
        csBelow = pathBelow(csReal, csWorkTree);
    }
    // A folder of a bare repository, or inside .git, has no files of its own in any commit.
    if (!csBelow || *csBelow == ".git" || csBelow->compare(0, 5, ".git/") == 0)
        return "not inside a git work tree";
    csProjectPath = *csBelow;
    return {};
}

OpenedProjects openProjects(const std::vector<std::string>& directories)
{
    OpenedProjects opened;
    for (const std::string& csDirectory : directories) {
        GitRepositoryPtr repository;
        std::string csWorkTree;
        std::string csProjectPath;
        const std::string csProblem = openProject(csDirectory, repository, csWorkTree, csProjectPath);
        if (!csProblem.empty()) {
            opened.csError = csDirectory + ": " + csProblem;
            return opened;
        }
        if (!opened.repository) {
            opened.repository = std::move(repository);
            opened.csWorkTree = csWorkTree;
        } else if (csWorkTree != opened.csWorkTree) {
            opened.csError = csDirectory + ": not in the same git work tree as " + directories.front();
            return opened;
        }
        opened.projectPaths.push_back(std::move(csProjectPath));
    }
    return opened;
}

FirstParentLine walkFirstParents(git_repository* pRepository)
{
    FirstParentLine line;
    const int nUnborn = git_repository_head_unborn(pRepository);
    if (nUnborn == 1) {
        line.csProblem = "the repository has no commits yet";
        return line;
    }
    if (git_repository_is_shallow(pRepository) == 1) {
        line.csProblem = "the repository is a shallow clone and lacks its older history (git fetch --unshallow "
                         "fetches it)";
        return line;
    }
    git_oid id {};
    if (nUnborn < 0 || git_reference_name_to_id(&id, pRepository, "HEAD") != 0) {
        line.csProblem = "HEAD cannot be read (" + LastGitError() + ")";
        return line;
    }
    for (;;) {
        git_commit* pCommit = nullptr;
        if (git_commit_lookup(&pCommit, pRepository, &id) != 0) {
            line.csProblem = std::string("the repository is damaged: commit ") + git_oid_tostr_s(&id)
                + " cannot be read (" + LastGitError() + ")";
            return line;
        }
        const GitCommitPtr commit(pCommit);
        line.commits.push_back(id);
        line.times.push_back(static_cast<std::int64_t>(git_commit_time(pCommit)));
        if (git_commit_parentcount(pCommit) == 0)
            break;
        id = *git_commit_parent_id(pCommit, 0);
    }
    std::reverse(line.commits.begin(), line.commits.end());
    std::reverse(line.times.begin(), line.times.end());
    return line;
}

// Bounds what libgit2 maps of the packs at once: the process-wide default maps
// whole packs, which would count every byte of a large history as resident.
void boundPackMapping()
{
    constexpr std::size_t MAPPED_LIMIT = 8 * 1024 * 1024;
    constexpr std::size_t WINDOW_SIZE = 1024 * 1024;
    git_libgit2_opts(GIT_OPT_SET_MWINDOW_MAPPED_LIMIT, MAPPED_LIMIT);
    git_libgit2_opts(GIT_OPT_SET_MWINDOW_SIZE, WINDOW_SIZE);
    // git itself hashes objects again only when asked to check (fsck); zlib's
    // checksum still catches damaged data, and hashing every blob cost a third
    // of a large history's time.
    git_libgit2_opts(GIT_OPT_ENABLE_STRICT_HASH_VERIFICATION, 0);
    // Each tree is listed once per path it stands at: a cached tree is seldom met again.
    git_libgit2_opts(GIT_OPT_SET_CACHE_OBJECT_LIMIT, GIT_OBJECT_TREE, static_cast<std::size_t>(0));
}

} // namespace

HistoryResult CountHistory(const HistoryRequest& request)
{
    HistoryResult result;
    if (request.directories.empty())
        return result;
    const GitLibrary library;
    boundPackMapping();
    OpenedProjects opened = openProjects(request.directories);
    if (!opened.csError.empty()) {
        result.csError = std::move(opened.csError);
        return result;
    }
    git_repository* const pRepository = opened.repository.get();
    const std::string csFailed = request.directories.front() + ": ";
    FirstParentLine line = walkFirstParents(pRepository);
    if (!line.csProblem.empty()) {
        result.csError = csFailed + line.csProblem;
        return result;
    }

    const FileSelection selection(request.excludePatterns);
    TreeTally tally(pRepository, selection);
    // The blobs of the commits listed so far are counted while the next ones are listed.
    tally.StartCounting(request.rules, request.nThreads);
    std::string csProblem;
    std::vector<std::vector<std::size_t>> nodesOfPoints;
    for (const std::size_t nPicked : PickHistoryPoints(line.times, request.nPoints)) {
        const git_oid& id = line.commits[nPicked];
        git_commit* pCommit = nullptr;
        git_tree* pTree = nullptr;
        if (git_commit_lookup(&pCommit, pRepository, &id) != 0 || git_commit_tree(&pTree, pCommit) != 0) {
            git_commit_free(pCommit);
            result.csError = csFailed + "the repository is damaged: the tree of commit " + git_oid_tostr_s(&id)
                + " cannot be read (" + LastGitError() + ")";
            return result;
        }
        git_commit_free(pCommit);
        const GitTreePtr tree(pTree);
        std::vector<std::size_t>& nodes = nodesOfPoints.emplace_back();
        for (const std::string& csProjectPath : opened.projectPaths) {
            std::optional<std::size_t> nNode;
            if (!tally.AddProject(pTree, csProjectPath, nNode, csProblem)) {
                result.csError = csFailed + "the repository is damaged: " + csProblem;
                return result;
            }
            if (nNode)
                nodes.push_back(*nNode);
        }
        tally.HandOverBlobs();
        HistoryCount& point = result.points.emplace_back();
        point.csCommit = git_oid_tostr_s(&id);
        point.nTime = line.times[nPicked];
    }
    if (!tally.FinishCounting(csProblem)) {
        result.points.clear();
        result.csError = csFailed + "the repository is damaged: " + csProblem;
        return result;
    }
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        for (const std::size_t nNode : nodesOfPoints[i]) {
            const TreeTotals& totals = tally.TotalsOf(nNode);
            result.points[i].nFiles += totals.nFiles;
            result.points[i].counters += totals.counters;
        }
    }
    result.nBlobsRead = tally.BlobsGathered();
    return result;
}
