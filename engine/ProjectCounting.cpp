#include "ProjectCounting.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "CollectSourceFiles.h"
#include "CountFileLines.h"

namespace {

// Threads write their own counters only; this keeps two threads' counters off one cache line.
constexpr std::size_t CACHE_LINE = 64;

// A file of at least two segments is shared out; below that, handing it over costs more than it saves.
constexpr std::uint64_t SEGMENT_SIZE = 4u << 20;

struct alignas(CACHE_LINE) PaddedCounters
{
    LineCounters counters;
};

struct WorkItem
{
    const std::string* pPath = nullptr;
    std::size_t nProject = 0;
};

// Work items appended by one thread and read by others while it appends: storage
// grows in chunks that never move, each twice the size of the one before.
class WorkList
{
public:
    // Appends an item; it becomes visible to readers with the next Publish.
    void Append(const WorkItem& item)
    {
        const auto [nChunk, nOffset] = locate(m_nAppended);
        if (!m_chunks[nChunk])
            m_chunks[nChunk] = std::make_unique<WorkItem[]>(FIRST_CHUNK << nChunk);
        m_chunks[nChunk][nOffset] = item;
        ++m_nAppended;
    }
    // Makes every appended item visible; with bLast, tells readers no more will come.
    void Publish(bool bLast)
    {
        m_nState.store(m_nAppended | (bLast ? DONE : 0), std::memory_order_release);
        m_nState.notify_all();
    }
    // Waits until item nIndex is published and returns it, or null when the list ended before it.
    [[nodiscard]] const WorkItem* WaitFor(std::size_t nIndex) const
    {
        for (;;) {
            const std::uint64_t nState = m_nState.load(std::memory_order_acquire);
            if (nIndex < (nState & ~DONE)) {
                const auto [nChunk, nOffset] = locate(nIndex);
                return &m_chunks[nChunk][nOffset];
            }
            if ((nState & DONE) != 0)
                return nullptr;
            m_nState.wait(nState, std::memory_order_acquire);
        }
    }
    [[nodiscard]] std::size_t Published() const
    {
        return static_cast<std::size_t>(m_nState.load(std::memory_order_acquire) & ~DONE);
    }

private:
    static constexpr std::size_t FIRST_CHUNK = 1024;
    static constexpr std::uint64_t DONE = std::uint64_t { 1 } << 63;

    static std::pair<std::size_t, std::size_t> locate(std::size_t nIndex)
    {
        const std::size_t nScaled = nIndex / FIRST_CHUNK + 1;
        const auto nChunk = static_cast<std::size_t>(std::bit_width(nScaled) - 1);
        return { nChunk, nIndex + FIRST_CHUNK - (FIRST_CHUNK << nChunk) };
    }

    std::array<std::unique_ptr<WorkItem[]>, 48> m_chunks;
    std::size_t m_nAppended = 0;
    alignas(CACHE_LINE) std::atomic<std::uint64_t> m_nState { 0 };
};

// A large file whose segments any thread may take.
struct SharedFile
{
    CountableFile countable;
    std::size_t nProject = 0;
    const std::string* pPath = nullptr;
    std::uint64_t nSegments = 0;
    std::atomic<std::uint64_t> nNextSegment { 0 };
};

// One counting run: the work list, the next item to take, and each thread's own counters.
class CountingRun
{
public:
    CountingRun(std::size_t nProjects, std::size_t nThreads, CountingRules rules)
        : m_tallies(nThreads)
        , m_rules(rules)
        // The syntax rules' lexer carries its state from one segment to the next: their files are counted whole.
        , m_bShareLargeFiles(nThreads > 1 && rules == CountingRules::Simple)
    {
        for (Tally& tally : m_tallies)
            tally.perProject.resize(nProjects);
    }

    // Appends an item for the counting threads; it becomes theirs with the next Publish.
    void Append(const WorkItem& item) { m_work.Append(item); }
    void Publish(bool bLast) { m_work.Publish(bLast); }
    [[nodiscard]] std::size_t Published() const { return m_work.Published(); }
    [[nodiscard]] std::size_t Taken() const { return m_nNext.load(std::memory_order_relaxed); }

