#pragma once

#include <cstddef>
#include <cstdint>

#include "ChunkMaskPath.h"
#include "LineCounters.h"

// Where a 64-byte chunk holds the bytes the reader looks for, one bit per byte.
struct ChunkMasks
{
    std::uint64_t nLf;
    std::uint64_t nSlash;
    std::uint64_t nBlank;   // space or tab
    std::uint64_t nSpecial; // CR or NUL: the chunk takes the byte-wise path
};

// Classifies the lines of one file, fed as blocks of any size.
//
// The bytes are seen as a 512-byte text-mode line reader sees them: every CR
// immediately followed by LF is dropped, then the stream is cut into pieces of at
// most 511 bytes, each ending after its LF; a piece's length stops at its first
// NUL. Each piece is one line. Each byte is looked at once, while the piece it
// belongs to is being found, and nothing is allocated.
class LineCountingStream
{
public:
    static constexpr std::size_t MAX_PIECE = 511;

    explicit LineCountingStream(ChunkMaskPath path = ChunkMaskPath::Fastest);

    // Adds the next bytes of the file.
    void Feed(const char* pData, std::size_t nSize);
    // Ends the file: an unterminated last piece (or a trailing CR) becomes a line.
    void Finish();

    [[nodiscard]] const LineCounters& Counters() const { return m_counters; }

private:
    static constexpr std::size_t NONE = static_cast<std::size_t>(-1);

    template <ChunkMasks (*MASKS)(const char*)> void FeedChunks(const char* pData, std::size_t nSize);
    template <ChunkMasks (*MASKS)(const char*)> bool FeedClearChunk(const char* pChunk);
    void FeedByte(char c);
    void TakeByte(char c);
    void EndPiece(std::size_t nLen);
    void Classify(std::size_t nLen, std::size_t nLead, std::size_t nComment);

    LineCounters m_counters;
    ChunkMaskPath m_path;
    // The piece read so far: its bytes, leading blanks, first "//" and first NUL.
    std::size_t m_nPiece = 0;
    std::size_t m_nLead = 0;
    std::size_t m_nComment = NONE;
    std::size_t m_nNul = NONE;
    bool m_bInLead = true;
    bool m_bSlashLast = false; // the piece's last byte before any NUL is '/'
    bool m_bPendingCr = false; // a CR whose fate depends on the next byte
};
