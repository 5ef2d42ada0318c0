#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

// A one-line progress bar redrawn in place on a terminal stream. Redraws at most
// ten times a second, so calling Update for every file costs next to nothing.
class ProgressBar
{
public:
    ProgressBar(std::FILE* pStream, std::size_t nTotal);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Shows nDone of the total.
    void Update(std::size_t nDone);
    // Changes the total, which grows while directories are still being listed.
    void SetTotal(std::size_t nTotal) { m_nTotal = nTotal; }
    // Wipes the bar, leaving the line as it was before.
    void Clear();

private:
    void Draw(std::size_t nDone);

    std::FILE* m_pStream;
    std::size_t m_nTotal;
    std::chrono::steady_clock::time_point m_lastDraw {};
    bool m_bShown = false;
};