    // Tells the run that a thread counts no more, so the others do not wait for it.
    void Leave()
    {
        m_nFinished.fetch_add(1, std::memory_order_acq_rel);
        signal();
    }

    // Ends the run for every thread: none takes more work or waits for the others. Called whenever the
    // caller's thread leaves the run, however it leaves, so that joining the workers cannot hang.
    void Stop()
    {
        m_bStopped.store(true, std::memory_order_release);
        signal();
    }

    // A worker's exception: kept for the caller, who rethrows it after the join.
    void Fail(std::exception_ptr pError)
    {
        {
            const std::lock_guard lock(m_sharedMutex);
            if (!m_pError)
                m_pError = std::move(pError);
        }
        Stop();
    }
    void RethrowFailure() const
    {
        if (m_pError)
            std::rethrow_exception(m_pError);
    }

    // Counts items until the list has ended and no shared file has a segment left.
    // fnAfterItem is called after each item this thread counted.
    void Count(std::size_t nThread, const std::function<void()>& fnAfterItem = {})
    {
        std::vector<PaddedCounters>& perProject = m_tallies[nThread].perProject;
        while (!stopped()) {
            helpWithSharedFiles(perProject);
            const WorkItem* pItem = m_work.WaitFor(m_nNext.fetch_add(1, std::memory_order_relaxed));
            if (pItem == nullptr)
                break;
            countItem(*pItem, perProject);
            if (fnAfterItem)
                fnAfterItem();
        }
        // A file still being shared out may need this thread until its last segment is taken.
        Leave();
        for (;;) {
            const std::uint32_t nSignal = m_nSignal.load(std::memory_order_acquire);
            helpWithSharedFiles(perProject);
            if (stopped() || (m_nFinished.load(std::memory_order_acquire) == m_tallies.size() && !hasSharedFiles()))
                break;
            m_nSignal.wait(nSignal, std::memory_order_acquire);
        }
    }

    // Sets each project's counters to the sum of every thread's and returns the total. Each file that
    // failed is named once, however many of its segments failed.
    LineCounters Sum(std::vector<ProjectRun>& projects) const
    {
        for (ProjectRun& project : projects)
            project.readFailures.clear();
        // Not a structured binding: clang 14, which builds the fuzz targets, cannot capture one.
        for (const auto& projectFailure : m_readFailures) {
            const FileReadFailure& failure = projectFailure.second;
            std::vector<FileReadFailure>& failures = projects[projectFailure.first].readFailures;
            if (std::none_of(failures.begin(), failures.end(),
                    [&failure](const FileReadFailure& f) { return f.csPath == failure.csPath; }))
                failures.push_back(failure);
        }
        for (ProjectRun& project : projects)
            std::sort(project.readFailures.begin(), project.readFailures.end(),
                [](const FileReadFailure& a, const FileReadFailure& b) { return a.csPath < b.csPath; });
        LineCounters total;
        for (std::size_t i = 0; i < projects.size(); ++i) {
            projects[i].counters = LineCounters {};
            for (const Tally& tally : m_tallies)
                projects[i].counters += tally.perProject[i].counters;
            total += projects[i].counters;
        }
        return total;
    }

private:
    struct alignas(CACHE_LINE) Tally
    {
        std::vector<PaddedCounters> perProject;
    };

    void countItem(const WorkItem& item, std::vector<PaddedCounters>& perProject)
    {
        CountableFile countable = OpenCountableFile(*item.pPath);
        if (countable.result != FileCountResult::Counted)
            return; // what is no regular file contributes nothing
        LineCounters& counters = perProject[item.nProject].counters;
        if (!m_bShareLargeFiles || countable.nSize < 2 * SEGMENT_SIZE) {
            if (const int nError = CountFileSegment(countable.file.Get(), countable.nSize, 0, 0, counters, m_rules))
                noteReadFailure(item.nProject, *item.pPath, nError);
            return;
        }
        auto pShared = std::make_shared<SharedFile>();
        pShared->nSegments = (countable.nSize + SEGMENT_SIZE - 1) / SEGMENT_SIZE;
        pShared->countable = std::move(countable);
        pShared->nProject = item.nProject;
        pShared->pPath = item.pPath;
        {
            const std::lock_guard lock(m_sharedMutex);
            m_sharedFiles.push_back(pShared);
            m_nSharedFiles.store(m_sharedFiles.size(), std::memory_order_release);
        }
        signal();
        countSegments(*pShared, perProject);
    }

