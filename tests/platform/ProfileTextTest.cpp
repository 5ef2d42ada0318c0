#include "ProfileText.h"

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using Entries = std::vector<ProfileEntry>;

// Found by argument lookup, so failures show the entries as text.
static void PrintTo(const ProfileEntry& entry, std::ostream* pOut)
{
    *pOut << testing::PrintToString(entry.csKey) << '=' << testing::PrintToString(entry.csValue);
}

TEST(ReplaceSectionInText, KeepsEverythingButTheEntriesByteForByte)
{
    const std::string csBefore = "\xEF\xBB\xBF; top comment\n"
                                 "orphan=kept\n"
                                 "[A]\r\nk = v \r\n\r\n"
                                 "[Projects]\n0=old\n; inner comment\n/bare/path\n1=old\n\n"
                                 "[B]\nx=\"  y  \"\n[unclosed\nlast line without end";
    const std::string csExpected = "\xEF\xBB\xBF; top comment\n"
                                   "orphan=kept\n"
                                   "[A]\r\nk = v \r\n\r\n"
                                   "[Projects]\n0=new\n; inner comment\n/bare/path\n1=two\n2=three\n\n"
                                   "[B]\nx=\"  y  \"\n[unclosed\nlast line without end";
    EXPECT_EQ(ReplaceSectionInText(csBefore, "Projects", { { "0", "new" }, { "1", "two" }, { "2", "three" } }),
        csExpected);
}

TEST(ReplaceSectionInText, RemovesEveryDuplicateAndWritesWhereTheFirstStood)
{
    const std::string csText = "[P]\n0=first\n[X]\nq=1\n[ p ]\n0=second\n";
    EXPECT_EQ(ReadSectionFromText(csText, "P"), (Entries { { "0", "first" }, { "0", "second" } }));
    EXPECT_EQ(ReplaceSectionInText(csText, "P", { { "0", "n" } }), "[P]\n0=n\n[X]\nq=1\n");
    EXPECT_EQ(ReplaceSectionInText(csText, "p", {}), "[X]\nq=1\n");
}

TEST(ReplaceSectionInText, AddsAMissingSectionAtTheEndInTheFilesLineEnds)
{
    struct Case
    {
        std::string csBefore;
        std::string csAfter;
    };
    const Case cases[] = {
        { "", "[P]\n0=v\n" },
        { "[A]\na=1\n", "[A]\na=1\n[P]\n0=v\n" },
        { "[A]\na=1", "[A]\na=1\n[P]\n0=v\n" },
        { "[A]\r\na=1\r\n", "[A]\r\na=1\r\n[P]\r\n0=v\r\n" },
        { "\xEF\xBB\xBF", "\xEF\xBB\xBF[P]\n0=v\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csBefore);
        EXPECT_EQ(ReplaceSectionInText(c.csBefore, "P", { { "0", "v" } }), c.csAfter);
        EXPECT_EQ(ReplaceSectionInText(c.csBefore, "P", {}), c.csBefore);
    }
}

TEST(ReadSectionFromText, TakesKeysInFileOrderTrimmedAndCaseInsensitively)
{
    const std::string csText = "0=no section\n[Other]\n1=other\n[ PROJECTS ]\n5=five\n  2 =  two  \n; 3=comment\n"
                               "# 4=comment\nno equals sign\n=no key\nx=\"  ex \"\n[Projects\n9=still inside\n";
    const Entries expected { { "5", "five" }, { "2", "two" }, { "x", "  ex " }, { "9", "still inside" } };
    EXPECT_EQ(ReadSectionFromText(csText, "projects"), expected);
    EXPECT_EQ(FindValueInText(csText, "Projects", "X"), "  ex ");
    EXPECT_EQ(FindValueInText(csText, "Projects", "1"), std::nullopt);
    EXPECT_EQ(FindValueInText(csText, "Missing", "5"), std::nullopt);
    // Old Mac files end lines in a lone CR; CRs before an LF, however many, are one line end.
    EXPECT_EQ(ReadSectionFromText("[P]\r0=a\r1=b", "P"), (Entries { { "0", "a" }, { "1", "b" } }));
    EXPECT_EQ(ReadSectionFromText("[P]\r\r\n0=a\r\r\n1=b\r\r\r\n", "P"), (Entries { { "0", "a" }, { "1", "b" } }));
}

TEST(SetValueInText, ReplacesTheFirstKeyInPlaceOrAddsAfterTheLastEntry)
{
    const std::string csText = "[A]\r\nKey=old\r\nz=1\r\n; closing comment\r\n\r\n[B]\r\nb=2";
    EXPECT_EQ(
        SetValueInText(csText, "a", "KEY", "new"), "[A]\r\nKEY=new\r\nz=1\r\n; closing comment\r\n\r\n[B]\r\nb=2");
    EXPECT_EQ(SetValueInText(csText, "A", "added", " v "),
        "[A]\r\nKey=old\r\nz=1\r\nadded=\" v \"\r\n; closing comment\r\n\r\n[B]\r\nb=2");
    EXPECT_EQ(SetValueInText(csText, "B", "c", "3"),
        "[A]\r\nKey=old\r\nz=1\r\n; closing comment\r\n\r\n[B]\r\nb=2\r\nc=3\r\n");
    EXPECT_EQ(SetValueInText("[E]\n", "E", "k", "v"), "[E]\nk=v\n");
    // A section that stands twice is one list: its key is found in either, a new one comes last.
    EXPECT_EQ(SetValueInText("[A]\na=1\n[B]\n[a]\nk=dup\n", "A", "k", "v"), "[A]\na=1\n[B]\n[a]\nk=v\n");
    EXPECT_EQ(SetValueInText("[A]\na=1\n[B]\n[a]\nk=dup\n", "A", "n", "v"), "[A]\na=1\n[B]\n[a]\nk=dup\nn=v\n");
}

namespace {

// Text made mostly of the bytes the parser cares about, plus NULs, high bytes and long runs.
std::string makeGarbage(std::mt19937& random)
{
    static const std::string csAlphabet = std::string("[]=\n\r \t\";#Pprojects0k\xEF\xBB\xBF\xFF\x80", 26) + '\0';
    std::uniform_int_distribution<std::size_t> pick(0, csAlphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 400);
    std::string csText;
    for (int nPiece = length(random) % 12; nPiece >= 0; --nPiece) {
        if (pick(random) % 4 == 0)
            csText += "[Projects]\n";
        for (int n = length(random); n > 0; --n)
            csText += csAlphabet[pick(random)];
    }
    if (pick(random) % 8 == 0)
        csText += std::string(100000, 'x');
    return csText;
}

} // namespace

TEST(ProfileText, GarbageReadsBackExactlyWhatWasWrittenIntoIt)
{
    std::mt19937 random(20240607);
    const Entries entries { { "0", " a " }, { "1", "\"q\"" }, { "2", "" } };
    for (int nRound = 0; nRound < 500; ++nRound) {
        const std::string csGarbage = makeGarbage(random);
        SCOPED_TRACE(nRound);
        static_cast<void>(ReadSectionFromText(csGarbage, "Projects"));
        const std::string csReplaced = ReplaceSectionInText(csGarbage, "Projects", entries);
        ASSERT_EQ(ReadSectionFromText(csReplaced, "Projects"), entries);
        ASSERT_TRUE(ReadSectionFromText(ReplaceSectionInText(csReplaced, "Projects", {}), "Projects").empty());
        ASSERT_EQ(FindValueInText(SetValueInText(csGarbage, "Projects", "k", " v\"v "), "Projects", "k"), " v\"v ");
    }
}
