#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <git2.h>

#include "BlobCounter.h"
#include "CountingRules.h"
#include "FileSelection.h"
#include "LineCounters.h"

// What a project's files in one tree add up to.
struct TreeTotals
{
    std::size_t nFiles = 0;
    LineCounters counters;
};

// The files of many trees of one repository, gathered as a normal run would walk
// a checkout of each: every subtree is listed once per (tree id, path below the
// project) and every distinct blob is read and counted once, however many
// commits and paths hold it.
//
// A checkout's files are matched as follows. A symbolic link the name rule takes
// counts as a file holding what its target holds when the link resolves, inside
// the same commit's tree, to a file; one that leads to a folder, to nothing, in a
// loop or out of the repository counts as a file that adds no line. A submodule
// (gitlink) is the empty folder a checkout leaves; a folder whose name the rule
// takes also counts as a file that adds no line, and is entered as well. Links to
// folders are not entered.
class TreeTally
{
public:
    TreeTally(git_repository* pRepository, const FileSelection& selection);

    // Gathers the files below csProjectPath (the project's folder within the work
    // tree, "" for its top) in the tree pRoot, and returns the node to total, or
    // none when that folder is not in the tree. Returns false with csProblem set
    // when an object cannot be read.
    [[nodiscard]] bool AddProject(const git_tree* pRoot, const std::string& csProjectPath,
        std::optional<std::size_t>& nNode, std::string& csProblem);

    // Starts reading and counting blobs on nThreads threads, each with a
    // repository of its own: nThreads - 1 of them at once, the caller's in FinishCounting.
    void StartCounting(CountingRules rules, unsigned nThreads);
    // Hands the blobs gathered since the last call to the counting threads.
    void HandOverBlobs();
    // Counts the rest and waits for every blob's counts. Returns false with
    // csProblem set when a blob cannot be read.
    [[nodiscard]] bool FinishCounting(std::string& csProblem);

    // The totals below a node AddProject returned, once FinishCounting has run.
    [[nodiscard]] const TreeTotals& TotalsOf(std::size_t nNode);

    [[nodiscard]] std::size_t BlobsGathered() const { return m_blobIds.size(); }

private:
    struct OidHash
    {
        std::size_t operator()(const git_oid& oid) const;
    };
    struct OidEqual
    {
        bool operator()(const git_oid& a, const git_oid& b) const { return git_oid_equal(&a, &b) != 0; }
    };
    struct Node
    {
        std::vector<std::uint32_t> blobs; // one per file with content, an index in m_blobIds
        std::size_t nFilesWithoutContent = 0; // folders, submodules and links that lead to no file
        std::vector<std::uint32_t> children; // subtrees entered
        bool bLinked = false; // holds a link below it: its totals depend on the rest of the tree
        std::optional<TreeTotals> totals;
    };

    std::uint32_t BlobIndex(const git_oid& id, const std::string& csPath);
    void ComputeTotals(std::size_t nNode);

    git_repository* m_pRepository;
    const FileSelection& m_selection;
    std::vector<Node> m_nodes;
    std::unordered_map<std::string, std::uint32_t> m_nodeOf; // raw tree id + path below the project
    std::vector<git_oid> m_blobIds;
    std::vector<std::string> m_blobPaths; // where each blob not yet handed over was first met
    std::size_t m_nHandedOver = 0;
    std::unordered_map<git_oid, std::uint32_t, OidHash, OidEqual> m_blobOf;
    std::deque<LineCounters> m_blobCounts;
    std::unique_ptr<BlobCounter> m_counter;
};
