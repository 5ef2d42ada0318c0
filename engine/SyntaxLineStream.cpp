#include "SyntaxLineStream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

constexpr std::size_t CHUNK = 64;

// Where a 64-byte chunk holds the bytes that can change the lexer's state, one bit
// per byte. Masks that only one rare state needs are found when it asks.
struct SyntaxMasks
{
    std::uint64_t nLf;
    std::uint64_t nCodeStops; // LF, '/', '"', '\'' or '\\'
    std::uint64_t nStar;
    std::uint64_t nSlashBackslash;
    std::uint64_t nHashPercent; // '#' or '%': the first may open a directive, the second its digraph
    std::uint64_t nSolid; // no blank and no LF
};

// Space, tab, CR, vertical tab, form feed, and the LF that ends a line.
constexpr bool isBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

constexpr bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Identifiers take '$' and every byte from 0x80 up, as GCC does.
constexpr bool isIdentifierByte(unsigned char c)
{
    return isLetter(c) || isDigit(c) || c == '_' || c == '$' || c >= 0x80;
}

// Looked up: directive names and the tokens before quotes test many bytes.
constexpr std::array<bool, 256> IDENTIFIER_BYTES = [] {
    std::array<bool, 256> table {};
    for (std::size_t c = 0; c < table.size(); ++c)
        table[c] = isIdentifierByte(static_cast<unsigned char>(c));
    return table;
}();

constexpr bool isIdentifier(unsigned char c) { return IDENTIFIER_BYTES[c]; }

// Each path finds the masks of up to MASK_BATCH chunks in one call, so that the
// constants it compares with are set up once per batch rather than per chunk.
constexpr std::size_t MASK_BATCH = 16;

struct PlainMasks
{
    using Set = SyntaxMasks;
    static void OfChunks(const char* p, std::size_t nChunks, SyntaxMasks* pMasks)
    {
        for (std::size_t i = 0; i < nChunks; ++i)
            pMasks[i] = Of(p + i * CHUNK);
    }
    static SyntaxMasks Of(const char* p)
    {
        SyntaxMasks m {};
        for (std::size_t i = 0; i < CHUNK; ++i) {
            const auto c = static_cast<unsigned char>(p[i]);
            const std::uint64_t nBit = std::uint64_t { 1 } << i;
            m.nLf |= c == '\n' ? nBit : 0;
            m.nCodeStops |= c == '\n' || c == '/' || c == '"' || c == '\'' || c == '\\' ? nBit : 0;
            m.nStar |= c == '*' ? nBit : 0;
            m.nSlashBackslash |= c == '/' || c == '\\' ? nBit : 0;
            m.nHashPercent |= c == '#' || c == '%' ? nBit : 0;
            m.nSolid |= isBlank(c) ? 0 : nBit;
        }
        return m;
    }
    static std::uint64_t Equal(const char* p, char c)
    {
        std::uint64_t nBits = 0;
        for (std::size_t i = 0; i < CHUNK; ++i)
            nBits |= p[i] == c ? std::uint64_t { 1 } << i : 0;
        return nBits;
    }
};

