#include "AtomicFile.h"

#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "TempDir.h"

TEST(ReadFileText, MissingIsEmptyButAnythingElseUnreadableIsAFailure)
{
    const TempDir dir;
    const FileText missing = ReadFileText(dir / "missing.ini");
    EXPECT_FALSE(missing.failure);
    EXPECT_FALSE(missing.bExists);

    // A FIFO must neither be read nor block the caller.
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0644), 0);
    for (const std::string& csPath : { dir.MakeDir("folder.ini"), dir / "fifo.ini" }) {
        const FileText text = ReadFileText(csPath);
        ASSERT_TRUE(text.failure);
        EXPECT_EQ(*text.failure, (FileFailure { FileFailureKind::NotRegularFile, csPath, 0 }));
    }
}

TEST(WriteFileAtomically, StoresEveryByteAndReadsItBackWhole)
{
    const TempDir dir;
    std::string csContent(3 << 20, '\0');
    for (std::size_t i = 0; i < csContent.size(); ++i)
        csContent[i] = static_cast<char>(i * 7 % 251);
    const std::string csPath = dir / "a/b/blob";
    ASSERT_TRUE(WriteFileAtomically(csPath, csContent));
    const FileText text = ReadFileText(csPath);
    EXPECT_TRUE(!text.failure && text.bExists);
    EXPECT_TRUE(text.csText == csContent);
    ASSERT_TRUE(WriteFileAtomically(csPath, ""));
    EXPECT_EQ(ReadWholeFile(csPath), "");
}