    // Takes segments of the file until none is left; the last taker drops it from the list.
    void countSegments(SharedFile& shared, std::vector<PaddedCounters>& perProject)
    {
        LineCounters& counters = perProject[shared.nProject].counters;
        for (;;) {
            const std::uint64_t nSegment = shared.nNextSegment.fetch_add(1, std::memory_order_relaxed);
            if (nSegment >= shared.nSegments)
                break;
            if (nSegment + 1 == shared.nSegments)
                dropSharedFile(&shared);
            if (const int nError = CountFileSegment(
                    shared.countable.file.Get(), shared.countable.nSize, SEGMENT_SIZE, nSegment, counters, m_rules))
                noteReadFailure(shared.nProject, *shared.pPath, nError);
        }
    }

    // Failures are rare: one lock each costs nothing, and no thread keeps a list of its own.
    void noteReadFailure(std::size_t nProject, const std::string& csPath, int nError)
    {
        const std::lock_guard lock(m_sharedMutex);
        m_readFailures.push_back({ nProject, { csPath, nError } });
    }

    void helpWithSharedFiles(std::vector<PaddedCounters>& perProject)
    {
        while (hasSharedFiles()) {
            std::shared_ptr<SharedFile> pShared;
            {
                const std::lock_guard lock(m_sharedMutex);
                if (!m_sharedFiles.empty())
                    pShared = m_sharedFiles.front();
            }
            if (!pShared)
                return;
            countSegments(*pShared, perProject);
            dropSharedFile(pShared.get());
        }
    }

    void dropSharedFile(const SharedFile* pShared)
    {
        {
            const std::lock_guard lock(m_sharedMutex);
            std::erase_if(m_sharedFiles, [pShared](const std::shared_ptr<SharedFile>& p) { return p.get() == pShared; });
            m_nSharedFiles.store(m_sharedFiles.size(), std::memory_order_release);
        }
        signal();
    }

    [[nodiscard]] bool stopped() const { return m_bStopped.load(std::memory_order_acquire); }

    [[nodiscard]] bool hasSharedFiles() const { return m_nSharedFiles.load(std::memory_order_acquire) != 0; }

    void signal()
    {
        m_nSignal.fetch_add(1, std::memory_order_acq_rel);
        m_nSignal.notify_all();
    }