#if defined(__SSE2__)
struct Sse2Masks
{
    using Set = SyntaxMasks;
    static void OfChunks(const char* p, std::size_t nChunks, SyntaxMasks* pMasks)
    {
        for (std::size_t i = 0; i < nChunks; ++i)
            pMasks[i] = Of(p + i * CHUNK);
    }
    template <typename Test> static std::uint64_t bits(const __m128i (&v)[4], Test fnTest)
    {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(fnTest(v[0]))))
            | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(fnTest(v[1])))) << 16
            | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(fnTest(v[2])))) << 32
            | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(fnTest(v[3])))) << 48;
    }
    static __m128i equal(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
    static void load(const char* p, __m128i (&v)[4])
    {
        for (std::size_t i = 0; i < 4; ++i)
            v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    }
    static SyntaxMasks Of(const char* p)
    {
        __m128i v[4];
        load(p, v);
        return { bits(v, [](__m128i x) { return equal(x, '\n'); }),
            bits(v,
                [](__m128i x) {
                    return _mm_or_si128(_mm_or_si128(equal(x, '\n'), equal(x, '/')),
                        _mm_or_si128(_mm_or_si128(equal(x, '"'), equal(x, '\'')), equal(x, '\\')));
                }),
            bits(v, [](__m128i x) { return equal(x, '*'); }),
            bits(v, [](__m128i x) { return _mm_or_si128(equal(x, '/'), equal(x, '\\')); }),
            bits(v, [](__m128i x) { return _mm_or_si128(equal(x, '#'), equal(x, '%')); }),
            // A byte from '\t' to '\r' or a space: (c - '\t') at most 4 as an unsigned byte, or c == ' '.
            ~bits(v, [](__m128i x) {
                const __m128i nShifted = _mm_sub_epi8(x, _mm_set1_epi8('\t'));
                const __m128i nControl = _mm_cmpeq_epi8(_mm_min_epu8(nShifted, _mm_set1_epi8(4)), nShifted);
                return _mm_or_si128(nControl, equal(x, ' '));
            }) };
    }
    static std::uint64_t Equal(const char* p, char c)
    {
        __m128i v[4];
        load(p, v);
        return bits(v, [c](__m128i x) { return equal(x, c); });
    }
};
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define PINDREL_HAVE_AVX2 1
struct Avx2Masks
{
    using Set = SyntaxMasks;
    __attribute__((target("avx2"))) static void OfChunks(const char* p, std::size_t nChunks, SyntaxMasks* pMasks)
    {
        for (std::size_t i = 0; i < nChunks; ++i)
            pMasks[i] = Of(p + i * CHUNK);
    }
    __attribute__((target("avx2"))) static std::uint64_t bits(__m256i a, __m256i b)
    {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(a)))
            | static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(b))) << 32;
    }
    __attribute__((target("avx2"))) static __m256i equal(__m256i v, char c)
    {
        return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
    }
    __attribute__((target("avx2"))) static __m256i codeStop(__m256i v)
    {
        return _mm256_or_si256(_mm256_or_si256(equal(v, '\n'), equal(v, '/')),
            _mm256_or_si256(_mm256_or_si256(equal(v, '"'), equal(v, '\'')), equal(v, '\\')));
    }
    __attribute__((target("avx2"))) static __m256i blank(__m256i v)
    {
        const __m256i nShifted = _mm256_sub_epi8(v, _mm256_set1_epi8('\t'));
        const __m256i nControl = _mm256_cmpeq_epi8(_mm256_min_epu8(nShifted, _mm256_set1_epi8(4)), nShifted);
        return _mm256_or_si256(nControl, equal(v, ' '));
    }
    __attribute__((target("avx2"))) static SyntaxMasks Of(const char* p)
    {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        return { bits(equal(a, '\n'), equal(b, '\n')), bits(codeStop(a), codeStop(b)),
            bits(equal(a, '*'), equal(b, '*')),
            bits(_mm256_or_si256(equal(a, '/'), equal(a, '\\')), _mm256_or_si256(equal(b, '/'), equal(b, '\\'))),
            bits(_mm256_or_si256(equal(a, '#'), equal(a, '%')), _mm256_or_si256(equal(b, '#'), equal(b, '%'))),
            ~bits(blank(a), blank(b)) };
    }
    __attribute__((target("avx2"))) static std::uint64_t Equal(const char* p, char c)
    {
        return bits(equal(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), c),
            equal(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)), c));
    }
};
#endif

constexpr unsigned char BOM[3] = { 0xEF, 0xBB, 0xBF };

// The byte after a chunk's last one, not yet read: no fast path takes a byte before it.
constexpr char NOT_SEEN = '\0';

} // namespace

SyntaxLineStream::Token SyntaxLineStream::StartWord(unsigned char c)
{
    switch (c) {
    case 'u':
        return Token::WordU;
    case 'U':
    case 'L':
        return Token::WordUL;
    case 'R':
        return Token::RawPrefix;
    default:
        return Token::Word;
    }
}

// The token after c, given the one before it; quotes are the lexer's, not the token's.
SyntaxLineStream::Token SyntaxLineStream::NextToken(Token token, unsigned char c)
{
    switch (token) {
    case Token::Number:
        if (isLetter(c) || isDigit(c) || c == '_' || c == '.')
            return Token::Number;
        return isIdentifier(c) ? Token::Word : Token::None; // '$' or a byte from 0x80 starts a word
    case Token::Word:
    case Token::WordU:
    case Token::WordU8:
    case Token::WordUL:
    case Token::RawPrefix:
        if (!isIdentifier(c))
            return c == '.' ? Token::Dot : Token::None;
        if (token == Token::WordU && c == '8')
            return Token::WordU8;
        if (c == 'R' && (token == Token::WordU || token == Token::WordU8 || token == Token::WordUL))
            return Token::RawPrefix;
        return Token::Word;
    case Token::None:
    case Token::Dot:
        break;
    }
    if (isDigit(c))
        return Token::Number;
    if (c == '.')
        return Token::Dot;
    return isIdentifier(c) ? StartWord(c) : Token::None;
}

// The token at the end of [pFrom, pTo), which holds none of the bytes the lexer
// stops at, when token stood before it. Only the last token of the run is read.
SyntaxLineStream::Token SyntaxLineStream::TokenAfterRun(const char* pFrom, const char* pTo, Token token)
{
    const char* pStart = pTo;
    while (pStart > pFrom) {
        const auto c = static_cast<unsigned char>(pStart[-1]);
        if (!isIdentifier(c) && c != '.')
            break;
        --pStart;
    }
    if (pStart > pFrom)
        token = Token::None; // a byte that ends every token stands before pStart
    for (const char* p = pStart; p < pTo; ++p)
        token = NextToken(token, static_cast<unsigned char>(*p));
    return token;
}

namespace {

// What an #if or #elif always does: skip (0), take (1), or depend on what it tests.
enum class Condition
{
    AlwaysFalse,
    AlwaysTrue,
    Depends,
};

Condition conditionOf(std::string_view csExpression)
{
    if (csExpression == "0" || csExpression == "(0)" || csExpression == "false")
        return Condition::AlwaysFalse;
    if (csExpression == "1" || csExpression == "(1)" || csExpression == "true")
        return Condition::AlwaysTrue;
    return Condition::Depends;
}

} // namespace

