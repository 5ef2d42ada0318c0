#pragma once

#include <cstddef>

#include "LineCounters.h"

// Classifies the lines of one file, fed as blocks of any size.
//
// The bytes are seen as a 512-byte text-mode line reader sees them: every CR
// immediately followed by LF is dropped, then the stream is cut into pieces of at
// most 511 bytes, each ending after its LF; a piece's length stops at its first
// NUL. Each piece is one line. Every byte is looked at a few times at most and
// nothing is allocated.
class LineCountingStream
{
public:
    static constexpr std::size_t MAX_PIECE = 511;

    // Adds the next bytes of the file.
    void Feed(const char* pData, std::size_t nSize);
    // Ends the file: an unterminated last piece (or a trailing CR) becomes a line.
    void Finish();

    [[nodiscard]] const LineCounters& Counters() const { return m_counters; }

private:
    void FeedWithoutCrLf(const char* pData, std::size_t nSize);
    void ClassifyPiece(const char* pPiece, std::size_t nSize, bool bMayHoldNul);

    LineCounters m_counters;
    char m_acCarry[MAX_PIECE] {};
    std::size_t m_nCarry = 0;
    bool m_bPendingCr = false;
};
