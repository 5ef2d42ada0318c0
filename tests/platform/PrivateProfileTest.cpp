#include "PrivateProfile.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "ProfileFaults.h"
#include "RunAsNobody.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string OTHER_SECTIONS = "[lvResults]\n; widths\nwidth0=120\n";

// Whether permission bits bind this process (they do not for root).
// The path a save names when it fails, or nothing when it succeeds. Root ignores permission
// bits, so the save runs in a child that acts as nobody.
std::optional<std::string> failedPathOfSaveAsNobody(const std::string& csIni)
{
    int anPipe[2];
    if (::pipe(anPipe) != 0)
        return "(no pipe)";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(anPipe[0]);
        if (!BecomeNobody())
            ::_exit(2);
        const FileStatus status = ReplacePrivateProfileSection(csIni, "Projects", { { "0", "x" } });
        const std::string csPath = status ? std::string() : status.failure->csPath;
        const bool bWritten = ::write(anPipe[1], csPath.data(), csPath.size()) == static_cast<ssize_t>(csPath.size());
        ::_exit(!bWritten ? 3 : status ? 0 : 1);
    }
    ::close(anPipe[1]);
    std::string csPath;
    char acBuffer[4096];
    for (ssize_t n; (n = ::read(anPipe[0], acBuffer, sizeof acBuffer)) > 0;)
        csPath.append(acBuffer, static_cast<std::size_t>(n));
    ::close(anPipe[0]);
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    if (!WIFEXITED(nStatus) || WEXITSTATUS(nStatus) > 1)
        return "(the child acting as nobody failed)";
    return WEXITSTATUS(nStatus) == 0 ? std::nullopt : std::optional(csPath);
}

class ProfileValueRoundTrip : public testing::TestWithParam<std::string>
{
};

} // namespace

TEST_P(ProfileValueRoundTrip, ReadsBackExactlyAndInjectsNothing)
{
    const TempDir dir;
    const std::string csIni = dir / "Pindrel.ini";
    const std::string& csValue = GetParam();
    ASSERT_TRUE(WritePrivateProfileString(csIni, "Projects", "0", csValue));
    ASSERT_TRUE(WritePrivateProfileString(csIni, "Projects", "after", "z"));
    EXPECT_EQ(GetPrivateProfileString(csIni, "Projects", "0", "Bidon!"), csValue);
    EXPECT_EQ(GetPrivateProfileKeys(csIni, "Projects"), (std::vector<std::string> { "0", "after" }));

    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, "Projects", { { "0", csValue }, { "1", csValue } }));
    const std::vector<ProfileEntry> expected { { "0", csValue }, { "1", csValue } };
    EXPECT_TRUE(ReadPrivateProfileSection(csIni, "Projects") == expected);
}

std::string allHighBytes()
{
    std::string cs;
    for (int c = 0x80; c <= 0xFF; ++c)
        cs += static_cast<char>(c);
    return cs;
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileValueRoundTrip,
    testing::Values("  a  ", "\"x\"", "\"", "", " ", "\t", "a=b", "[x]", "[Other]", "; not a comment",
        "# not a comment", "\"  \"", "x\"", "\"x", std::string(5000, 'v'), allHighBytes(), "C:\\src\\Größe — 日本",
        "\xEF\xBB\xBF"
        "bom"));

TEST(PrivateProfile, KeysComeInFileOrderAndNamesIgnoreCase)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", "[PROJECTS]\n5=five\n2=two\nx=ex\n");
    EXPECT_EQ(GetPrivateProfileKeys(csIni, "Projects"), (std::vector<std::string> { "5", "2", "x" }));
    EXPECT_EQ(GetPrivateProfileString(csIni, "projects", "X", "Bidon!"), "ex");
    EXPECT_EQ(GetPrivateProfileString(csIni, "Projects", "7", "Bidon!"), "Bidon!");
    EXPECT_EQ(GetPrivateProfileString(csIni, "Other", "5", "Bidon!"), "Bidon!");
    EXPECT_EQ(GetPrivateProfileString(dir / "missing.ini", "Projects", "5", "Bidon!"), "Bidon!");
    EXPECT_TRUE(GetPrivateProfileKeys(dir / "missing.ini", "Projects").empty());

    ASSERT_TRUE(WritePrivateProfileString(csIni, "projects", "X", "new"));
    EXPECT_EQ(ReadWholeFile(csIni), "[PROJECTS]\n5=five\n2=two\nX=new\n");
}

TEST(PrivateProfile, ReplaceAndEraseKeepOtherSectionsByteForByte)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", "[Projects]\n0=a\n" + OTHER_SECTIONS);
    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, "Projects", { { "0", "b" }, { "1", "c" } }));
    EXPECT_EQ(ReadWholeFile(csIni), "[Projects]\n0=b\n1=c\n" + OTHER_SECTIONS);
    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, "Projects", {}));
    EXPECT_EQ(ReadWholeFile(csIni), OTHER_SECTIONS);
    ASSERT_TRUE(ErasePrivateProfileSection(csIni, "lvResults"));
    EXPECT_EQ(ReadWholeFile(csIni), "");
}

