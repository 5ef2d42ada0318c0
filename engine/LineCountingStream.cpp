#include "LineCountingStream.h"

#include <bit>

#include "AsciiText.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

constexpr std::size_t CHUNK = 64;

// Runs on any processor; the SSE2 and AVX2 paths find the same bytes faster.
ChunkMasks masksOfPlain(const char* p)
{
    ChunkMasks m {};
    for (std::size_t i = 0; i < CHUNK; ++i) {
        const std::uint64_t nBit = std::uint64_t { 1 } << i;
        m.nLf |= p[i] == '\n' ? nBit : 0;
        m.nSlash |= p[i] == '/' ? nBit : 0;
        m.nBlank |= IsBlank(p[i]) ? nBit : 0;
        m.nSpecial |= p[i] == '\r' || p[i] == '\0' ? nBit : 0;
    }
    return m;
}

#if defined(__SSE2__)
std::uint64_t bitsOf(__m128i a, __m128i b, __m128i c, __m128i d)
{
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(a)))
        | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(b))) << 16
        | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(c))) << 32
        | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(d))) << 48;
}

std::uint64_t equalBits(const __m128i (&v)[4], __m128i k)
{
    return bitsOf(_mm_cmpeq_epi8(v[0], k), _mm_cmpeq_epi8(v[1], k), _mm_cmpeq_epi8(v[2], k), _mm_cmpeq_epi8(v[3], k));
}

std::uint64_t eitherBits(const __m128i (&v)[4], __m128i k1, __m128i k2)
{
    return bitsOf(_mm_or_si128(_mm_cmpeq_epi8(v[0], k1), _mm_cmpeq_epi8(v[0], k2)),
        _mm_or_si128(_mm_cmpeq_epi8(v[1], k1), _mm_cmpeq_epi8(v[1], k2)),
        _mm_or_si128(_mm_cmpeq_epi8(v[2], k1), _mm_cmpeq_epi8(v[2], k2)),
        _mm_or_si128(_mm_cmpeq_epi8(v[3], k1), _mm_cmpeq_epi8(v[3], k2)));
}

ChunkMasks masksOfSse2(const char* p)
{
    const __m128i v[4] = { _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)) };
    return { equalBits(v, _mm_set1_epi8('\n')), equalBits(v, _mm_set1_epi8('/')),
        eitherBits(v, _mm_set1_epi8(' '), _mm_set1_epi8('\t')), eitherBits(v, _mm_set1_epi8('\r'), _mm_setzero_si128()) };
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
// Half the instructions of the SSE2 masks where the processor has AVX2.
#define PINDREL_HAVE_AVX2 1
__attribute__((target("avx2"))) std::uint64_t equalBits256(__m256i a, __m256i b, __m256i k)
{
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, k))))
        | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, k)))) << 32;
}

__attribute__((target("avx2"))) std::uint64_t eitherBits256(__m256i a, __m256i b, __m256i k1, __m256i k2)
{
    const __m256i x = _mm256_or_si256(_mm256_cmpeq_epi8(a, k1), _mm256_cmpeq_epi8(a, k2));
    const __m256i y = _mm256_or_si256(_mm256_cmpeq_epi8(b, k1), _mm256_cmpeq_epi8(b, k2));
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(x)))
        | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(y))) << 32;
}

__attribute__((target("avx2"))) ChunkMasks masksOfAvx2(const char* p)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    return { equalBits256(a, b, _mm256_set1_epi8('\n')), equalBits256(a, b, _mm256_set1_epi8('/')),
        eitherBits256(a, b, _mm256_set1_epi8(' '), _mm256_set1_epi8('\t')),
        eitherBits256(a, b, _mm256_set1_epi8('\r'), _mm256_setzero_si256()) };
}
#endif

// The low n bits, n from 1 to 64.
std::uint64_t lowBits(std::size_t n) { return n >= 64 ? ~std::uint64_t { 0 } : (std::uint64_t { 1 } << n) - 1; }

} // namespace

[[gnu::always_inline]] inline void LineCountingStream::Classify(std::size_t nLen, std::size_t nLead, std::size_t nComment)
{
    const auto len = static_cast<std::int64_t>(nLen);
    ++m_counters.nTotalLines;
    m_counters.nTotalChars += len;
    // The blank test assumes the last character is the line feed: blanks plus any
    // one character make an empty line.
    if (nLen <= 1 || nLead == nLen - 1) {
        ++m_counters.nEmptyLines;
    } else if (nComment != NONE) {
        ++m_counters.nCommentLines;
        if (nComment != nLead) { // more than blanks before the comment
            ++m_counters.nCodeLines;
            m_counters.nCodeChars += static_cast<std::int64_t>(nComment);
        }
    } else {
        ++m_counters.nCodeOnlyLines;
        ++m_counters.nCodeLines;
        m_counters.nCodeChars += len;
    }
}

LineCountingStream::LineCountingStream(ChunkMaskPath path)
    : m_path(path == ChunkMaskPath::Fastest ? FastestChunkMaskPath() : path)
{
}

void LineCountingStream::Feed(const char* pData, std::size_t nSize)
{
    switch (m_path) {
#if defined(PINDREL_HAVE_AVX2)
    case ChunkMaskPath::Avx2:
        FeedChunks<masksOfAvx2>(pData, nSize);
        return;
#endif
#if defined(__SSE2__)
    case ChunkMaskPath::Sse2:
        FeedChunks<masksOfSse2>(pData, nSize);
        return;
#endif
    default:
        FeedChunks<masksOfPlain>(pData, nSize);
        return;
    }
}

