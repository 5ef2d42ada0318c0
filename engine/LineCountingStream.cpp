#include "LineCountingStream.h"

#include <algorithm>
#include <cstring>

#include "AsciiText.h"

namespace {

const char* findByte(const char* p, std::size_t n, char c)
{
    return static_cast<const char*>(std::memchr(p, c, n));
}

} // namespace

void LineCountingStream::Feed(const char* pData, std::size_t nSize)
{
    if (nSize == 0)
        return;
    if (m_bPendingCr) {
        m_bPendingCr = false;
        if (pData[0] != '\n')
            FeedWithoutCrLf("\r", 1);
    }
    // Split at each CR: the text between CRs passes untouched, a CR before LF is dropped.
    const char* p = pData;
    const char* const pEnd = pData + nSize;
    while (p < pEnd) {
        const char* const pCr = findByte(p, static_cast<std::size_t>(pEnd - p), '\r');
        if (pCr == nullptr) {
            FeedWithoutCrLf(p, static_cast<std::size_t>(pEnd - p));
            return;
        }
        FeedWithoutCrLf(p, static_cast<std::size_t>(pCr - p));
        if (pCr + 1 == pEnd) {
            m_bPendingCr = true; // its fate depends on the next block's first byte
            return;
        }
        if (pCr[1] != '\n')
            FeedWithoutCrLf(pCr, 1);
        p = pCr + 1;
    }
}

void LineCountingStream::Finish()
{
    if (m_bPendingCr) {
        m_bPendingCr = false;
        FeedWithoutCrLf("\r", 1);
    }
    if (m_nCarry > 0) {
        ClassifyPiece(m_acCarry, m_nCarry, true);
        m_nCarry = 0;
    }
}

void LineCountingStream::FeedWithoutCrLf(const char* pData, std::size_t nSize)
{
    // One look for NUL over the whole segment spares the per-piece search in the usual case.
    const bool bMayHoldNul = findByte(pData, nSize, '\0') != nullptr;
    const char* p = pData;
    std::size_t n = nSize;

    if (m_nCarry > 0) {
        const std::size_t nRoom = MAX_PIECE - m_nCarry;
        const std::size_t nLook = std::min(n, nRoom);
        const char* const pLf = findByte(p, nLook, '\n');
        const std::size_t nTake = pLf != nullptr ? static_cast<std::size_t>(pLf - p) + 1 : nLook;
        std::memcpy(m_acCarry + m_nCarry, p, nTake);
        m_nCarry += nTake;
        p += nTake;
        n -= nTake;
        if (pLf == nullptr && m_nCarry < MAX_PIECE)
            return; // the segment ended inside the piece
        ClassifyPiece(m_acCarry, m_nCarry, true);
        m_nCarry = 0;
    }

    while (n > 0) {
        const std::size_t nLook = std::min(n, MAX_PIECE);
        const char* const pLf = findByte(p, nLook, '\n');
        std::size_t nPiece = 0;
        if (pLf != nullptr) {
            nPiece = static_cast<std::size_t>(pLf - p) + 1;
        } else if (n >= MAX_PIECE) {
            nPiece = MAX_PIECE;
        } else {
            std::memcpy(m_acCarry, p, n);
            m_nCarry = n;
            return;
        }
        ClassifyPiece(p, nPiece, bMayHoldNul);
        p += nPiece;
        n -= nPiece;
    }
}

void LineCountingStream::ClassifyPiece(const char* pPiece, std::size_t nSize, bool bMayHoldNul)
{
    std::size_t nLen = nSize;
    if (bMayHoldNul) {
        if (const char* const pNul = findByte(pPiece, nSize, '\0'))
            nLen = static_cast<std::size_t>(pNul - pPiece);
    }
    const auto len = static_cast<std::int64_t>(nLen);
    ++m_counters.nTotalLines;
    m_counters.nTotalChars += len;

    std::size_t nLead = 0;
    while (nLead < nLen && IsBlank(pPiece[nLead]))
        ++nLead;
    // The blank test assumes the last character is the line feed: blanks plus any
    // one character make an empty line.
    if (nLen <= 1 || nLead == nLen - 1) {
        ++m_counters.nEmptyLines;
        return;
    }

    const char* p = pPiece + nLead;
    const char* const pLast = pPiece + nLen - 1; // a "//" must start before this
    const char* pComment = nullptr;
    while (p < pLast) {
        const char* const pSlash = findByte(p, static_cast<std::size_t>(pLast - p), '/');
        if (pSlash == nullptr)
            break;
        if (pSlash[1] == '/') {
            pComment = pSlash;
            break;
        }
        p = pSlash + 1;
    }

    if (pComment != nullptr) {
        ++m_counters.nCommentLines;
        const auto nBefore = static_cast<std::size_t>(pComment - pPiece);
        if (nBefore == nLead)
            return; // only blanks before the comment
        ++m_counters.nCodeLines;
        m_counters.nCodeChars += static_cast<std::int64_t>(nBefore);
        return;
    }
    ++m_counters.nCodeOnlyLines;
    ++m_counters.nCodeLines;
    m_counters.nCodeChars += len;
}
