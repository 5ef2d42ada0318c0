#include "BlobCounter.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

#include "CountFileLines.h"
#include "GitLibrary.h"

namespace {

// Each worker takes a run of neighbours at a time, so each reads along the pack.
constexpr std::size_t RUN = 32;

// Rebuilding a large blob from its deltas holds it several times over, so one
// is read at a time. Path order keeps a folder's large files together: a worker
// that meets one while another holds the turn sets it aside and reads on, and
// whoever holds the turn takes those too, so no worker waits while small blobs remain.
constexpr std::size_t LARGE_BLOB = 4 * 1024 * 1024;

} // namespace

BlobCounter::BlobCounter(std::string csGitDir, const std::string& csObjectsDir, CountingRules rules, unsigned nThreads)
    : m_csGitDir(std::move(csGitDir))
    , m_rules(rules)
    , m_packs(csObjectsDir)
{
    const bool bThreaded = (git_libgit2_features() & GIT_FEATURE_THREADS) != 0;
    const unsigned nWorkers = bThreaded ? nThreads : 1;
    for (unsigned i = 1; i < nWorkers; ++i) {
        try {
            m_workers.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break; // the threads there are still read every blob
        }
    }
}

BlobCounter::~BlobCounter()
{
    Stop();
}

void BlobCounter::Stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bAllAdded = true;
        m_bFailed = true;
    }
    m_added.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
}

void BlobCounter::Add(const std::vector<Blob>& blobs)
{
    if (blobs.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_blobs.insert(m_blobs.end(), blobs.begin(), blobs.end());
    }
    m_added.notify_all();
}

bool BlobCounter::Finish(std::string& csProblem)
{
    {
        const std::lock_guard lock(m_mutex);
        m_bAllAdded = true;
    }
    m_added.notify_all();
    Work();
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
    if (m_bFailed) {
        csProblem = m_csProblem;
        return false;
    }
    return true;
}

void BlobCounter::Fail(std::string&& csWhy)
{
    const std::lock_guard lock(m_mutex);
    if (!m_bFailed.exchange(true))
        m_csProblem = std::move(csWhy);
    m_added.notify_all();
}

bool BlobCounter::TakeRun(std::vector<Blob>& run)
{
    std::unique_lock lock(m_mutex);
    m_added.wait(lock, [this] { return m_bFailed || m_bAllAdded || m_nNext < m_blobs.size(); });
    if (m_bFailed || m_nNext == m_blobs.size())
        return false;
    const std::size_t nTaken = std::min(RUN, m_blobs.size() - m_nNext);
    run.assign(m_blobs.begin() + static_cast<std::ptrdiff_t>(m_nNext),
        m_blobs.begin() + static_cast<std::ptrdiff_t>(m_nNext + nTaken));
    m_nNext += nTaken;
    return true;
}

bool BlobCounter::TakeSetAside(Blob& blob)
{
    const std::lock_guard lock(m_mutex);
    if (m_bFailed || m_setAside.empty())
        return false;
    blob = m_setAside.back();
    m_setAside.pop_back();
    return true;
}

bool BlobCounter::CountBlob(git_odb* pOdb, PackObjectReader& reader,
    const std::optional<PackObjectReader::Located>& packed, const Blob& blob)
{
    if (packed) {
        const std::optional<std::string_view> content = reader.Read(*packed);
        if (content)
            CountText(*content, *blob.pCounts, m_rules);
        reader.GiveBackLargeBuffers();
        if (content)
            return true;
    }
    // Whatever the packs cannot give, libgit2 reads, or words why it cannot.
    git_odb_object* pObject = nullptr;
    if (git_odb_read(&pObject, pOdb, &blob.id) != 0) {
        Fail(std::string("file ") + git_oid_tostr_s(&blob.id) + " cannot be read (" + LastGitError() + ")");
        return false;
    }
    const GitPtr<git_odb_object, git_odb_object_free> object(pObject);
    CountText(std::string_view(static_cast<const char*>(git_odb_object_data(pObject)), git_odb_object_size(pObject)),
        *blob.pCounts, m_rules);
    return true;
}

void BlobCounter::Work()
{
    // libgit2 objects are not shared between threads: each worker opens the repository for itself.
    git_repository* pRepository = nullptr;
    if (git_repository_open_ext(&pRepository, m_csGitDir.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0) {
        Fail("the repository cannot be opened again (" + LastGitError() + ")");
        return;
    }
    const GitRepositoryPtr repository(pRepository);
    git_odb* pOdb = nullptr;
    if (git_repository_odb(&pOdb, pRepository) != 0) {
        Fail("the object database cannot be opened (" + LastGitError() + ")");
        return;
    }
    const GitOdbPtr odb(pOdb);
    PackObjectReader reader(m_packs);
    const auto countSetAside = [&] {
        for (Blob blob {}; TakeSetAside(blob);) {
            if (!CountBlob(pOdb, reader, reader.Locate(blob.id), blob))
                return false;
        }
        return true;
    };
    std::vector<Blob> run;
    while (TakeRun(run)) {
        for (const Blob& blob : run) {
            const std::optional<PackObjectReader::Located> packed = reader.Locate(blob.id);
            std::size_t nHeldBytes = 0;
            git_object_t type = GIT_OBJECT_INVALID;
            if (packed) {
                nHeldBytes = static_cast<std::size_t>(packed->nRebuildBytes);
            } else if (git_odb_read_header(&nHeldBytes, &type, pOdb, &blob.id) != 0) {
                Fail(std::string("file ") + git_oid_tostr_s(&blob.id) + " cannot be read (" + LastGitError() + ")");
                return;
            }
            if (nHeldBytes <= LARGE_BLOB) {
                if (!CountBlob(pOdb, reader, packed, blob))
                    return;
                continue;
            }
            const std::unique_lock largeLock(m_largeMutex, std::try_to_lock);
            if (!largeLock.owns_lock()) {
                const std::lock_guard lock(m_mutex);
                m_setAside.push_back(blob);
                continue;
            }
            if (!CountBlob(pOdb, reader, packed, blob) || !countSetAside())
                return;
        }
    }
    // What this worker set aside after the last turn ended is still to read.
    const std::lock_guard largeLock(m_largeMutex);
    (void)countSetAside();
}
