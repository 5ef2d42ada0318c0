#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <signal.h>

// A one-line progress bar redrawn in place on a terminal stream. Redraws at most
// ten times a second, so calling Update for every file costs next to nothing.
// The line fits the terminal's width, taken again when the window is resized; a
// dumb terminal (TERM=dumb) gets no escape codes, only carriage returns and blanks.
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
    void TakeWidth();

    std::FILE* m_pStream;
    std::size_t m_nTotal;
    std::chrono::steady_clock::time_point m_lastDraw {};
    bool m_bShown = false;
    bool m_bDumb = false;
    std::size_t m_nColumns = 80;
    std::size_t m_nShownLength = 0; // what a dumb terminal must blank out
    struct sigaction m_previousWinch {};
};
