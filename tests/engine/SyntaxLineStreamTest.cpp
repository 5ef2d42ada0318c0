#include "SyntaxLineStream.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CounterPrinting.h"
#include "SyntaxReference.h"

namespace {

using namespace std::string_literals;

LineCounters countInBlocks(const std::string& csText, std::size_t nBlock, ChunkMaskPath path)
{
    SyntaxLineStream stream(path);
    for (std::size_t nPos = 0; nPos < csText.size(); nPos += nBlock)
        stream.Feed(csText.data() + nPos, std::min(nBlock, csText.size() - nPos));
    stream.Finish();
    return stream.Counters();
}

std::vector<ChunkMaskPath> availablePaths()
{
    std::vector<ChunkMaskPath> paths;
    for (const ChunkMaskPath path : { ChunkMaskPath::Plain, ChunkMaskPath::Sse2, ChunkMaskPath::Avx2 }) {
        if (ChunkMaskPathAvailable(path))
            paths.push_back(path);
    }
    return paths;
}

struct SyntaxCase
{
    const char* pszName;
    std::string csText;
    // One letter per line, worked out by hand: D disabled, E empty, C comment only,
    // M code with a comment, K code only.
    const char* pszKinds;
    std::int64_t nCodeChars;
};

LineCounters countersOf(const SyntaxCase& sc)
{
    LineCounters c;
    for (const char* p = sc.pszKinds; *p != '\0'; ++p) {
        ++c.nTotalLines;
        c.nDisabledLines += *p == 'D';
        c.nEmptyLines += *p == 'E';
        c.nCommentLines += *p == 'C' || *p == 'M';
        c.nCodeLines += *p == 'M' || *p == 'K';
        c.nCodeOnlyLines += *p == 'K';
    }
    c.nCodeChars = sc.nCodeChars;
    c.nTotalChars = static_cast<std::int64_t>(sc.csText.size());
    return c;
}

class SyntaxClassification : public ::testing::TestWithParam<SyntaxCase>
{
};

// Every case is counted whole, byte by byte and in 64-byte chunks on each mask path,
// and by the scalar reference: all must give the hand-worked kinds.
TEST_P(SyntaxClassification, KindsMatch)
{
    const LineCounters expected = countersOf(GetParam());
    const std::string& csText = GetParam().csText;
    EXPECT_EQ(ReferenceSyntaxCount(csText), expected) << "reference";
    // Padding to whole chunks puts every case through the chunk path as well.
    for (const ChunkMaskPath path : availablePaths()) {
        EXPECT_EQ(countInBlocks(csText, csText.size() + 1, path), expected) << static_cast<int>(path);
        EXPECT_EQ(countInBlocks(csText, 1, path), expected) << static_cast<int>(path);
        const std::string csPadded = std::string(64, '\n') + csText;
        LineCounters padded = expected;
        padded.nTotalLines += 64;
        padded.nEmptyLines += 64;
        padded.nTotalChars += 64;
        if (GetParam().csText.rfind("\xEF\xBB\xBF", 0) != 0) { // a mark counts only at the very start
            EXPECT_EQ(countInBlocks(csPadded, csPadded.size(), path), padded) << static_cast<int>(path);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SyntaxLineStream, SyntaxClassification,
    ::testing::Values(
        // Comments
        SyntaxCase { "BlockCommentAlone", "/* c */\n", "C", 0 },
        SyntaxCase { "CodeThenBlockComment", "x; /* c */\n", "M", 4 },
        SyntaxCase { "BlockCommentSpansLines", "/* a\n\n   b */ x\n", "CEM", 3 },
        SyntaxCase { "BlockCommentsDoNotNest", "/* /* */ x */\n", "M", 6 },
        SyntaxCase { "LineCommentOwnsLineEnd", "x; // c\n", "M", 3 },
        SyntaxCase { "LineCommentContinuedByBackslash", "// a \\\nb;\nc;\n", "CCK", 3 },
        SyntaxCase { "SlashStarBackslashAtLineStart", "/*\\\nx */ y;\n", "CM", 4 },
        SyntaxCase { "SpliceBetweenSlashAndStar", "x /\\\n* c */\n", "MC", 2 },
        SyntaxCase { "SpliceBetweenStarAndSlash", "/* a *\\\n/ b\n", "CM", 3 },
        SyntaxCase { "SpliceAfterSlashThenCode", "x /\\\ny;\n", "KK", 8 },
        // Literals
        SyntaxCase { "StringHoldsCommentOpener", "s = \"/*\";\nx;\n", "KK", 13 },
        SyntaxCase { "BackslashBeforeClosingQuote", "s = \"\\\\\"; // c\n", "M", 10 },
        SyntaxCase { "EscapedQuoteCharacter", "c = '\\''; // q\n", "M", 10 },
        SyntaxCase { "SplicedEscapeKeepsTheString", "s = \"\\\\\n\"; // c\n", "KK", 16 },
        SyntaxCase { "SpliceTakesAnEscapedBackslash", "s = \"\\\\\nx /* c */\n", "KK", 18 },
        SyntaxCase { "UnterminatedCharEndsAtLineEnd", "don't // c\nx;\n", "KK", 14 },
        SyntaxCase { "DigitSeparators", "x = 1'000; // c\n'a';\n", "MK", 16 },
        SyntaxCase { "HexSeparatorsAndSuffix", "0x1'FF'u; /* c */\n", "M", 11 },
        SyntaxCase { "QuoteAfterNumberBeforeBlank", "x = 1' // c\n", "K", 12 },
        // Raw strings
        SyntaxCase { "RawStringHoldsLineComments", "R\"(\n// not\n)\";\n", "KKK", 15 },
        SyntaxCase { "RawStringWithDelimiterAndPrefix", "u8R\"x(//)\"\n)x\"; // c\n", "KM", 16 },
        SyntaxCase { "BlankLineInRawStringIsCode", "R\"(\n\n)\"\n", "KKK", 8 },
        SyntaxCase { "NoSpliceInRawString", "R\"(a)\\\n\"// c\n", "KK", 13 },
        SyntaxCase { "MalformedDelimiterMakesPlainString", "R\"a b\" // c\n", "M", 7 },
        SyntaxCase { "LongerPrefixIsAnIdentifier", "FOOR\"x\" // c\n", "M", 8 },
        SyntaxCase { "DollarMakesAnIdentifier", "$R\"(\" // c\n", "M", 6 },
        // Disabled groups
        SyntaxCase { "IfZeroBlock", "#if 0\nint a;\n\n// c\n#endif\nb;\n", "KDDDKK", 16 },
        SyntaxCase { "IfOneThenElse", "#if 1\na;\n#else\nb;\n#endif\n", "KKKDK", 22 },
        SyntaxCase { "IfZeroElifOneElse", "#if 0\na\n#elif 1\nb\n#else\nc\n#endif\n", "KDKKKDK", 29 },
        SyntaxCase { "UnknownThenElifZero", "#if X\na\n#elif 0\nb\n#else\nc\n#endif\n", "KKKDKKK", 31 },
        SyntaxCase { "ElifdefAfterTrue", "#if 1\na\n#elifdef X\nb\n#endif\n", "KKKDK", 26 },
        SyntaxCase { "NestedInsideDisabled", "#if 0\n#if 1\nx\n#else\ny\n#endif\n#endif\n", "KDDDDDK", 13 },
        SyntaxCase { "DigraphDirective", "%:if 0\nx\n%:endif\n", "KDK", 15 },
        SyntaxCase { "ParenZeroAndFalse", "#if ( 0 )\nx\n#endif\n#if false\ny\n#endif\n", "KDKKDK", 34 },
        SyntaxCase { "OtherExpressionIsLive", "#if 0+0\nx\n#endif\n", "KKK", 17 },
        SyntaxCase { "EndifInCommentEndsNothing", "#if 0\n/* #endif */\nx\n#endif\ny\n", "KDDKK", 15 },
        SyntaxCase { "CommentBeforeClosingDirective", "#if 0\nx\n/* c */ #endif\ny\n", "KDMK", 16 },
        SyntaxCase { "NameAfterSplice", "#if 0\n#\\\nendif\nx\n", "KKKK", 17 },
        SyntaxCase { "DirectiveExtendedByComment", "#if 0 /* a\n b */\nx\n#endif\n", "MCDK", 13 },
        SyntaxCase { "HashAfterCodeIsNoDirective", "x; #if 0\ny\n", "KK", 11 },
        SyntaxCase { "DisabledToEndOfFile", "#if 0\nx\n", "KD", 6 },
        // Lines, blanks and splices
        SyntaxCase { "SplicingBackslashIsCode", "   \\  \n", "K", 7 },
        SyntaxCase { "FormFeedAndVerticalTabAreBlank", "\f\v \n", "E", 0 },
        SyntaxCase { "LoneCrIsBlank", "\r\r\n", "E", 0 },
        SyntaxCase { "ByteOrderMarkIsBlank", "\xEF\xBB\xBF\n", "E", 0 },
        SyntaxCase { "ByteOrderMarkIsNoIdentifier", "\xEF\xBB\xBFR\"(\n)\" // c\n", "KM", 10 },
        SyntaxCase { "CrLfComments", "x; // c\r\n/* a\r\n b */\r\n\r\n", "MCCE", 3 },
        SyntaxCase { "CrLfSplice", "// a\\\r\nb\r\nc\r\n", "CCK", 3 },
        SyntaxCase { "CrLfDisabled", "#if 0\r\nx\r\n#endif\r\n", "KDK", 15 },
        // Files that end inside a construct
        SyntaxCase { "EndsInBlockComment", "x /* c", "M", 2 },
        SyntaxCase { "EndsInLineComment", "x // c", "M", 2 },
        SyntaxCase { "EndsInString", "\"abc", "K", 4 },
        SyntaxCase { "EndsInRawString", "R\"(ab\n", "K", 6 },
        SyntaxCase { "EndsInRawDelimiter", "R\"ab", "K", 4 },
        SyntaxCase { "EndsAfterSlash", "x /", "K", 3 },
        SyntaxCase { "EndsInBackslash", "x \\", "K", 3 },
        SyntaxCase { "EndsAfterSplice", "// c\\\n", "C", 0 },
        SyntaxCase { "EndsInDirectiveName", "#if 0\nx\n#end", "KDD", 6 },
        SyntaxCase { "EndsInEndif", "#if 0\nx\n#endif", "KDK", 12 },
        SyntaxCase { "EndsInPartOfByteOrderMark", "\xEF\xBB", "K", 2 },
        SyntaxCase { "EmptyFile", "", "", 0 }),
    [](const ::testing::TestParamInfo<SyntaxCase>& caseInfo) { return std::string(caseInfo.param.pszName); });

std::string randomSource(std::mt19937& rng, std::size_t nSize)
{
    static const std::vector<std::string> pieces = { "/", "*", "\"", "'", "\\", "\n", "\r", " ", "\t", "#", "%:", "R",
        "u8", "L", "(", ")", "x", "1", ".", "_", "$", "\xC3", "if 0\n", "if 1\n", "elif 0\n", "else\n", "endif\n",
        "ifdef A\n", "R\"d(", ")d\"", "//", "/*", "*/", "\\\n", "0'1", "\xEF\xBB\xBF" };
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string csText;
    while (csText.size() < nSize)
        csText += pieces[pick(rng)];
    return csText;
}

// Random sources cut into random blocks: every mask path agrees with the reference.
TEST(SyntaxLineStream, AgreesWithTheReferenceOnRandomSources)
{
    const std::vector<ChunkMaskPath> paths = availablePaths();
    for (unsigned nSeed = 1; nSeed <= 300; ++nSeed) {
        std::mt19937 rng(nSeed);
        const std::string csText = randomSource(rng, std::uniform_int_distribution<std::size_t>(1, 600)(rng));
        const LineCounters expected = ReferenceSyntaxCount(csText);
        for (const ChunkMaskPath path : paths) {
            const std::size_t nBlock = std::uniform_int_distribution<std::size_t>(1, 200)(rng);
            ASSERT_EQ(countInBlocks(csText, nBlock, path), expected)
                << "seed " << nSeed << " path " << static_cast<int>(path) << " block " << nBlock;
        }
    }
}

} // namespace