    std::vector<Tally> m_tallies;
    const CountingRules m_rules;
    const bool m_bShareLargeFiles;
    WorkList m_work;
    alignas(CACHE_LINE) std::atomic<std::size_t> m_nNext { 0 };
    // Written only when a large file is shared out or a thread runs out of items.
    alignas(CACHE_LINE) std::atomic<std::size_t> m_nSharedFiles { 0 };
    std::atomic<std::size_t> m_nFinished { 0 };
    std::atomic<std::uint32_t> m_nSignal { 0 };
    std::atomic<bool> m_bStopped { false };
    std::mutex m_sharedMutex;
    std::vector<std::shared_ptr<SharedFile>> m_sharedFiles;
    std::exception_ptr m_pError; // under m_sharedMutex
    std::vector<std::pair<std::size_t, FileReadFailure>> m_readFailures; // under m_sharedMutex
};

// The caller's thread holds one while the workers run: on every way out it ends the list and stops the
// run, and only then are the workers, declared before it, joined.
class StopOnExit
{
public:
    explicit StopOnExit(CountingRun& run)
        : m_run(run)
    {
    }
    ~StopOnExit()
    {
        m_run.Publish(true);
        m_run.Stop();
    }
    StopOnExit(const StopOnExit&) = delete;
    StopOnExit& operator=(const StopOnExit&) = delete;

private:
    CountingRun& m_run;
};

// Starts threads 1 to nThreads - 1 on run; thread 0 is the caller's. A thread
// that cannot be started only makes the run slower.
std::vector<std::jthread> startWorkers(CountingRun& run, std::size_t nThreads)
{
    std::vector<std::jthread> workers;
    for (std::size_t i = 1; i < nThreads; ++i) {
        try {
            // An exception must not end the program from a thread of its own: the caller gets it.
            workers.emplace_back([&run, i] {
                try {
                    run.Count(i);
                } catch (...) {
                    run.Fail(std::current_exception());
                }
            });
        } catch (const std::system_error&) {
            run.Leave();
        }
    }
    return workers;
}

std::function<void()> progressOf(const CountingRun& run, const CountProgress& fnProgress)
{
    if (!fnProgress)
        return {};
    return [&run, &fnProgress] {
        const std::size_t nKnown = run.Published();
        fnProgress(std::min(run.Taken(), nKnown), nKnown);
    };
}

} // namespace

LineCounters CountProjects(std::vector<ProjectRun>& projects, unsigned nThreads, const CountProgress& fnProgress,
    CountingRules rules)
{
    std::size_t nFiles = 0;
    for (const ProjectRun& project : projects)
        nFiles += project.files.size();
    const std::size_t nWanted = std::clamp<std::size_t>(nThreads, 1, std::max<std::size_t>(nFiles, 1));
    CountingRun run(projects.size(), nWanted, rules);
    for (std::size_t i = 0; i < projects.size(); ++i) {
        for (const std::string& csPath : projects[i].files)
            run.Append({ &csPath, i });
    }
    run.Publish(true);
    {
        const std::vector<std::jthread> workers = startWorkers(run, nWanted);
        const StopOnExit stop(run);
        run.Count(0, progressOf(run, fnProgress));
    }
    run.RethrowFailure();
    if (fnProgress)
        fnProgress(nFiles, nFiles);
    return run.Sum(projects);
}

LineCounters CollectAndCountProjects(std::vector<ProjectRun>& projects, unsigned nThreads,
    const CountProgress& fnProgress, CountingRules rules)
{
    const std::size_t nWanted = std::max<std::size_t>(nThreads, 1);
    CountingRun run(projects.size(), nWanted, rules);
    // Counting threads hold pointers to the paths while more are found: a deque never moves its elements.
    std::vector<std::array<std::deque<std::string>, PROJECT_PATTERNS.size()>> found(projects.size());
    {
        const std::vector<std::jthread> workers = startWorkers(run, nWanted);
        const StopOnExit stop(run);
        try {
            for (std::size_t i = 0; i < projects.size(); ++i) {
                WalkProject(
                    projects[i],
                    [&](std::string&& csPath, std::size_t nPattern) {
                        found[i][nPattern].push_back(std::move(csPath));
                        run.Append({ &found[i][nPattern].back(), i });
                    },
                    [&] {
                        run.Publish(false);
                        if (fnProgress)
                            fnProgress(std::min(run.Taken(), run.Published()), run.Published());
                    });
            }
        } catch (...) {
            run.Publish(true);
            run.Leave(); // lets the counting threads end before the exception leaves
            throw;
        }
        run.Publish(true);
        run.Count(0, progressOf(run, fnProgress));
    }
    run.RethrowFailure();
    std::size_t nFiles = 0;
    for (std::size_t i = 0; i < projects.size(); ++i) {
        FileList& files = projects[i].files;
        files.clear();
        for (std::deque<std::string>& paths : found[i])
            files.insert(files.end(), std::make_move_iterator(paths.begin()), std::make_move_iterator(paths.end()));
        nFiles += files.size();
    }
    if (fnProgress)
        fnProgress(nFiles, nFiles);
    return run.Sum(projects);
}
