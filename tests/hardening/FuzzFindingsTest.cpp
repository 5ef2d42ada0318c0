#include <string>

#include <gtest/gtest.h>

#include "ProfileText.h"

// Found by fuzz_profile_section: a file whose last line ends in a lone CR. Continuing the
// text after it must turn that CR into CR LF (another CR LF would leave the first CR
// inside the line, as part of its value), and the lines added must follow suit.
TEST(ProfileTextFindings, TextEndingInLoneCrIsContinuedWithoutChangingItsLastLine)
{
    const std::string csOtherSection = "[A]\r\nx=1\r";
    const std::string csAppended = ReplaceSectionInText(csOtherSection, "Projects", { { "0", "new" } });
    EXPECT_EQ(csAppended, "[A]\r\nx=1\r\n[Projects]\r\n0=new\r\n");
    EXPECT_EQ(FindValueInText(csAppended, "A", "x"), "1");

    const std::string csSameSection = "[Projects]\r\n0=a\r";
    const std::string csSet = SetValueInText(csSameSection, "Projects", "1", "b");
    EXPECT_EQ(csSet, "[Projects]\r\n0=a\r\n1=b\r\n");
    EXPECT_EQ(ReadSectionFromText(csSet, "Projects"), (std::vector<ProfileEntry> { { "0", "a" }, { "1", "b" } }));

    // Without any LF it is an old Mac file, whose lines end in CR: the section follows suit, and
    // saving the same list again must not rewrite it in other line ends.
    const std::string csOnlyCr = "[or\rv\r";
    const std::string csOnce = ReplaceSectionInText(csOnlyCr, "Projects", { { "0", "a" }, { "1", ";" } });
    EXPECT_EQ(csOnce, "[or\rv\r[Projects]\r0=a\r1=;\r");
    EXPECT_EQ(ReplaceSectionInText(csOnce, "Projects", { { "0", "a" }, { "1", ";" } }), csOnce);
}