// The name's length picks the one or two names it can be.
SyntaxLineStream::DirectiveName SyntaxLineStream::DirectiveNameOf(std::string_view csName)
{
    switch (csName.size()) {
    case 2:
        return csName == "if" ? DirectiveName::If : DirectiveName::Other;
    case 4:
        return csName == "elif" ? DirectiveName::Elif : csName == "else" ? DirectiveName::Else : DirectiveName::Other;
    case 5:
        return csName == "ifdef" ? DirectiveName::Ifdef
            : csName == "endif"  ? DirectiveName::Endif
                                 : DirectiveName::Other;
    case 6:
        return csName == "ifndef" ? DirectiveName::Ifndef : DirectiveName::Other;
    case 7:
        return csName == "elifdef" ? DirectiveName::ElifOnName : DirectiveName::Other;
    case 8:
        return csName == "elifndef" ? DirectiveName::ElifOnName : DirectiveName::Other;
    default:
        return DirectiveName::Other;
    }
}

SyntaxLineStream::SyntaxLineStream(ChunkMaskPath path)
    : m_path(path == ChunkMaskPath::Fastest ? FastestChunkMaskPath() : path)
{
}

void SyntaxLineStream::Feed(const char* pData, std::size_t nSize)
{
    switch (m_path) {
#if defined(PINDREL_HAVE_AVX2)
    case ChunkMaskPath::Avx2:
        FeedChunks<Avx2Masks>(pData, nSize);
        return;
#endif
#if defined(__SSE2__)
    case ChunkMaskPath::Sse2:
        FeedChunks<Sse2Masks>(pData, nSize);
        return;
#endif
    default:
        FeedChunks<PlainMasks>(pData, nSize);
        return;
    }
}

template <typename Masks> void SyntaxLineStream::FeedChunks(const char* pData, std::size_t nSize)
{
    const char* p = pData;
    const char* const pEnd = pData + nSize;
    SyntaxMasks masks[MASK_BATCH];
    while (static_cast<std::size_t>(pEnd - p) >= CHUNK) {
        const std::size_t nChunks = std::min(MASK_BATCH, static_cast<std::size_t>(pEnd - p) / CHUNK);
        Masks::OfChunks(p, nChunks, masks);
        for (std::size_t i = 0; i < nChunks; ++i, p += CHUNK)
            FeedChunk<Masks>(p, CHUNK, masks[i]);
    }
    if (m_pCodeRun != nullptr)
        EndCodeRun(p, true); // the block's memory is the caller's only until Feed returns
    if (p == pEnd)
        return;
    // The tail goes through the chunk path as well, padded with a byte no state stops at:
    // most files end in one, and byte by byte it cost as much as the rest of a small file.
    char tail[CHUNK];
    const auto nTail = static_cast<std::size_t>(pEnd - p);
    std::memcpy(tail, p, nTail);
    std::memset(tail + nTail, 'x', CHUNK - nTail);
    FeedChunk<Masks>(tail, nTail, Masks::Of(tail));
    if (m_pCodeRun != nullptr)
        EndCodeRun(tail + nTail, true);
}