TEST(PrivateProfile, CreatesFileAndFoldersOnlyWhenThereIsSomethingToStore)
{
    const TempDir dir;
    const std::string csIni = dir / "config/Pindrel/Pindrel.ini";
    ASSERT_TRUE(ErasePrivateProfileSection(csIni, "Projects"));
    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, "Projects", {}));
    EXPECT_FALSE(fs::exists(dir / "config"));

    const mode_t nOldMask = ::umask(027);
    const FileStatus status = WritePrivateProfileString(csIni, "Projects", "0", "x");
    ::umask(nOldMask);
    ASSERT_TRUE(status);
    EXPECT_EQ(ReadWholeFile(csIni), "[Projects]\n0=x\n");
    EXPECT_EQ(fs::status(csIni).permissions(), fs::perms(0640));
    EXPECT_EQ(FolderNames(dir / "config/Pindrel"), std::vector<std::string> { "Pindrel.ini" });
}

TEST(PrivateProfile, ExistingFileKeepsItsPermissionBits)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", OTHER_SECTIONS);
    ::chmod(csIni.c_str(), 0604);
    ASSERT_TRUE(WritePrivateProfileString(csIni, "Projects", "0", "x"));
    EXPECT_EQ(fs::status(csIni).permissions(), fs::perms(0604));
}

struct RefusedWrite
{
    std::string csSection;
    std::string csKey;
    std::string csValue;
};

class PrivateProfileRefuses : public testing::TestWithParam<RefusedWrite>
{
};

TEST_P(PrivateProfileRefuses, WritesThatWouldBreakTheFileAndLeavesItAlone)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", OTHER_SECTIONS);
    const RefusedWrite& write = GetParam();
    const FileStatus status = WritePrivateProfileString(csIni, write.csSection, write.csKey, write.csValue);
    ASSERT_FALSE(status);
    EXPECT_EQ(*status.failure, (FileFailure { FileFailureKind::InvalidEntry, csIni, 0 }));
    EXPECT_FALSE(
        ReplacePrivateProfileSection(csIni, write.csSection, { { "0", "fine" }, { write.csKey, write.csValue } }));
    EXPECT_EQ(ReadWholeFile(csIni), OTHER_SECTIONS);
}

INSTANTIATE_TEST_SUITE_P(BadInput, PrivateProfileRefuses,
    testing::Values(RefusedWrite { "Projects", "0", "a\nb" }, RefusedWrite { "Projects", "0", "a\rb" },
        RefusedWrite { "Projects", "0", std::string("a\0b", 3) }, RefusedWrite { "Projects", "a=b", "v" },
        RefusedWrite { "Projects", "[k", "v" }, RefusedWrite { "Projects", "k]", "v" },
        RefusedWrite { "Projects", "", "v" }, RefusedWrite { "Projects", " k", "v" },
        RefusedWrite { "Projects", "k\t", "v" }, RefusedWrite { "Projects", ";k", "v" },
        RefusedWrite { "Projects", "#k", "v" }, RefusedWrite { "Projects", "a\nb", "v" }, RefusedWrite { "", "0", "v" },
        RefusedWrite { "P]", "0", "v" }, RefusedWrite { " P", "0", "v" }, RefusedWrite { "a\n[b", "0", "v" }));

TEST(PrivateProfile, UnreadableOrUnreachableFileIsNeverOverwritten)
{
    const TempDir dir;
    const std::string csAsFolder = dir.WriteFile("folder.ini/inside", "keep");
    const std::string csParentIsFile = dir.WriteFile("plain", "keep") + "/Pindrel.ini";
    for (const std::string& csIni : { dir / "folder.ini", csParentIsFile }) {
        SCOPED_TRACE(csIni);
        const FileStatus status = WritePrivateProfileString(csIni, "Projects", "0", "x");
        ASSERT_FALSE(status);
        EXPECT_EQ(status.failure->csPath, csIni);
        EXPECT_FALSE(ReplacePrivateProfileSection(csIni, "Projects", { { "0", "x" } }));
        EXPECT_TRUE(GetPrivateProfileKeys(csIni, "Projects").empty());
    }
    EXPECT_FALSE(ErasePrivateProfileSection(dir / "folder.ini", "Projects"));
    EXPECT_EQ(ReadWholeFile(csAsFolder), "keep");
    EXPECT_EQ(ReadWholeFile(dir / "plain"), "keep");
    EXPECT_EQ(FolderNames(dir.Path()).size(), 2u);
}

