#include "TreeTally.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

#include "CountFileLines.h"
#include "GitLibrary.h"

namespace {

// As many links as one path may pass through before open() gives up with ELOOP.
constexpr int MAX_LINK_HOPS = 40;

std::string joinRelative(const std::string& csDir, const char* pName)
{
    return csDir.empty() ? std::string(pName) : csDir + '/' + pName;
}

std::string problemWith(const git_oid& id, std::string_view csWhat)
{
    return std::string(csWhat) + ' ' + git_oid_tostr_s(&id) + " cannot be read (" + LastGitError() + ")";
}

void splitInto(std::string_view csPath, std::deque<std::string>& parts, bool bFront)
{
    std::vector<std::string> split;
    std::size_t nStart = 0;
    while (nStart <= csPath.size()) {
        const std::size_t nEnd = std::min(csPath.find('/', nStart), csPath.size());
        split.emplace_back(csPath.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    if (bFront)
        parts.insert(parts.begin(), split.begin(), split.end());
    else
        parts.insert(parts.end(), split.begin(), split.end());
}

// What a path in one commit's tree leads to when opened in a checkout of it.
struct Resolved
{
    git_object_t type = GIT_OBJECT_INVALID; // a blob or a tree; invalid when the path leads nowhere
    git_oid id {};
};

// Follows csPath from the top of pRoot as open() would in a checkout: "." and
// ".." by name, links by their targets (relative to the link's folder). A path
// that leaves the repository, meets an absolute link or loops leads nowhere, as
// does a submodule, which a checkout leaves empty. Returns false when an object
// cannot be read.
bool resolvePath(git_repository* pRepository, const git_tree* pRoot, std::string_view csPath, Resolved& resolved,
    std::string& csProblem)
{
    resolved = {};
    std::deque<std::string> pending;
    splitInto(csPath, pending, false);
    std::vector<GitTreePtr> folders; // the trees from below the top down to the current folder
    int nHops = 0;
    const auto current = [&] { return folders.empty() ? pRoot : folders.back().get(); };
    git_oid currentId = *git_tree_id(pRoot);
    while (!pending.empty()) {
        const std::string csPart = std::move(pending.front());
        pending.pop_front();
        if (csPart.empty() || csPart == ".")
            continue;
        if (csPart == "..") {
            if (folders.empty())
                return true; // out of the repository: a checkout holds no known file there
            folders.pop_back();
            currentId = *git_tree_id(current());
            continue;
        }
        const git_tree_entry* pEntry = git_tree_entry_byname(current(), csPart.c_str());
        if (pEntry == nullptr)
            return true;
        const git_oid& id = *git_tree_entry_id(pEntry);
        const git_filemode_t mode = git_tree_entry_filemode(pEntry);
        if (mode == GIT_FILEMODE_TREE) {
            git_tree* pTree = nullptr;
            if (git_tree_lookup(&pTree, pRepository, &id) != 0) {
                csProblem = problemWith(id, "folder");
                return false;
            }
            folders.emplace_back(pTree);
            currentId = id;
        } else if (mode == GIT_FILEMODE_LINK) {
            if (++nHops > MAX_LINK_HOPS)
                return true;
            git_blob* pBlob = nullptr;
            if (git_blob_lookup(&pBlob, pRepository, &id) != 0) {
                csProblem = problemWith(id, "link");
                return false;
            }
            const GitBlobPtr blob(pBlob);
            const std::string_view csTarget(static_cast<const char*>(git_blob_rawcontent(pBlob)),
                static_cast<std::size_t>(git_blob_rawsize(pBlob)));
            if (csTarget.empty() || csTarget.front() == '/')
                return true;
            splitInto(csTarget, pending, true);
        } else if (mode == GIT_FILEMODE_BLOB || mode == GIT_FILEMODE_BLOB_EXECUTABLE) {
            if (pending.empty())
                resolved = { GIT_OBJECT_BLOB, id };
            return true; // a file in the middle of a path: ENOTDIR
        } else {
            return true; // a submodule
        }
    }
    resolved = { GIT_OBJECT_TREE, currentId };
    return true;
}

} // namespace

std::size_t TreeTally::OidHash::operator()(const git_oid& oid) const
{
    std::size_t nHash = 0;
    std::memcpy(&nHash, oid.id, sizeof nHash); // ids are uniformly spread already
    return nHash;
}

TreeTally::TreeTally(git_repository* pRepository, const FileSelection& selection)
    : m_pRepository(pRepository)
    , m_selection(selection)
{
}

std::uint32_t TreeTally::BlobIndex(const git_oid& id, const std::string& csPath)
{
    const auto [it, bNew] = m_blobOf.try_emplace(id, static_cast<std::uint32_t>(m_blobIds.size()));
    if (bNew) {
        m_blobIds.push_back(id);
        m_blobPaths.push_back(csPath);
    }
    return it->second;
}

bool TreeTally::AddProject(
    const git_tree* pRoot, const std::string& csProjectPath, std::optional<std::size_t>& nNode, std::string& csProblem)
{
    nNode.reset();
    Resolved top;
    if (!resolvePath(m_pRepository, pRoot, csProjectPath, top, csProblem))
        return false;
    if (top.type != GIT_OBJECT_TREE)
        return true; // the folder is not in this commit (yet)

    struct Pending
    {
        std::size_t nNode;
        git_oid treeId;
        std::string csRelative;
    };
    const bool bLimited = m_selection.Limited();
    const std::size_t nFirstNew = m_nodes.size();
    std::vector<std::string> newKeys;
    std::vector<Pending> pending;
    // The node of a subtree: the one met before at the same path, or a new one to list.
    const auto nodeFor = [&](const git_oid& treeId, std::string&& csRelative) {
        std::string csKey(reinterpret_cast<const char*>(treeId.id), GIT_OID_RAWSZ);
        csKey += csRelative;
        if (const auto it = m_nodeOf.find(csKey); it != m_nodeOf.end())
            return static_cast<std::size_t>(it->second);
        m_nodes.emplace_back();
        newKeys.push_back(std::move(csKey));
        pending.push_back({ m_nodes.size() - 1, treeId, std::move(csRelative) });
        return m_nodes.size() - 1;
    };
    nNode = nodeFor(top.id, std::string());

    // An explicit stack: a tree's depth is only bounded by what someone committed.
    while (!pending.empty()) {
        const Pending next = std::move(pending.back());
        pending.pop_back();
        git_tree* pTree = nullptr;
        if (git_tree_lookup(&pTree, m_pRepository, &next.treeId) != 0) {
            csProblem = problemWith(next.treeId, "folder");
            return false;
        }
        const GitTreePtr tree(pTree);
        const std::size_t nEntries = git_tree_entrycount(pTree);
        for (std::size_t i = 0; i < nEntries; ++i) {
            const git_tree_entry* pEntry = git_tree_entry_byindex(pTree, i);
            const char* const pName = git_tree_entry_name(pEntry);
            const git_filemode_t mode = git_tree_entry_filemode(pEntry);
            const git_oid& id = *git_tree_entry_id(pEntry);
            if (FileSelection::PatternOf(pName)) {
                std::string csFile = joinRelative(next.csRelative, pName);
                if (!bLimited || m_selection.KeepsFile(csFile)) {
                    Resolved content;
                    if (mode == GIT_FILEMODE_BLOB || mode == GIT_FILEMODE_BLOB_EXECUTABLE) {
                        content = { GIT_OBJECT_BLOB, id };
                    } else if (mode == GIT_FILEMODE_LINK) {
                        const std::string csInRepository
                            = csProjectPath.empty() ? csFile : csProjectPath + '/' + csFile;
                        if (!resolvePath(m_pRepository, pRoot, csInRepository, content, csProblem))
                            return false;
                        m_nodes[next.nNode].bLinked = true;
                    }
                    if (content.type == GIT_OBJECT_BLOB)
                        m_nodes[next.nNode].blobs.push_back(BlobIndex(content.id, csFile));
                    else
                        ++m_nodes[next.nNode].nFilesWithoutContent;
                }
            }
            if (mode == GIT_FILEMODE_TREE) {
                std::string csFolder = joinRelative(next.csRelative, pName);
                if (!bLimited || m_selection.EntersDirectory(csFolder)) {
                    const std::size_t nChild = nodeFor(id, std::move(csFolder));
                    m_nodes[next.nNode].children.push_back(static_cast<std::uint32_t>(nChild));
                }
            }
        }
    }
    // Children made here come after their parents: a link anywhere below marks
    // every folder above it, and only subtrees without one are met again by id.
    for (std::size_t n = m_nodes.size(); n-- > nFirstNew;) {
        for (const std::uint32_t nChild : m_nodes[n].children)
            m_nodes[n].bLinked = m_nodes[n].bLinked || m_nodes[nChild].bLinked;
        if (!m_nodes[n].bLinked)
            m_nodeOf.emplace(std::move(newKeys[n - nFirstNew]), static_cast<std::uint32_t>(n));
    }
    return true;
}

bool TreeTally::CountBlobs(const std::string& csGitDir, CountingRules rules, unsigned nThreads, std::string& csProblem)
{
    // Read in the order of the paths they were first met at: packs store the
    // versions of nearby paths together and as deltas of each other, and reading
    // them in that order finds a delta's base still in libgit2's cache.
    const std::size_t nFirst = m_blobCounts.size();
    std::vector<std::uint32_t> order(m_blobIds.size() - nFirst);
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(nFirst + i);
    std::sort(order.begin(), order.end(),
        [&](std::uint32_t a, std::uint32_t b) { return m_blobPaths[a - nFirst] < m_blobPaths[b - nFirst]; });
    std::vector<std::string>().swap(m_blobPaths);
    m_blobCounts.resize(m_blobIds.size());
    // Each worker takes a run of neighbours at a time, so each reads along the pack.
    constexpr std::size_t RUN = 32;
    std::atomic<std::size_t> nNext { 0 };
    std::atomic<bool> bFailed { false };
    std::mutex problemMutex;
    // Rebuilding a large blob from its deltas holds it several times over, so
    // one is read at a time. Path order keeps a folder's large files together: a
    // worker that meets one while another worker holds the turn sets it aside
    // and reads on, and whoever holds the turn takes those too, so no worker
    // waits while small blobs remain.
    constexpr std::size_t LARGE_BLOB = 4 * 1024 * 1024;
    std::mutex largeMutex;
    std::mutex setAsideMutex;
    std::vector<std::uint32_t> setAside;
    const auto takeSetAside = [&](std::uint32_t& n) {
        const std::lock_guard lock(setAsideMutex);
        if (setAside.empty())
            return false;
        n = setAside.back();
        setAside.pop_back();
        return true;
    };
    const auto fail = [&](std::string&& csWhy) {
        const std::lock_guard lock(problemMutex);
        if (!bFailed.exchange(true))
            csProblem = std::move(csWhy);
    };
    const auto countBlob = [&](git_odb* pOdb, std::uint32_t n) {
        git_odb_object* pObject = nullptr;
        if (git_odb_read(&pObject, pOdb, &m_blobIds[n]) != 0) {
            fail(problemWith(m_blobIds[n], "file"));
            return false;
        }
        const GitPtr<git_odb_object, git_odb_object_free> object(pObject);
        CountText(
            std::string_view(static_cast<const char*>(git_odb_object_data(pObject)), git_odb_object_size(pObject)),
            m_blobCounts[n], rules);
        return true;
    };
    // Reads the blobs set aside; the caller holds the turn for large blobs.
    const auto countSetAside = [&](git_odb* pOdb) {
        for (std::uint32_t n = 0; !bFailed && takeSetAside(n);) {
            if (!countBlob(pOdb, n))
                return false;
        }
        return true;
    };
    // libgit2 objects are not shared between threads: each worker opens the repository for itself.
    const auto work = [&] {
        git_repository* pRepository = nullptr;
        if (git_repository_open_ext(&pRepository, csGitDir.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0) {
            fail("the repository cannot be opened again (" + LastGitError() + ")");
            return;
        }
        const GitRepositoryPtr repository(pRepository);
        git_odb* pOdb = nullptr;
        if (git_repository_odb(&pOdb, pRepository) != 0) {
            fail("the object database cannot be opened (" + LastGitError() + ")");
            return;
        }
        const GitOdbPtr odb(pOdb);
        for (std::size_t nRun = nNext.fetch_add(RUN); nRun < order.size() && !bFailed; nRun = nNext.fetch_add(RUN)) {
            for (std::size_t i = nRun; i < std::min(nRun + RUN, order.size()); ++i) {
                const std::uint32_t n = order[i];
                std::size_t nSize = 0;
                git_object_t type = GIT_OBJECT_INVALID;
                if (git_odb_read_header(&nSize, &type, pOdb, &m_blobIds[n]) != 0) {
                    fail(problemWith(m_blobIds[n], "file"));
                    return;
                }
                if (nSize <= LARGE_BLOB) {
                    if (!countBlob(pOdb, n))
                        return;
                    continue;
                }
                const std::unique_lock largeLock(largeMutex, std::try_to_lock);
                if (!largeLock.owns_lock()) {
                    const std::lock_guard lock(setAsideMutex);
                    setAside.push_back(n);
                    continue;
                }
                if (!countBlob(pOdb, n) || !countSetAside(pOdb))
                    return;
            }
        }
        // What this worker set aside after the last turn ended is still to read.
        const std::lock_guard largeLock(largeMutex);
        countSetAside(pOdb);
    };
    const bool bThreaded = (git_libgit2_features() & GIT_FEATURE_THREADS) != 0;
    const std::size_t nWorkers = std::max<std::size_t>(1, bThreaded ? nThreads : 1);
    std::vector<std::thread> workers;
    for (std::size_t i = 1; i < nWorkers; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // the threads there are still read every blob
        }
    }
    work();
    for (std::thread& worker : workers)
        worker.join();
    return !bFailed;
}

void TreeTally::ComputeTotals(std::size_t nNode)
{
    // Children before parents, without recursion: trees may be as deep as anyone made them.
    std::vector<std::size_t> stack { nNode };
    while (!stack.empty()) {
        Node& node = m_nodes[stack.back()];
        if (node.totals) {
            stack.pop_back();
            continue;
        }
        bool bChildrenDone = true;
        for (const std::uint32_t nChild : node.children) {
            if (!m_nodes[nChild].totals) {
                stack.push_back(nChild);
                bChildrenDone = false;
            }
        }
        if (!bChildrenDone)
            continue;
        TreeTotals totals;
        totals.nFiles = node.blobs.size() + node.nFilesWithoutContent;
        for (const std::uint32_t nBlob : node.blobs)
            totals.counters += m_blobCounts[nBlob];
        for (const std::uint32_t nChild : node.children) {
            totals.nFiles += m_nodes[nChild].totals->nFiles;
            totals.counters += m_nodes[nChild].totals->counters;
        }
        node.totals = totals;
        stack.pop_back();
    }
}

const TreeTotals& TreeTally::TotalsOf(std::size_t nNode)
{
    ComputeTotals(nNode);
    return *m_nodes[nNode].totals;
}