// Skips the runs of bytes that leave the lexer where it is, takes the frequent
// stops in place, and hands every other byte to the byte-wise lexer. Only the
// first nLen bytes of the 64 are the file's; m holds their masks.
template <typename Masks>
void SyntaxLineStream::FeedChunk(const char* pChunk, std::size_t nLen, const typename Masks::Set& m)
{
    const std::uint64_t nValid = nLen == CHUNK ? ~std::uint64_t { 0 } : (std::uint64_t { 1 } << nLen) - 1;
    const std::uint64_t nCodeStops = m.nCodeStops;
    // In a block comment a '*' matters only before a '/' or a splice's '\'; what
    // follows the last byte is not known here.
    const std::uint64_t nClosingStars = m.nStar & ((m.nSlashBackslash >> 1) | (std::uint64_t { 1 } << (nLen - 1)));
    std::size_t nPos = 0;
    // Moves nPos to the first of nStops at or after it, or to the end; returns the
    // bytes passed and whether one of them is no blank.
    const auto skipTo = [&](std::uint64_t nStops, std::int64_t& nSkipped) {
        nStops &= ~std::uint64_t { 0 } << nPos;
        const std::uint64_t nRun = (~std::uint64_t { 0 } << nPos) & ((nStops & (~nStops + 1)) - 1) & nValid;
        const std::size_t nStop = nStops != 0 ? static_cast<std::size_t>(std::countr_zero(nStops)) : nLen;
        nSkipped = static_cast<std::int64_t>(nStop - nPos);
        nPos = nStop;
        return (m.nSolid & nRun) != 0;
    };
    // The byte after the stop at nPos, if the chunk holds it.
    const auto next = [&] { return nPos + 1 < nLen ? pChunk[nPos + 1] : NOT_SEEN; };
    // Moves past the stop at nPos that took nTaken bytes, or hands it to the byte-wise lexer.
    const auto taken = [&](std::size_t nTaken) {
        if (nTaken > 0) {
            nPos += nTaken;
            return;
        }
        Physical(static_cast<unsigned char>(pChunk[nPos++]));
    };
    // From the start of a physical line, takes every following line whose only stop
    // is its LF: in code it is code or empty, in a block comment comment or empty.
    const auto takeWholeLines = [&](std::uint64_t nStops, bool bCode) {
        while (nPos < nLen) {
            const std::uint64_t nAhead = nStops & (~std::uint64_t { 0 } << nPos);
            if (nAhead == 0 || (m.nLf & nAhead & (~nAhead + 1)) == 0)
                return;
            const auto nEnd = static_cast<std::size_t>(std::countr_zero(nAhead)) + 1;
            const std::uint64_t nLine = (~std::uint64_t { 0 } << nPos) & ((nAhead & (~nAhead + 1)) - 1);
            const auto nBytes = static_cast<std::int64_t>(nEnd - nPos);
            ++m_counters.nTotalLines;
            m_counters.nTotalChars += nBytes;
            if (m_line.bDisabled) {
                ++m_counters.nDisabledLines;
            } else if ((m.nSolid & nLine) == 0) {
                ++m_counters.nEmptyLines;
            } else if (!bCode) {
                ++m_counters.nCommentLines;
            } else {
                ++m_counters.nCodeLines;
                ++m_counters.nCodeOnlyLines;
                m_counters.nCodeChars += nBytes;
            }
            nPos = nEnd;
        }
    };
    while (nPos < nLen) {
        if (m_bAfterBackslash || m_bFileStart) [[unlikely]] {
            Physical(static_cast<unsigned char>(pChunk[nPos++]));
            continue;
        }
        // Inside a directive's name or expression, a literal's every byte is read.
        const bool bPlainDirective = m_directive == Directive::None || m_directive == Directive::Rest;
        std::int64_t nSkipped = 0;
        switch (m_state) {
        case State::InCode: {
            if (m_line.nBytes == 0 && m_directive == Directive::None) {
                // '#' and '%' stop the lines too: they may open a directive.
                const std::size_t nStart = nPos;
                takeWholeLines(nCodeStops | m.nHashPercent, true);
                if (nPos > nStart) {
                    m_bLineStart = true;
                    m_token = Token::None;
                    if (nPos == nLen)
                        return;
                }
            }
            const std::size_t nFrom = nPos;
            // '#' and '%' matter only where they can open a directive.
            const bool bSolid = skipTo(nCodeStops | (m_bLineStart ? m.nHashPercent : 0), nSkipped);
            if (nSkipped > 0) {
                if (!bPlainDirective)
                    ReadDirectiveRun(pChunk + nFrom, pChunk + nPos);
                m_line.nBytes += nSkipped;
                if (bSolid) {
                    m_line.bCode = true;
                    m_bLineStart = false;
                }
                if (m_pCodeRun == nullptr) {
                    m_pCodeRun = pChunk + nFrom;
                    m_codeRunToken = m_token;
                }
                if (nPos == nLen)
                    return;
            }
            if (m_pCodeRun != nullptr) {
                const char c = pChunk[nPos];
                EndCodeRun(pChunk + nPos, c == '"' || c == '\'' || c == '\\');
            }
            taken(TakeInCode(static_cast<unsigned char>(pChunk[nPos]), next()));
            break;
        }
        case State::InLineComment:
        case State::InBlockComment: {
            if (m_state == State::InBlockComment && m_line.nBytes == 0 && !m_bNamePending) {
                takeWholeLines(m.nLf | nClosingStars, false);
                if (nPos == nLen)
                    return;
            }
            const bool bSolid
                = skipTo(m.nLf | (m_state == State::InBlockComment ? nClosingStars : m.nSlashBackslash), nSkipped);
            m_line.nBytes += nSkipped;
            m_line.nComment += nSkipped;
            m_line.bComment = m_line.bComment || bSolid;
            if (nPos < nLen)
                taken(TakeInComment(static_cast<unsigned char>(pChunk[nPos]), next()));
            break;
        }
        case State::InString:
        case State::InChar:
            if (bPlainDirective) {
                // A '/' or the other quote stops too, and is taken as it is.
                const bool bSolid = skipTo(nCodeStops, nSkipped);
                m_line.nBytes += nSkipped;
                m_line.bCode = m_line.bCode || bSolid;
                if (nPos < nLen)
                    taken(TakeInLiteral(static_cast<unsigned char>(pChunk[nPos]), next()));
            } else {
                Physical(static_cast<unsigned char>(pChunk[nPos++]));
            }
            break;
        case State::InRawString:
            if (m_nRawMatch == 0) {
                skipTo(m.nLf | (Masks::Equal(pChunk, ')') & nValid), nSkipped);
                m_line.nBytes += nSkipped;
                m_line.bCode = true;
                if (nPos == nLen)
                    return;
            }
            Physical(static_cast<unsigned char>(pChunk[nPos++]));
            break;
        default:
            Physical(static_cast<unsigned char>(pChunk[nPos++]));
            break;
        }
    }
}