template <ChunkMasks (*MASKS)(const char*)> void LineCountingStream::FeedChunks(const char* pData, std::size_t nSize)
{
    const char* p = pData;
    const char* const pEnd = pData + nSize;
    while (static_cast<std::size_t>(pEnd - p) >= CHUNK) {
        if (!FeedClearChunk<MASKS>(p)) {
            for (std::size_t i = 0; i < CHUNK; ++i)
                FeedByte(p[i]);
        }
        p += CHUNK;
    }
    while (p < pEnd)
        FeedByte(*p++);
}

void LineCountingStream::Finish()
{
    if (m_bPendingCr) {
        m_bPendingCr = false;
        TakeByte('\r');
    }
    if (m_nPiece > 0)
        EndPiece(m_nNul != NONE ? m_nNul : m_nPiece);
}

// The usual chunk: no CR, no NUL, and no piece can reach 511 bytes inside it.
// Then every piece in it ends at an LF or runs on past it, and the masks say
// where each piece's blanks end and its first "//" stands.
template <ChunkMasks (*MASKS)(const char*)> bool LineCountingStream::FeedClearChunk(const char* pChunk)
{
    if (m_bPendingCr || m_nNul != NONE || m_nPiece + CHUNK >= MAX_PIECE)
        return false;
    const ChunkMasks m = MASKS(pChunk);
    if (m.nSpecial != 0)
        return false;
    // Bit i: bytes i and i + 1 are both '/'.
    const std::uint64_t nPairs = m.nSlash & (m.nSlash >> 1);
    // Kept in locals: the compiler cannot keep members in registers across the counter updates.
    std::size_t nPiece = m_nPiece;
    std::size_t nLead = m_nLead;
    std::size_t nComment = m_nComment;
    bool bInLead = m_bInLead;
    if (m_bSlashLast && nComment == NONE && (m.nSlash & 1) != 0)
        nComment = nPiece - 1; // the pair straddles the chunks
    std::uint64_t nLfLeft = m.nLf;
    std::size_t nPos = 0;
    while (nLfLeft != 0) {
        const auto nLf = static_cast<std::size_t>(std::countr_zero(nLfLeft));
        nLfLeft &= nLfLeft - 1;
        const std::size_t nTake = nLf + 1 - nPos;
        const std::uint64_t nSpan = lowBits(nTake) << nPos;
        if (bInLead)
            nLead += static_cast<std::size_t>(std::countr_zero(~m.nBlank & nSpan)) - nPos; // the LF is no blank
        if (nComment == NONE && (nPairs & nSpan) != 0)
            nComment = nPiece + static_cast<std::size_t>(std::countr_zero(nPairs & nSpan)) - nPos;
        nPiece += nTake;
        Classify(nPiece, nLead, nComment);
        nPiece = 0;
        nLead = 0;
        nComment = NONE;
        bInLead = true;
        nPos = nLf + 1;
    }
    m_bSlashLast = false;
    if (nPos < CHUNK) { // a piece runs on into the next chunk
        const std::uint64_t nSpan = ~std::uint64_t { 0 } << nPos;
        if (bInLead) {
            const std::uint64_t nSolid = ~m.nBlank & nSpan;
            nLead += nSolid != 0 ? static_cast<std::size_t>(std::countr_zero(nSolid)) - nPos : CHUNK - nPos;
            bInLead = nSolid == 0;
        }
        if (nComment == NONE && (nPairs & nSpan) != 0)
            nComment = nPiece + static_cast<std::size_t>(std::countr_zero(nPairs & nSpan)) - nPos;
        nPiece += CHUNK - nPos;
        m_bSlashLast = (m.nSlash >> 63) != 0;
    }
    m_nPiece = nPiece;
    m_nLead = nLead;
    m_nComment = nComment;
    m_bInLead = bInLead;
    return true;
}

void LineCountingStream::FeedByte(char c)
{
    if (m_bPendingCr) {
        m_bPendingCr = false;
        if (c != '\n')
            TakeByte('\r');
    }
    if (c == '\r') {
        m_bPendingCr = true;
        return;
    }
    TakeByte(c);
}

// Adds one byte of the CR-dropped stream to the piece.
void LineCountingStream::TakeByte(char c)
{
    if (m_nNul == NONE) {
        if (c == '\0') {
            m_nNul = m_nPiece;
        } else {
            if (m_bInLead) {
                if (IsBlank(c))
                    ++m_nLead;
                else
                    m_bInLead = false;
            }
            if (c == '/' && m_bSlashLast && m_nComment == NONE)
                m_nComment = m_nPiece - 1;
            m_bSlashLast = c == '/';
        }
    }
    ++m_nPiece;
    if (c == '\n' || m_nPiece == MAX_PIECE)
        EndPiece(m_nNul != NONE ? m_nNul : m_nPiece);
}

void LineCountingStream::EndPiece(std::size_t nLen)
{
    Classify(nLen, m_nLead, m_nComment);
    m_nPiece = 0;
    m_nLead = 0;
    m_nComment = NONE;
    m_nNul = NONE;
    m_bInLead = true;
    m_bSlashLast = false;
}