TEST(PrivateProfile, ReadOnlyFileOrFolderFailsAndStaysIntact)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("ro/Pindrel.ini", OTHER_SECTIONS);
    ASSERT_TRUE(GiveToNobody(dir.Path()));
    for (const auto& [csChmodPath, nMode] : { std::pair { csIni, 0444 }, std::pair { dir / "ro", 0555 } }) {
        SCOPED_TRACE(csChmodPath);
        ::chmod(csChmodPath.c_str(), static_cast<mode_t>(nMode));
        const std::optional<std::string> failedPath = failedPathOfSaveAsNobody(csIni);
        ::chmod(csChmodPath.c_str(), csChmodPath == csIni ? 0644 : 0755);
        EXPECT_EQ(failedPath, std::optional(csIni));
        EXPECT_EQ(ReadWholeFile(csIni), OTHER_SECTIONS);
        EXPECT_EQ(FolderNames(dir / "ro"), std::vector<std::string> { "Pindrel.ini" });
    }
}

class ProfileWriteFault : public testing::TestWithParam<ProfileWriteStep>
{
};

std::string stepName(const testing::TestParamInfo<ProfileWriteStep>& info)
{
    const char* const apszNames[] = { "CreateTemp", "Write", "Sync", "Rename" };
    return apszNames[static_cast<int>(info.param)];
}

TEST_P(ProfileWriteFault, LeavesTheOldContentAndNoTemporaryFile)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", "[Projects]\n0=old\n" + OTHER_SECTIONS);
    std::vector<ProfileWriteStep> steps;
    FileStatus status;
    {
        const ScopedProfileFaultHook hook([&](ProfileWriteStep step) {
            steps.push_back(step);
            return step != GetParam();
        });
        status = ReplacePrivateProfileSection(csIni, "Projects", { { "0", "new" } });
    }
    ASSERT_FALSE(status);
    EXPECT_EQ(status.failure->csPath, csIni);
    EXPECT_EQ(steps.back(), GetParam());
    EXPECT_EQ(ReadWholeFile(csIni), "[Projects]\n0=old\n" + OTHER_SECTIONS);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string> { "Pindrel.ini" });

    // Unhooked again, the same write goes through every step.
    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, "Projects", { { "0", "new" } }));
    EXPECT_EQ(ReadWholeFile(csIni), "[Projects]\n0=new\n" + OTHER_SECTIONS);
}

INSTANTIATE_TEST_SUITE_P(Steps, ProfileWriteFault,
    testing::Values(
        ProfileWriteStep::CreateTemp, ProfileWriteStep::Write, ProfileWriteStep::Sync, ProfileWriteStep::Rename),
    stepName);

TEST(PrivateProfile, SymlinkedFileIsWrittenThroughAndStaysALink)
{
    const TempDir dir;
    const std::string csTarget = dir.WriteFile("real/Pindrel.ini", OTHER_SECTIONS);
    fs::create_symlink("real/Pindrel.ini", dir / "link.ini");
    fs::create_symlink(dir / "later/created.ini", dir / "dangling.ini");
    ASSERT_TRUE(WritePrivateProfileString(dir / "link.ini", "Projects", "0", "x"));
    ASSERT_TRUE(WritePrivateProfileString(dir / "dangling.ini", "Projects", "0", "y"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.ini"));
    EXPECT_EQ(ReadWholeFile(csTarget), OTHER_SECTIONS + "[Projects]\n0=x\n");
    EXPECT_EQ(ReadWholeFile(dir / "later/created.ini"), "[Projects]\n0=y\n");

    fs::create_symlink("loop.ini", dir / "loop.ini");
    EXPECT_FALSE(WritePrivateProfileString(dir / "loop.ini", "Projects", "0", "x"));
}

TEST(PrivateProfile, GarbageFileReadsAsNothingAndKeepsItsBytesOnWrite)
{
    const TempDir dir;
    const std::string csGarbage = std::string("\0\x01\xFF[Projects\n\0=\0\n", 16) + std::string(200000, 'g') + "\r\r[";
    const std::string csIni = dir.WriteFile("Pindrel.ini", csGarbage);
    EXPECT_TRUE(GetPrivateProfileKeys(csIni, "Projects").empty());
    ASSERT_TRUE(WritePrivateProfileString(csIni, "Projects", "0", "x"));
    EXPECT_EQ(ReadWholeFile(csIni), csGarbage + "\n[Projects]\n0=x\n");
}

TEST(PrivateProfile, SaveClearsTemporaryFilesOfKilledSavesButNotFreshOnes)
{
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", "[Projects]\n0=old\n");
    const std::string csStale = dir.WriteFile(".Pindrel.ini.pindrel-a1B2c3", "[Projects]\n0=half");
    const std::string csFresh = dir.WriteFile(".Pindrel.ini.pindrel-Z9y8X7", "[Projects]\n0=in progress");
    const std::string csOther = dir.WriteFile(".Pindrel.ini.notes", "not ours");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(csStale, old);
    fs::last_write_time(csOther, old);

    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, "Projects", { { "0", "new" } }));
    EXPECT_FALSE(fs::exists(csStale));
    EXPECT_TRUE(fs::exists(csFresh)) << "another instance may be saving";
    EXPECT_TRUE(fs::exists(csOther)) << "only the names a save makes";
}