// Bytes of code in a directive's name or expression that no stop interrupts: the
// directive reads them one by one until it no longer needs them.
void SyntaxLineStream::ReadDirectiveRun(const char* pFrom, const char* pTo)
{
    for (const char* p = pFrom; p < pTo; ++p) {
        if (m_directive == Directive::InName) { // the rest of the name in one go
            while (p < pTo && isIdentifier(static_cast<unsigned char>(*p))) {
                if (m_nName < m_name.size())
                    m_name[m_nName++] = *p; // a full buffer names no directive we know
                ++p;
            }
            if (p == pTo)
                return;
        }
        const auto c = static_cast<unsigned char>(*p);
        DirectiveByte(c, isBlank(c));
        if (m_directive == Directive::Rest || m_directive == Directive::None)
            return;
    }
}

// The frequent stops, alone or with the byte after them when it lies in the
// chunk, are taken as Physical would take them but without its detours. Each
// returns how many bytes it took, 0 to leave c to Physical. next is the byte
// after c, or NOT_SEEN when it lies in the next block.

// c is a line end, '/', '"', '\'', '\\', or '#' or '%' first on the line.
[[gnu::always_inline]] inline std::size_t SyntaxLineStream::TakeInCode(unsigned char c, char next)
{
    const bool bPlainDirective = m_directive == Directive::None || m_directive == Directive::Rest;
    switch (c) {
    case '\n':
        ++m_line.nBytes;
        EndLogicalLine();
        EndPhysicalLine();
        return 1;
    case '/':
        if (!bPlainDirective || next == '\\' || next == NOT_SEEN)
            return 0;
        ++m_line.nBytes;
        m_token = Token::None;
        if (next == '/' || next == '*') { // no line is held: no '/' and no directive's name is pending
            ++m_line.nBytes;
            m_line.nComment += 2;
            m_line.bComment = true;
            m_state = next == '/' ? State::InLineComment : State::InBlockComment;
            return 2;
        }
        m_line.bCode = true; // a division
        m_bLineStart = false;
        return 1;
    case '"':
    case '\'':
        // A raw string's prefix or a digit separator's number take the byte-wise path.
        if (!bPlainDirective || m_token == (c == '"' ? Token::RawPrefix : Token::Number))
            return 0;
        ++m_line.nBytes;
        m_line.bCode = true;
        m_bLineStart = false;
        m_state = c == '"' ? State::InString : State::InChar;
        m_token = Token::None;
        return 1;
    case '\\':
        return next == '\n' ? TakeSplice() : 0;
    case '#':
        if (!m_bLineStart || m_directive != Directive::None)
            return 0;
        ++m_line.nBytes;
        m_line.bCode = true;
        StartDirective();
        return 1;
    default:
        return 0;
    }
}

// In a line comment c is a line end, '/' or '\\'; in a block comment a line end or a
// '*' before a '/', a '\\' or the end of what is seen.
[[gnu::always_inline]] inline std::size_t SyntaxLineStream::TakeInComment(unsigned char c, char next)
{
    if (c == '\n') {
        ++m_line.nBytes;
        ++m_line.nComment;
        if (m_state == State::InLineComment) {
            m_state = State::InCode;
            EndLogicalLine();
        }
        EndPhysicalLine();
        return 1;
    }
    if (m_state == State::InLineComment) {
        if (c == '\\')
            return 0;
        ++m_line.nBytes; // a '/', stopped at with the backslashes
        ++m_line.nComment;
        m_line.bComment = true;
        return 1;
    }
    ++m_line.nBytes;
    ++m_line.nComment;
    m_line.bComment = true;
    if (next != '/') {
        m_state = State::AfterBlockStar;
        return 1;
    }
    ++m_line.nBytes;
    ++m_line.nComment;
    m_state = State::InCode;
    m_token = Token::None;
    return 2;
}

// c is a line end, '\\', '/' or a quote; the directive, if any, is plain.
[[gnu::always_inline]] inline std::size_t SyntaxLineStream::TakeInLiteral(unsigned char c, char next)
{
    if (c == '\\') {
        if (next == '\n')
            return TakeSplice();
        // Blanks may still make a splice, and so may a second backslash: lines are
        // spliced before escapes are read.
        if (next == ' ' || next == '\t' || next == '\r' || next == '\\' || next == NOT_SEEN)
            return 0;
        m_line.nBytes += 2; // an escape
        m_line.bCode = true;
        return 2;
    }
    ++m_line.nBytes;
    if (c == '\n') { // an unterminated literal ends with its line
        m_state = State::InCode;
        EndLogicalLine();
        EndPhysicalLine();
        return 1;
    }
    m_line.bCode = true;
    if (c == (m_state == State::InString ? '"' : '\'')) {
        m_state = State::InCode; // the closing quote
        m_token = Token::None;
    }
    return 1;
}

// A '\' right before an LF, in code or a literal: both bytes are code and the logical line goes on.
std::size_t SyntaxLineStream::TakeSplice()
{
    m_line.nBytes += 2;
    m_line.bCode = true;
    EndPhysicalLine();
    return 2;
}

// Ends the code run at pEnd. Every byte the run can stop at other than a quote or a
// backslash ends the token, so only those need the token worked out.
void SyntaxLineStream::EndCodeRun(const char* pEnd, bool bNeedToken)
{
    m_token = bNeedToken ? TokenAfterRun(m_pCodeRun, pEnd, m_codeRunToken) : Token::None;
    m_pCodeRun = nullptr;
}

