#include "ParallelCount.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "CountFileLines.h"
#include "ReportArguments.h"

LineCounters CountFilesInParallel(
    const std::vector<const std::string*>& files, unsigned nThreads, const std::function<void(std::size_t)>& fnProgress)
{
    const std::size_t nWanted = std::clamp<std::size_t>(nThreads, 1, std::max<std::size_t>(files.size(), 1));
    std::vector<LineCounters> perThread(nWanted);
    std::atomic<std::size_t> nNext { 0 };
    std::atomic<std::size_t> nDone { 0 };
    auto work = [&](LineCounters& counters, bool bReports) {
        for (;;) {
            const std::size_t nFile = nNext.fetch_add(1, std::memory_order_relaxed);
            if (nFile >= files.size())
                return;
            // What is no regular file contributes nothing; that is all a run wants to know.
            (void)CountFile(*files[nFile], counters);
            const std::size_t nNowDone = nDone.fetch_add(1, std::memory_order_relaxed) + 1;
            if (bReports && fnProgress)
                fnProgress(nNowDone);
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t i = 1; i < nWanted; ++i) {
            try {
                workers.emplace_back(work, std::ref(perThread[i]), false);
            } catch (const std::system_error&) {
                break; // fewer threads only make it slower
            }
        }
        work(perThread[0], true);
    }
    LineCounters total;
    for (const LineCounters& counters : perThread)
        total += counters;
    if (fnProgress)
        fnProgress(files.size());
    return total;
}

unsigned DefaultThreadCount()
{
    if (const char* pszValue = std::getenv(THREADS_VARIABLE)) {
        unsigned nValue = 0;
        const char* const pszEnd = pszValue + std::strlen(pszValue);
        const auto [pEnd, ec] = std::from_chars(pszValue, pszEnd, nValue);
        if (ec == std::errc() && pEnd == pszEnd && nValue >= 1 && nValue <= 256)
            return nValue;
    }
    return std::max(1u, std::thread::hardware_concurrency());
}
