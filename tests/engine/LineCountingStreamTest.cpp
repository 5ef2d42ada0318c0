#include "LineCountingStream.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CounterPrinting.h"

namespace {

using namespace std::string_literals;

LineCounters countText(const std::string& csText)
{
    LineCountingStream stream;
    stream.Feed(csText.data(), csText.size());
    stream.Finish();
    return stream.Counters();
}

// Comment-only lines are neither empty nor code, so every line is in exactly one bucket.
void expectLinesAddUp(const LineCounters& c)
{
    const std::int64_t nCommentOnly = c.nCommentLines - (c.nCodeLines - c.nCodeOnlyLines);
    EXPECT_GE(nCommentOnly, 0);
    EXPECT_EQ(c.nTotalLines, c.nEmptyLines + c.nCodeLines + nCommentOnly);
}

// Deliberately naive: drop CR before LF, cut pieces as a 512-byte fgets does, and
// judge each piece with the C string functions, which stop at NUL by themselves.
LineCounters referenceCount(const std::string& csText)
{
    std::string csStripped;
    for (std::size_t i = 0; i < csText.size(); ++i) {
        if (!(csText[i] == '\r' && i + 1 < csText.size() && csText[i + 1] == '\n'))
            csStripped += csText[i];
    }
    LineCounters c;
    std::size_t nPos = 0;
    while (nPos < csStripped.size()) {
        std::size_t nEnd = nPos;
        while (nEnd < csStripped.size() && nEnd - nPos < 511 && (nEnd == nPos || csStripped[nEnd - 1] != '\n'))
            ++nEnd;
        std::string csLine = csStripped.substr(nPos, nEnd - nPos);
        nPos = nEnd;
        char* const pszLine = csLine.data();
        const std::size_t nLen = std::strlen(pszLine);
        const std::size_t nLead = std::strspn(pszLine, " \t");
        ++c.nTotalLines;
        c.nTotalChars += static_cast<std::int64_t>(nLen);
        if (nLen <= 1 || nLead == nLen - 1) {
            ++c.nEmptyLines;
            continue;
        }
        if (char* const pComment = std::strstr(pszLine, "//")) {
            ++c.nCommentLines;
            *pComment = '\0';
            if (std::strspn(pszLine, " \t") == std::strlen(pszLine))
                continue;
            ++c.nCodeLines;
            c.nCodeChars += static_cast<std::int64_t>(std::strlen(pszLine));
        } else {
            ++c.nCodeOnlyLines;
            ++c.nCodeLines;
            c.nCodeChars += static_cast<std::int64_t>(nLen);
        }
    }
    return c;
}

struct ClassificationCase
{
    const char* pszName;
    std::string csText;
    LineCounters expected; // total, comment, code, codeOnly, empty, codeChars, totalChars
};

class LineClassification : public ::testing::TestWithParam<ClassificationCase>
{
};

TEST_P(LineClassification, CountsMatch)
{
    const LineCounters counters = countText(GetParam().csText);
    EXPECT_EQ(counters, GetParam().expected);
    EXPECT_EQ(counters, referenceCount(GetParam().csText));
    expectLinesAddUp(counters);
}

const std::string LONG_A_600 = std::string(600, 'a') + "\n";

INSTANTIATE_TEST_SUITE_P(LineCountingStream, LineClassification,
    ::testing::Values(ClassificationCase { "CodeThenComment", "int a; // x\n", { 1, 1, 1, 0, 0, 7, 12 } },
        ClassificationCase { "IndentedComment", "   // only a comment\n", { 1, 1, 0, 0, 0, 0, 21 } },
        ClassificationCase { "CodeLineCountsItsLineFeed", "int a;\n", { 1, 0, 1, 1, 0, 7, 7 } },
        ClassificationCase { "BlockCommentIsCode", "/* block */\n", { 1, 0, 1, 1, 0, 12, 12 } },
        ClassificationCase { "LineFeedAlone", "\n", { 1, 0, 0, 0, 1, 0, 1 } },
        ClassificationCase { "TabBlanksLineFeed", "\t  \n", { 1, 0, 0, 0, 1, 0, 4 } },
        ClassificationCase { "LetterWithoutLineFeed", "x", { 1, 0, 0, 0, 1, 0, 1 } },
        ClassificationCase { "BlanksWithoutLineFeed", "   ", { 1, 0, 1, 1, 0, 3, 3 } },
        ClassificationCase { "BlanksAndBraceWithoutLineFeed", "   }", { 1, 0, 0, 0, 1, 0, 4 } },
        ClassificationCase { "BraceAndLineFeedIsCode", "{\n", { 1, 0, 1, 1, 0, 2, 2 } },
        ClassificationCase { "EmptyFile", "", {} },
        ClassificationCase { "LongLineIsTwoPieces", LONG_A_600, { 2, 0, 2, 2, 0, 601, 601 } },
        ClassificationCase { "CrLfAfter510IsOnePiece", std::string(510, 'a') + "\r\n", { 1, 0, 1, 1, 0, 511, 511 } },
        ClassificationCase { "CrLfAfter511IsTwoPieces", std::string(511, 'a') + "\r\n", { 2, 0, 1, 1, 1, 511, 512 } },
        ClassificationCase { "CrCrLfKeepsOneCr", "x\r\r\n", { 1, 0, 1, 1, 0, 3, 3 } },
        ClassificationCase { "LoneCrIsOrdinary", "a\rb\n", { 1, 0, 1, 1, 0, 4, 4 } },
        ClassificationCase { "TrailingCrIsALine", "\r", { 1, 0, 0, 0, 1, 0, 1 } },
        ClassificationCase { "NulCutsTheLength", "ab\0cd\n"s, { 1, 0, 1, 1, 0, 2, 2 } },
        ClassificationCase { "NulHidesTheComment", "x;\0// c\n"s, { 1, 0, 1, 1, 0, 2, 2 } },
        ClassificationCase { "NulKeepsPieceBoundaries", "\0"s + LONG_A_600, { 2, 0, 1, 1, 1, 91, 91 } },
        ClassificationCase { "SlashesSplitByPieceEnd", std::string(510, 'a') + "//\n", { 2, 0, 2, 2, 0, 513, 513 } },
        ClassificationCase { "IndentCountsBeforeComment", "\t x = 1; // y\n", { 1, 1, 1, 0, 0, 9, 14 } },
        ClassificationCase { "FirstMarkerCuts", "a//b//c\n", { 1, 1, 1, 0, 0, 1, 8 } },
        ClassificationCase { "MarkerWithoutLineFeed", "//", { 1, 1, 0, 0, 0, 0, 2 } },
        ClassificationCase { "SpacedSlashesAreCode", "a / /\n", { 1, 0, 1, 1, 0, 6, 6 } },
        ClassificationCase { "SmallFunction", "int main()\n{\n    return 0; // ok\n}\n\n", { 5, 1, 4, 3, 1, 29, 36 } }),
    [](const ::testing::TestParamInfo<ClassificationCase>& caseInfo) { return std::string(caseInfo.param.pszName); });

TEST(LineCountingStream, CrLfFileCountsLikeLfFile)
{
    const std::string csLf = "#include <x>\n\n// c\nint a; // b\n  }\n" + LONG_A_600 + "x";
    std::string csCrLf;
    for (const char c : csLf)
        csCrLf += c == '\n' ? "\r\n" : std::string(1, c);
    EXPECT_EQ(countText(csCrLf), countText(csLf));
}

std::string randomText(std::mt19937& rng, std::size_t nSize)
{
    static const std::string csAlphabet = "aaaaaaxyz;{}   \t\t//\n\n\n\r\r\0"s;
    std::uniform_int_distribution<std::size_t> pick(0, csAlphabet.size() - 1);
    std::uniform_int_distribution<int> percent(0, 999);
    std::string csText;
    while (csText.size() < nSize) {
        if (percent(rng) == 0) // now and then a line long enough to be cut
            csText.append(std::uniform_int_distribution<std::size_t>(400, 1300)(rng), 'q');
        csText += csAlphabet[pick(rng)];
    }
    return csText;
}

LineCounters countInBlocks(const std::string& csText, const std::vector<std::size_t>& blockSizes,
    ChunkMaskPath path = ChunkMaskPath::Fastest)
{
    LineCountingStream stream(path);
    std::size_t nPos = 0;
    for (std::size_t i = 0; nPos < csText.size(); ++i) {
        const std::size_t nSize = std::min(blockSizes[i % blockSizes.size()], csText.size() - nPos);
        stream.Feed(csText.data() + nPos, nSize);
        nPos += nSize;
    }
    stream.Finish();
    return stream.Counters();
}

TEST(LineCountingStream, BlockSizesNeverChangeTheCounts)
{
    for (const unsigned nSeed : { 1u, 2u, 3u, 4u, 5u, 6u }) {
        SCOPED_TRACE(nSeed);
        std::mt19937 rng(nSeed);
        const std::string csText = randomText(rng, 40000);
        const LineCounters expected = referenceCount(csText);
        EXPECT_EQ(countText(csText), expected);
        EXPECT_EQ(countInBlocks(csText, { 1 }), expected);

        std::vector<std::size_t> randomSizes(257);
        for (std::size_t& n : randomSizes)
            n = std::uniform_int_distribution<std::size_t>(0, 1500)(rng);
        randomSizes[0] = 1; // progress even if every other draw were zero
        for (const ChunkMaskPath path : { ChunkMaskPath::Plain, ChunkMaskPath::Sse2, ChunkMaskPath::Avx2 }) {
            if (ChunkMaskPathAvailable(path)) {
                EXPECT_EQ(countInBlocks(csText, randomSizes, path), expected) << static_cast<int>(path);
            }
        }

        // Every block ends right after a CR, so each CR's partner arrives in the next block.
        LineCountingStream stream;
        std::size_t nStart = 0;
        for (std::size_t i = 0; i < csText.size(); ++i) {
            if (csText[i] == '\r' || i + 1 == csText.size()) {
                stream.Feed(csText.data() + nStart, i + 1 - nStart);
                nStart = i + 1;
            }
        }
        stream.Finish();
        EXPECT_EQ(stream.Counters(), expected);
        expectLinesAddUp(expected);
    }
}

} // namespace