// One byte of the file: the byte-order mark and splices are taken here, the rest goes to the lexer.
void SyntaxLineStream::Physical(unsigned char c)
{
    if (m_bFileStart) {
        if (c == BOM[m_nBomBytes]) {
            if (++m_nBomBytes == 3) {
                m_bFileStart = false;
                m_line.nBytes += 3; // blanks of a code line
            }
            return;
        }
        m_bFileStart = false;
        for (std::uint32_t i = 0; i < m_nBomBytes; ++i)
            Physical(BOM[i]);
    }
    if (m_state == State::InRawDelimiter) {
        RawDelimiterByte(c);
        return;
    }
    if (m_state == State::InRawString) {
        RawStringByte(c);
        return;
    }
    if (m_bAfterBackslash) {
        if (!m_bSpliceCr && (c == ' ' || c == '\t')) {
            ++m_nSpliceBlanks;
            return;
        }
        if (!m_bSpliceCr && c == '\r') {
            m_bSpliceCr = true;
            return;
        }
        m_bAfterBackslash = false;
        if (c == '\n') { // a splice: its bytes belong to whatever the lexer is in
            TakeByState('\\');
            for (std::uint32_t i = 0; i < m_nSpliceBlanks; ++i)
                TakeByState(' ');
            if (m_bSpliceCr)
                TakeByState('\r');
            TakeByState('\n');
            EndPhysicalLine();
            return;
        }
        Logical('\\');
        for (std::uint32_t i = 0; i < m_nSpliceBlanks; ++i)
            Logical(' ');
        if (m_bSpliceCr)
            Logical('\r');
    }
    if (c == '\\') {
        m_bAfterBackslash = true;
        m_nSpliceBlanks = 0;
        m_bSpliceCr = false;
        return;
    }
    Logical(c);
    if (c == '\n')
        EndPhysicalLine();
}

void SyntaxLineStream::Logical(unsigned char c)
{
    switch (m_state) {
    case State::InCode:
        LogicalInCode(c);
        return;
    case State::AfterSlash:
        if (c == '/' || c == '*') {
            ResolveSlash(true);
            m_state = c == '/' ? State::InLineComment : State::InBlockComment;
            TakeComment(c);
            DirectiveByte(' ', true); // a comment parts tokens as a blank does
            return;
        }
        ResolveSlash(false);
        m_state = State::InCode;
        m_bLineStart = false;
        DirectiveByte('/', false);
        LogicalInCode(c);
        return;
    case State::AfterPercent:
        m_state = State::InCode;
        if (c == ':') {
            TakeCode(c);
            StartDirective();
            return;
        }
        m_bLineStart = false;
        LogicalInCode(c);
        return;
    case State::AfterNumberQuote:
        if (isLetter(c) || isDigit(c) || c == '_') { // the quote was a digit separator
            m_state = State::InCode;
            LogicalInCode(c);
            return;
        }
        m_state = State::InChar;
        m_token = Token::None;
        Logical(c);
        return;
    case State::InLineComment:
        TakeComment(c);
        if (c == '\n') {
            m_state = State::InCode;
            EndLogicalLine();
        }
        return;
    case State::InBlockComment:
        TakeComment(c);
        if (c == '*')
            m_state = State::AfterBlockStar;
        return;
    case State::AfterBlockStar:
        TakeComment(c);
        if (c == '/') {
            m_state = State::InCode;
            m_token = Token::None;
        } else if (c != '*') {
            m_state = State::InBlockComment;
        }
        return;
    case State::InString:
    case State::InChar:
    case State::InStringEscape:
    case State::InCharEscape: {
        TakeCode(c);
        DirectiveByte(c, isBlank(c));
        const bool bString = m_state == State::InString || m_state == State::InStringEscape;
        if (c == '\n') { // an unterminated literal ends with its line
            m_state = State::InCode;
            EndLogicalLine();
        } else if (m_state == State::InStringEscape || m_state == State::InCharEscape) {
            m_state = bString ? State::InString : State::InChar;
        } else if (c == '\\') {
            m_state = bString ? State::InStringEscape : State::InCharEscape;
        } else if (c == (bString ? '"' : '\'')) {
            m_state = State::InCode;
            m_token = Token::None;
        }
        return;
    }
    case State::InRawDelimiter:
    case State::InRawString:
        return; // never here: raw strings take their bytes before splices are looked for
    }
}

void SyntaxLineStream::LogicalInCode(unsigned char c)
{
    if (c == '/') {
        m_state = State::AfterSlash;
        m_token = Token::None;
        TakePending(c);
        return;
    }
    TakeCode(c);
    switch (c) {
    case '\n':
        EndLogicalLine();
        return;
    case '"':
    case '\'':
        DirectiveByte(c, false);
        m_bLineStart = false;
        if (c == '\'')
            m_state = m_token == Token::Number ? State::AfterNumberQuote : State::InChar;
        else if (m_token == Token::RawPrefix) {
            m_state = State::InRawDelimiter;
            m_nDelimiter = 0;
        } else
            m_state = State::InString;
        if (m_state != State::AfterNumberQuote)
            m_token = Token::None;
        return;
    case '#':
    case '%':
        if (m_bLineStart && m_directive == Directive::None) {
            if (c == '#')
                StartDirective();
            else
                m_state = State::AfterPercent;
            return;
        }
        break;
    default:
        break;
    }
    const bool bBlank = isBlank(c);
    DirectiveByte(c, bBlank);
    m_token = NextToken(m_token, c);
    if (!bBlank)
        m_bLineStart = false;
}

