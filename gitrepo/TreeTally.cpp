#include "TreeTally.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string_view>

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

void TreeTally::StartCounting(CountingRules rules, unsigned nThreads)
{
    // A linked worktree keeps its objects in the repository it was made from.
    m_counter = std::make_unique<BlobCounter>(git_repository_path(m_pRepository),
        std::string(git_repository_commondir(m_pRepository)) + "objects", rules, nThreads);
}

void TreeTally::HandOverBlobs()
{
    // In the order of the paths they were first met at: packs store the
    // versions of nearby paths together and as deltas of each other, and reading
    // them in that order finds a delta's base still in the reader's cache.
    const std::size_t nFirst = m_nHandedOver;
    std::vector<std::uint32_t> order(m_blobIds.size() - nFirst);
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(nFirst + i);
    std::sort(order.begin(), order.end(),
        [&](std::uint32_t a, std::uint32_t b) { return m_blobPaths[a - nFirst] < m_blobPaths[b - nFirst]; });
    m_blobPaths.clear();
    // A deque's elements stay in place as it grows: the workers write into them meanwhile.
    m_blobCounts.resize(m_blobIds.size());
    std::vector<BlobCounter::Blob> blobs;
    blobs.reserve(order.size());
    for (const std::uint32_t n : order)
        blobs.push_back({ m_blobIds[n], &m_blobCounts[n] });
    m_counter->Add(blobs);
    m_nHandedOver = m_blobIds.size();
}

bool TreeTally::FinishCounting(std::string& csProblem)
{
    HandOverBlobs();
    const bool bCounted = m_counter->Finish(csProblem);
    m_counter.reset();
    return bCounted;
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
