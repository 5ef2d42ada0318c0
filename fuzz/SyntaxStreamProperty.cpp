#include "SyntaxStreamProperty.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "CountFileLines.h"
#include "FeedInBlocks.h"
#include "FileHandle.h"
#include "SyntaxLineStream.h"
#include "SyntaxReference.h"

namespace {

LineCounters streamCounters(std::string_view csText, const std::vector<std::size_t>& blockSizes, ChunkMaskPath path)
{
    SyntaxLineStream stream(path);
    FeedInBlocks(stream, csText, blockSizes);
    return stream.Counters();
}

// The text as a file in memory, counted in segments of nSegment bytes as the counting threads take them.
LineCounters segmentCounters(std::string_view csText, std::uint64_t nSegment)
{
    const FileHandle file(::memfd_create("syntax-segments", MFD_CLOEXEC));
    if (!file.IsOpen() || ::write(file.Get(), csText.data(), csText.size()) != static_cast<ssize_t>(csText.size()))
        std::abort(); // no finding of the code under test: the fuzzer's machine is short of memory
    LineCounters sum;
    for (std::uint64_t k = 0; k * nSegment < csText.size(); ++k)
        CountFileSegment(file.Get(), csText.size(), nSegment, k, sum, CountingRules::Syntax);
    return sum;
}

void describe(std::ostream& out, const char* pszSide, const LineCounters& c)
{
    out << pszSide << " {total " << c.nTotalLines << ", comment " << c.nCommentLines << ", code " << c.nCodeLines
        << ", codeOnly " << c.nCodeOnlyLines << ", empty " << c.nEmptyLines << ", disabled " << c.nDisabledLines
        << ", codeChars " << c.nCodeChars << ", totalChars " << c.nTotalChars << "}\n";
}

} // namespace

std::string CheckSyntaxStream(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return {};
    const std::size_t nSizeBytes = std::min<std::size_t>(pData[0] % 8, nSize - 1);
    std::vector<std::size_t> blockSizes(pData + 1, pData + 1 + nSizeBytes);
    const std::string_view csText(reinterpret_cast<const char*>(pData) + 1 + nSizeBytes, nSize - 1 - nSizeBytes);

    const LineCounters expected = ReferenceSyntaxCount(csText);
    std::ostringstream why;
    for (const ChunkMaskPath path : { ChunkMaskPath::Plain, ChunkMaskPath::Sse2, ChunkMaskPath::Avx2 }) {
        if (!ChunkMaskPathAvailable(path))
            continue;
        const LineCounters actual = streamCounters(csText, blockSizes, path);
        if (actual == expected)
            continue;
        why << "mask path " << static_cast<int>(path) << " differs for " << csText.size() << " bytes in blocks of";
        for (const std::size_t n : blockSizes)
            why << ' ' << n;
        why << '\n';
        describe(why, "reference", expected);
        describe(why, "stream", actual);
        return why.str();
    }
    const std::uint64_t nSegment = blockSizes.empty() || blockSizes[0] == 0 ? 1 : blockSizes[0];
    const LineCounters segments = segmentCounters(csText, nSegment);
    if (segments == expected)
        return {};
    why << "segments of " << nSegment << " bytes differ for " << csText.size() << " bytes\n";
    describe(why, "reference", expected);
    describe(why, "segments", segments);
    return why.str();
}