// Between R" and (: no splice, no escape; a byte no delimiter may hold makes the '"' a plain string's.
void SyntaxLineStream::RawDelimiterByte(unsigned char c)
{
    if (c == '(') {
        m_line.nBytes += m_nDelimiter + 1;
        m_line.bCode = true;
        m_state = State::InRawString;
        m_nRawMatch = 0;
        return;
    }
    if (m_nDelimiter == m_delimiter.size() || isBlank(c) || c == ')' || c == '\\') {
        ReplayAsString();
        Physical(c);
        return;
    }
    m_delimiter[m_nDelimiter++] = c;
}

// The delimiter read so far, lexed again from just after the '"' as a plain string.
void SyntaxLineStream::ReplayAsString()
{
    const std::array<unsigned char, 16> delimiter = m_delimiter;
    const std::uint32_t nDelimiter = m_nDelimiter;
    m_nDelimiter = 0;
    m_state = State::InString;
    for (std::uint32_t i = 0; i < nDelimiter; ++i)
        Physical(delimiter[i]);
}

void SyntaxLineStream::RawStringByte(unsigned char c)
{
    ++m_line.nBytes;
    m_line.bCode = true; // a blank line inside a raw string is code
    if (m_nRawMatch > 0) {
        const std::uint32_t nMatched = m_nRawMatch - 1; // delimiter bytes after the ')'
        if (nMatched == m_nDelimiter && c == '"') {
            m_state = State::InCode;
            m_token = Token::None;
            m_nRawMatch = 0;
            return;
        }
        if (nMatched < m_nDelimiter && c == m_delimiter[nMatched]) {
            ++m_nRawMatch;
            return;
        }
        m_nRawMatch = 0;
    }
    if (c == ')')
        m_nRawMatch = 1; // the delimiter holds no ')', so a match can only start here
    if (c == '\n')
        EndPhysicalLine();
}

void SyntaxLineStream::TakeCode(unsigned char c)
{
    ++m_line.nBytes;
    m_line.bCode = m_line.bCode || !isBlank(c);
}

void SyntaxLineStream::TakeComment(unsigned char c)
{
    ++m_line.nBytes;
    ++m_line.nComment;
    m_line.bComment = m_line.bComment || !isBlank(c);
}

void SyntaxLineStream::TakePending(unsigned char c)
{
    ++m_line.nBytes;
    ++m_line.nPending;
    m_line.bPendingSolid = m_line.bPendingSolid || !isBlank(c);
}

void SyntaxLineStream::TakeByState(unsigned char c)
{
    switch (m_state) {
    case State::InLineComment:
    case State::InBlockComment:
    case State::AfterBlockStar:
        TakeComment(c);
        return;
    case State::AfterSlash:
        TakePending(c);
        return;
    default:
        TakeCode(c);
        return;
    }
}

// The bytes from a '/' up to here, on this line and the held ones, are a comment's or code.
void SyntaxLineStream::ResolveSlash(bool bComment)
{
    const auto resolve = [bComment](LineRecord& line) {
        if (bComment) {
            line.nComment += line.nPending;
            line.bComment = line.bComment || line.bPendingSolid;
        } else {
            line.bCode = line.bCode || line.bPendingSolid;
        }
        line.nPending = 0;
        line.bPendingSolid = false;
    };
    for (LineRecord& line : m_held)
        resolve(line);
    resolve(m_line);
    m_state = State::InCode; // the caller sets the state that follows
    FlushHeld();
}

[[gnu::always_inline]] inline void SyntaxLineStream::EndLogicalLine()
{
    if (m_directive != Directive::None)
        EndDirective();
    m_bLineStart = true;
    m_token = Token::None;
}

void SyntaxLineStream::StartDirective()
{
    m_directive = Directive::BeforeName;
    m_nName = 0;
    m_nExpression = 0;
    m_bLineStart = false;
    m_bDirectiveInGroup = m_bInDisabledGroup;
    // Only a directive at the disabled group's own depth can end it.
    m_bNamePending = m_bInDisabledGroup && m_nSkippedDepth == 0;
}

// A byte of code on a directive's logical line: its name, then its expression without blanks.
void SyntaxLineStream::DirectiveByte(unsigned char c, bool bBlank)
{
    switch (m_directive) {
    case Directive::None:
    case Directive::Rest:
        return;
    case Directive::BeforeName:
        if (bBlank)
            return;
        if (isIdentifier(c)) {
            m_directive = Directive::InName;
            m_name[m_nName++] = static_cast<char>(c);
            return;
        }
        ResolveDirectiveName();
        break;
    case Directive::InName:
        if (!bBlank && isIdentifier(c)) {
            if (m_nName < m_name.size())
                m_name[m_nName++] = static_cast<char>(c); // a full buffer names no directive we know
            return;
        }
        ResolveDirectiveName();
        if (bBlank)
            return;
        break;
    case Directive::InBody:
        if (bBlank)
            return;
        break;
    }
    if (m_directive != Directive::InBody)
        return;
    m_expression[m_nExpression++] = static_cast<char>(c);
    if (m_nExpression == m_expression.size())
        m_directive = Directive::Rest; // too long to be 0, 1, (0), (1), false or true
}

