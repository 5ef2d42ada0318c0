#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <git2.h>

#include "CountingRules.h"
#include "LineCounters.h"
#include "PackObjectReader.h"
#include "PackStore.h"

// Reads and counts blobs on worker threads while the caller is still finding
// them: the workers start at once, take what Add hands them in that order, and
// the caller's own thread joins them in Finish.
class BlobCounter
{
public:
    struct Blob
    {
        git_oid id;
        LineCounters* pCounts; // where its counts go: stays in place until Finish returns
    };

    // Starts nThreads - 1 workers, each with a repository of its own opened at
    // csGitDir; blobs in the packs below csObjectsDir are read without libgit2.
    BlobCounter(std::string csGitDir, const std::string& csObjectsDir, CountingRules rules, unsigned nThreads);
    // Stops the workers without counting the rest.
    ~BlobCounter();
    BlobCounter(const BlobCounter&) = delete;
    BlobCounter& operator=(const BlobCounter&) = delete;

    void Add(const std::vector<Blob>& blobs);

    // Counts what is left and waits for the workers. Returns false with
    // csProblem set when a blob cannot be read.
    [[nodiscard]] bool Finish(std::string& csProblem);

private:
    void Work();
    [[nodiscard]] bool TakeRun(std::vector<Blob>& run);
    [[nodiscard]] bool TakeSetAside(Blob& blob);
    [[nodiscard]] bool CountBlob(git_odb* pOdb, PackObjectReader& reader,
        const std::optional<PackObjectReader::Located>& packed, const Blob& blob);
    void Fail(std::string&& csWhy);
    void Stop();

    const std::string m_csGitDir;
    const CountingRules m_rules;
    const PackStore m_packs;
    std::mutex m_mutex; // guards everything below up to m_largeMutex
    std::condition_variable m_added;
    std::vector<Blob> m_blobs;
    std::size_t m_nNext = 0;
    bool m_bAllAdded = false;
    std::vector<Blob> m_setAside; // large blobs met while another worker held the turn
    std::string m_csProblem;
    std::atomic<bool> m_bFailed { false };
    std::mutex m_largeMutex; // the turn to read a large blob
    std::vector<std::thread> m_workers;
};
