#include "GitScopeFilter.h"

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <vector>

#include "GitLibrary.h"

namespace {

constexpr std::string_view NOT_IN_WORK_TREE = "not inside a git work tree; counted whole";

// The path with every link and "." or ".." resolved, or empty when it does not exist.
std::string realPathOf(const std::string& csPath)
{
    char* const pReal = ::realpath(csPath.c_str(), nullptr);
    if (pReal == nullptr)
        return {};
    std::string csReal(pReal);
    std::free(pReal);
    return csReal;
}

std::string_view lastNameOf(std::string_view csRelative)
{
    const std::size_t nSlash = csRelative.rfind('/');
    return nSlash == std::string_view::npos ? csRelative : csRelative.substr(nSlash + 1);
}

bool containsSorted(const std::vector<std::string>& sorted, std::string_view csPath)
{
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), csPath);
    return it != sorted.end() && *it == csPath;
}

// Answers as `git ls-files --cached --others --exclude-standard` lists files:
// what the index holds is kept wherever it lies; anything else is kept unless
// git's ignore rules cover it, and directories git would not list from (the
// repository's own, nested repositories, submodules) are not entered.
class GitScopeFilter final : public ScopeFilter
{
public:
    GitScopeFilter(GitRepositoryPtr repository, std::string csWorkTree, std::string csPrefix,
        std::vector<std::string> tracked, std::vector<std::string> gitlinks)
        : m_repository(std::move(repository))
        , m_csWorkTree(std::move(csWorkTree))
        , m_csPrefix(std::move(csPrefix))
        , m_tracked(std::move(tracked))
        , m_gitlinks(std::move(gitlinks))
    {
    }

    bool EntersDirectory(std::string_view csRelative) const override
    {
        if (lastNameOf(csRelative) == ".git" || containsSorted(m_gitlinks, csRelative))
            return false;
        if (HoldsTracked(csRelative))
            return true;
        // An untracked directory: git lists nothing from an ignored one nor from another repository.
        return !IsIgnored(csRelative, true) && !IsRepository(csRelative);
    }

