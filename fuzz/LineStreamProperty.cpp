#include "LineStreamProperty.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <sstream>
#include <string_view>
#include <vector>

#include "FeedInBlocks.h"
#include "LineCounters.h"
#include "LineCountingStream.h"

namespace {

constexpr std::size_t LINE_BUFFER = 512;

// The text as a text-mode stream delivers it: each CR directly before an LF is gone.
std::string withoutCrBeforeLf(std::string_view csText)
{
    std::string csOut;
    csOut.reserve(csText.size());
    for (std::size_t i = 0; i < csText.size(); ++i) {
        if (csText[i] == '\r' && i + 1 < csText.size() && csText[i + 1] == '\n')
            continue;
        csOut.push_back(csText[i]);
    }
    return csOut;
}

// Reads like fgets(szLine, 512, file): at most 511 bytes, stopping after an LF, then
// a terminating NUL. Returns false at the end of the text.
bool readLine(const std::string& csText, std::size_t& nPos, char (&szLine)[LINE_BUFFER])
{
    if (nPos >= csText.size())
        return false;
    std::size_t n = 0;
    while (n < LINE_BUFFER - 1 && nPos < csText.size()) {
        const char c = csText[nPos++];
        szLine[n++] = c;
        if (c == '\n')
            break;
    }
    szLine[n] = '\0';
    return true;
}

// The classification as the C string functions state it; they stop at a NUL on their own.
void classifyLine(char* pszLine, LineCounters& c)
{
    ++c.nTotalLines;
    std::size_t nLen = std::strlen(pszLine);
    const std::size_t nLead = std::strspn(pszLine, " \t");
    c.nTotalChars += static_cast<std::int64_t>(nLen);
    if (nLen <= 1 || nLead == nLen - 1) {
        ++c.nEmptyLines;
        return;
    }
    if (char* const pComment = std::strstr(pszLine, "//")) {
        ++c.nCommentLines;
        *pComment = '\0';
        nLen = std::strlen(pszLine);
        if (std::strspn(pszLine, " \t") == nLen)
            return;
    } else {
        ++c.nCodeOnlyLines;
    }
    ++c.nCodeLines;
    c.nCodeChars += static_cast<std::int64_t>(nLen);
}

LineCounters referenceCounters(std::string_view csText)
{
    const std::string csStripped = withoutCrBeforeLf(csText);
    LineCounters counters;
    char szLine[LINE_BUFFER];
    std::size_t nPos = 0;
    while (readLine(csStripped, nPos, szLine))
        classifyLine(szLine, counters);
    return counters;
}

// Sizes 0..199 as they are, larger bytes step by 509 so that blocks straddle pieces.
std::size_t blockSizeOf(std::uint8_t nByte)
{
    return nByte < 200 ? nByte : static_cast<std::size_t>(nByte - 199) * 509;
}

LineCounters streamCounters(std::string_view csText, const std::vector<std::size_t>& blockSizes, ChunkMaskPath path)
{
    LineCountingStream stream(path);
    FeedInBlocks(stream, csText, blockSizes);
    return stream.Counters();
}

// The first line start at or after nPos: just after an LF, or the end.
std::size_t lineStartFrom(std::string_view csText, std::size_t nPos)
{
    if (nPos == 0 || nPos >= csText.size())
        return std::min(nPos, csText.size());
    const std::size_t nLf = csText.find('\n', nPos - 1);
    return nLf == std::string_view::npos ? csText.size() : nLf + 1;
}

// Counts the text cut every nSegment bytes, each cut moved to the next line start
// and each part read by a stream of its own, as threads share a large file.
LineCounters segmentCounters(std::string_view csText, std::size_t nSegment)
{
    LineCounters sum;
    for (std::size_t nCut = 0; nCut < csText.size(); nCut += nSegment) {
        const std::size_t nBegin = lineStartFrom(csText, nCut);
        const std::size_t nEnd = lineStartFrom(csText, nCut + nSegment);
        if (nBegin >= nEnd)
            continue;
        LineCountingStream stream;
        stream.Feed(csText.data() + nBegin, nEnd - nBegin);
        stream.Finish();
        sum += stream.Counters();
    }
    return sum;
}

void describe(std::ostream& out, const char* pszSide, const LineCounters& c)
{
    out << pszSide << " {total " << c.nTotalLines << ", comment " << c.nCommentLines << ", code " << c.nCodeLines
        << ", codeOnly " << c.nCodeOnlyLines << ", empty " << c.nEmptyLines << ", codeChars " << c.nCodeChars
        << ", totalChars " << c.nTotalChars << "}\n";
}

} // namespace

std::string CheckLineStream(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return {};
    const std::size_t nSizeBytes = std::min<std::size_t>(pData[0] % 8, nSize - 1);
    std::vector<std::size_t> blockSizes;
    for (std::size_t i = 0; i < nSizeBytes; ++i)
        blockSizes.push_back(blockSizeOf(pData[1 + i]));
    const std::string_view csText(reinterpret_cast<const char*>(pData) + 1 + nSizeBytes, nSize - 1 - nSizeBytes);

    const LineCounters expected = referenceCounters(csText);
    std::ostringstream why;
    LineCounters actual = expected;
    ChunkMaskPath failedPath = ChunkMaskPath::Fastest;
    for (const ChunkMaskPath path : { ChunkMaskPath::Plain, ChunkMaskPath::Sse2, ChunkMaskPath::Avx2 }) {
        if (ChunkMaskPathAvailable(path) && actual == expected) {
            actual = streamCounters(csText, blockSizes, path);
            failedPath = path;
        }
    }
    if (actual == expected && !blockSizes.empty() && blockSizes[0] > 0) {
        const LineCounters segments = segmentCounters(csText, blockSizes[0]);
        if (segments == expected)
            return {};
        why << "segments of " << blockSizes[0] << " bytes, each starting after an LF, differ for " << csText.size()
            << " bytes\n";
        describe(why, "reader", expected);
        describe(why, "segments", segments);
        return why.str();
    }
    if (actual == expected)
        return {};
    why << "line counters of mask path " << static_cast<int>(failedPath) << " differ for " << csText.size()
        << " bytes in blocks of";
    for (const std::size_t n : blockSizes)
        why << ' ' << n;
    why << '\n';
    describe(why, "reader", expected);
    describe(why, "stream", actual);
    return why.str();
}