// Inside a disabled group, a directive's name says whether its lines end the group or belong to it.
void SyntaxLineStream::ResolveDirectiveName()
{
    const DirectiveName name = DirectiveNameOf(std::string_view(m_name.data(), m_nName));
    m_nameKind = name;
    m_directive = name == DirectiveName::If || name == DirectiveName::Elif ? Directive::InBody : Directive::Rest;
    if (!m_bNamePending)
        return;
    m_bNamePending = false;
    switch (name) {
    case DirectiveName::Elif:
    case DirectiveName::ElifOnName:
    case DirectiveName::Else:
    case DirectiveName::Endif:
        m_bInDisabledGroup = false;
        m_line.bDisabled = false;
        for (LineRecord& line : m_held)
            line.bDisabled = false;
        break;
    default:
        break;
    }
    FlushHeld();
}

void SyntaxLineStream::EndDirective()
{
    if (m_directive == Directive::BeforeName || m_directive == Directive::InName)
        ResolveDirectiveName();
    m_directive = Directive::None;
    const DirectiveName name = m_nameKind;
    const Condition condition = m_nExpression < m_expression.size()
        ? conditionOf(std::string_view(m_expression.data(), m_nExpression))
        : Condition::Depends;
    if (m_bDirectiveInGroup && m_nSkippedDepth > 0) {
        if (name == DirectiveName::If || name == DirectiveName::Ifdef || name == DirectiveName::Ifndef)
            ++m_nSkippedDepth;
        else if (name == DirectiveName::Endif)
            --m_nSkippedDepth;
        return;
    }
    if (m_bDirectiveInGroup && (name == DirectiveName::If || name == DirectiveName::Ifdef || name == DirectiveName::Ifndef)) {
        ++m_nSkippedDepth;
        return;
    }
    switch (name) {
    case DirectiveName::If:
    case DirectiveName::Ifdef:
    case DirectiveName::Ifndef:
        m_chains.push_back(name == DirectiveName::If && condition == Condition::AlwaysTrue);
        if (name == DirectiveName::If && condition == Condition::AlwaysFalse) {
            m_bInDisabledGroup = true;
            m_nSkippedDepth = 0;
        }
        return;
    case DirectiveName::Elif:
    case DirectiveName::ElifOnName:
    case DirectiveName::Else:
        if (m_chains.empty())
            return;
        if (m_chains.back()) {
            m_bInDisabledGroup = true; // a group before was always taken
        } else if (name == DirectiveName::Elif) {
            m_bInDisabledGroup = condition == Condition::AlwaysFalse;
            m_chains.back() = condition == Condition::AlwaysTrue;
        } else {
            m_bInDisabledGroup = false;
        }
        m_nSkippedDepth = 0;
        return;
    case DirectiveName::Endif:
        if (!m_chains.empty())
            m_chains.pop_back();
        m_bInDisabledGroup = false;
        return;
    case DirectiveName::Other:
        return;
    }
}

[[gnu::always_inline]] inline void SyntaxLineStream::EndPhysicalLine()
{
    if (m_state == State::AfterSlash || m_bNamePending) [[unlikely]]
        m_held.push_back(m_line);
    else
        Classify(m_line);
    m_line = LineRecord {};
    m_line.bDisabled = m_bInDisabledGroup;
}

void SyntaxLineStream::FlushHeld()
{
    if (m_state == State::AfterSlash || m_bNamePending)
        return;
    for (const LineRecord& line : m_held)
        Classify(line);
    m_held.clear();
}

[[gnu::always_inline]] inline void SyntaxLineStream::Classify(const LineRecord& line)
{
    ++m_counters.nTotalLines;
    m_counters.nTotalChars += line.nBytes;
    if (line.bDisabled) {
        ++m_counters.nDisabledLines;
    } else if (!line.bCode) {
        ++(line.bComment ? m_counters.nCommentLines : m_counters.nEmptyLines);
    } else {
        ++m_counters.nCodeLines;
        m_counters.nCodeChars += line.nBytes - line.nComment;
        ++(line.bComment ? m_counters.nCommentLines : m_counters.nCodeOnlyLines);
    }
}

void SyntaxLineStream::Finish()
{
    if (m_bFileStart) { // the file is a part of a byte-order mark
        m_bFileStart = false;
        for (std::uint32_t i = 0; i < m_nBomBytes; ++i)
            Physical(BOM[i]);
    }
    while (m_state == State::InRawDelimiter)
        ReplayAsString();
    if (m_bAfterBackslash) {
        m_bAfterBackslash = false;
        Logical('\\');
        for (std::uint32_t i = 0; i < m_nSpliceBlanks; ++i)
            Logical(' ');
        if (m_bSpliceCr)
            Logical('\r');
    }
    if (m_state == State::AfterSlash)
        ResolveSlash(false);
    if (m_directive != Directive::None)
        EndDirective();
    FlushHeld();
    if (m_line.nBytes > 0)
        Classify(m_line);
    m_line = LineRecord {};
}