    bool KeepsFile(std::string_view csRelative) const override
    {
        if (containsSorted(m_tracked, csRelative))
            return true;
        // Untracked: git lists files (and links) the rules leave alone, never a directory itself.
        struct stat st
        {
        };
        if (::lstat(FullPath(csRelative).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return false;
        return !IsIgnored(csRelative, false);
    }

private:
    // Whether a tracked path lies below the directory: the sorted index puts it right after "dir/".
    bool HoldsTracked(std::string_view csRelative) const
    {
        m_csScratch.assign(csRelative);
        m_csScratch += '/';
        const auto it = std::lower_bound(m_tracked.begin(), m_tracked.end(), m_csScratch);
        return it != m_tracked.end() && it->compare(0, m_csScratch.size(), m_csScratch) == 0;
    }

    bool IsIgnored(std::string_view csRelative, bool bDirectory) const
    {
        // Relative to the work tree; a trailing '/' spares libgit2 finding out what the path is.
        m_csScratch.assign(m_csPrefix);
        m_csScratch += csRelative;
        if (bDirectory)
            m_csScratch += '/';
        int nIgnored = 0;
        // A rule that cannot be read leaves the path counted: nothing silently disappears.
        return git_ignore_path_is_ignored(&nIgnored, m_repository.get(), m_csScratch.c_str()) == 0 && nIgnored != 0;
    }

    bool IsRepository(std::string_view csRelative) const
    {
        const std::string csPath = FullPath(csRelative);
        struct stat st
        {
        };
        if (::lstat((csPath + "/.git").c_str(), &st) != 0)
            return false;
        git_repository* pNested = nullptr;
        const bool bOpened
            = git_repository_open_ext(&pNested, csPath.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) == 0;
        git_repository_free(pNested);
        return bOpened;
    }

    std::string FullPath(std::string_view csRelative) const
    {
        std::string csPath = m_csWorkTree;
        csPath += m_csPrefix;
        csPath += csRelative;
        return csPath;
    }

    GitLibrary m_library; // first: set up before the repository, shut down after it
    GitRepositoryPtr m_repository;
    std::string m_csWorkTree; // ends with '/'
    std::string m_csPrefix; // the project's path in the work tree, with a trailing '/' unless empty
    std::vector<std::string> m_tracked; // index paths below the project, relative to it, sorted by bytes
    std::vector<std::string> m_gitlinks; // the submodules among them
    mutable std::string m_csScratch; // one walk asks from one thread
};

} // namespace

GitScope OpenGitScope(const std::string& csProjectDirectory)
{
    // A directory that cannot be resolved is the walk's to report; no second message for it.
    const std::string csProject = realPathOf(csProjectDirectory);
    if (csProject.empty())
        return {};
    const GitLibrary library;
    git_repository* pRepository = nullptr;
    const int nOpen = git_repository_open_ext(&pRepository, csProject.c_str(), 0, nullptr);
    GitRepositoryPtr repository(pRepository);
    if (nOpen == GIT_ENOTFOUND)
        return { nullptr, std::string(NOT_IN_WORK_TREE) };
    if (nOpen != 0)
        return { nullptr, LastGitError() + "; counted whole" };
    const char* const pWorkTree = git_repository_workdir(repository.get());
    std::string csWorkTree = pWorkTree != nullptr ? realPathOf(pWorkTree) : std::string();
    // A bare repository, or a directory inside .git: no work tree holds the project.
    const std::string csGitDir = realPathOf(git_repository_path(repository.get()));
    if (csWorkTree.empty() || git_repository_is_bare(repository.get())
        || (!csGitDir.empty() && (csProject + '/').compare(0, csGitDir.size() + 1, csGitDir + '/') == 0))
        return { nullptr, std::string(NOT_IN_WORK_TREE) };
    if (csWorkTree.back() != '/')
        csWorkTree += '/';
    std::string csPrefix;
    if (csProject + '/' != csWorkTree) {
        if (csProject.compare(0, csWorkTree.size(), csWorkTree) != 0)
            return { nullptr, std::string(NOT_IN_WORK_TREE) };
        csPrefix = csProject.substr(csWorkTree.size()) + '/';
    }

    // Read apart from the repository, which would keep it in memory while the walk runs.
    git_index* pIndex = nullptr;
    if (git_index_open(&pIndex, (std::string(git_repository_path(repository.get())) + "index").c_str()) != 0)
        return { nullptr, LastGitError() + "; counted whole" };
    const GitIndexPtr index(pIndex);
    std::vector<std::string> tracked;
    std::vector<std::string> gitlinks;
    const std::size_t nEntries = git_index_entrycount(index.get());
    tracked.reserve(nEntries);
    for (std::size_t i = 0; i < nEntries; ++i) {
        const git_index_entry* const pEntry = git_index_get_byindex(index.get(), i);
        const std::string_view csPath(pEntry->path);
        if (csPath.size() <= csPrefix.size() || csPath.compare(0, csPrefix.size(), csPrefix) != 0)
            continue;
        tracked.emplace_back(csPath.substr(csPrefix.size()));
        if (pEntry->mode == GIT_FILEMODE_COMMIT)
            gitlinks.push_back(tracked.back());
    }
    // The index is sorted already; sorting again costs little and makes no assumption about its order.
    std::sort(tracked.begin(), tracked.end());
    tracked.erase(std::unique(tracked.begin(), tracked.end()), tracked.end()); // conflicts repeat a path
    std::sort(gitlinks.begin(), gitlinks.end());
    return { std::make_shared<const GitScopeFilter>(std::move(repository), std::move(csWorkTree), std::move(csPrefix),
                 std::move(tracked), std::move(gitlinks)),
        {} };
}
