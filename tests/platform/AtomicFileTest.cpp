#include "AtomicFile.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "TempDir.h"

namespace fs = std::filesystem;

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

TEST(WriteFileAtomically, KeepsTheUsersFilesThatLookLikeItsTemporaryOnes)
{
    // The page and the INI store both save through here; only ".<name>.pindrel-" and six letters or digits
    // are ours to sweep, so every name below must survive.
    for (const std::string csTarget : { "report.html", "Pindrel.ini" }) {
        const TempDir dir;
        const std::string csPath = dir.WriteFile(csTarget, "old");
        const std::vector<std::string> userNames = { "." + csTarget + ".backup", "." + csTarget + ".a1B2c3",
            "." + csTarget + ".bak", "." + csTarget + ".backup7", "." + csTarget + ".pindrel-a1B2c",
            "." + csTarget + ".pindrel-a1B2c3d", "." + csTarget + ".pindrel-a1.2c3", "." + csTarget + "pindrel-a1B2c3",
            csTarget + ".pindrel-a1B2c3", "." + csTarget + ".PINDREL-a1B2c3" };
        // An hour old, long past the age at which a leftover is swept.
        for (const std::string& csName : userNames)
            fs::last_write_time(
                dir.WriteFile(csName, "mine"), fs::file_time_type::clock::now() - std::chrono::hours(1));
        ASSERT_TRUE(WriteFileAtomically(csPath, "new"));
        EXPECT_EQ(ReadWholeFile(csPath), "new");
        for (const std::string& csName : userNames)
            EXPECT_EQ(ReadWholeFile(dir / csName), "mine") << csName;
    }
}
