#include <algorithm>
#include <cerrno>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "AtomicFile.h"
#include "PrivateProfile.h"
#include "ProfileFaults.h"
#include "RunAsNobody.h"
#include "TempDir.h"
#include "TreeTools.h"

namespace {

constexpr std::string_view PROJECTS = "Projects";
const std::string OTHER_BEFORE = "; Pindrel settings\n[lvResults]\nwidth0=120\nwidth1=67\n";
const std::string OTHER_AFTER = "[About]\nshown=1\n";

// A list as the dialog saves it: keys 0..n-1, directories of about 100 bytes.
std::vector<ProfileEntry> projectList(const std::string& csTag, std::size_t nCount)
{
    std::vector<ProfileEntry> entries;
    for (std::size_t i = 0; i < nCount; ++i) {
        std::string csValue = "/home/user/" + csTag + "/project-" + std::to_string(i) + "/";
        csValue.resize(100, 'x');
        entries.push_back({ std::to_string(i), csValue });
    }
    return entries;
}

std::string iniText(const std::vector<ProfileEntry>& entries)
{
    return ReplaceSectionInText(OTHER_BEFORE + "[Projects]\n0=placeholder\n" + OTHER_AFTER, PROJECTS, entries);
}

bool isTemporaryName(const std::string& csName)
{
    return csName.size() == std::string(".Pindrel.ini.XXXXXX").size() && csName.rfind(".Pindrel.ini.", 0) == 0;
}

struct StoreChange
{
    const char* pszName;
    std::function<FileStatus(const std::string&)> fnChange;
};

std::vector<StoreChange> storeChanges()
{
    return {
        { "replace",
            [](const std::string& csIni) {
                return ReplacePrivateProfileSection(csIni, PROJECTS, projectList("new", 3000));
            } },
        { "erase", [](const std::string& csIni) { return ErasePrivateProfileSection(csIni, PROJECTS); } },
        { "set", [](const std::string& csIni) { return WritePrivateProfileString(csIni, PROJECTS, "7", "/new/dir"); } },
        { "add section", [](const std::string& csIni) { return WritePrivateProfileString(csIni, "Later", "k", "v"); } },
    };
}

// What a change run in a forked child reported.
struct ChildResult
{
    bool bRan = false; // false: the child could not set itself up, the case does not apply
    std::optional<FileFailure> failure;
};

// Runs fnSetUp (which may refuse by returning false) and then fnChange in a child
// process, so that limits and identities it takes on stay out of the test process.
ChildResult runInChild(const std::function<bool()>& fnSetUp, const std::function<FileStatus()>& fnChange)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string csReport = "-";
        if (fnSetUp()) {
            const FileStatus status = fnChange();
            csReport = status ? "1"
                              : "0" + std::to_string(static_cast<int>(status.failure->kind)) + " "
                    + std::to_string(status.failure->nErrno) + " " + status.failure->csPath;
        }
        const ssize_t nWritten = ::write(fds[1], csReport.data(), csReport.size());
        ::_exit(nWritten == static_cast<ssize_t>(csReport.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string csReport;
    char acBuffer[4096];
    ssize_t nRead = 0;
    while ((nRead = ::read(fds[0], acBuffer, sizeof acBuffer)) > 0)
        csReport.append(acBuffer, static_cast<std::size_t>(nRead));
    ::close(fds[0]);
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    if (csReport.empty() || csReport[0] == '-')
        return {};
    if (csReport[0] == '1')
        return { true, std::nullopt };
    std::istringstream report(csReport.substr(1));
    int nKind = 0;
    FileFailure failure;
    report >> nKind >> failure.nErrno;
    report.get();
    std::getline(report, failure.csPath);
    failure.kind = static_cast<FileFailureKind>(nKind);
    return { true, failure };
}

} // namespace

// Every step of every kind of change is made to fail in turn: each failure is reported
// with the file's name and the reason, and leaves the old bytes and no temporary file.
TEST(ProfileStoreFaults, FailureAtAnyStepOfAnyChangeKeepsTheOldFile)
{
    const std::string csOld = iniText(projectList("old", 2000));
    for (const StoreChange& change : storeChanges()) {
        SCOPED_TRACE(change.pszName);
        std::vector<ProfileWriteStep> steps;
        std::string csWanted;
        {
            const TempDir dir;
            const std::string csIni = dir.WriteFile("Pindrel.ini", csOld);
            const ScopedProfileFaultHook hook([&](ProfileWriteStep step) {
                steps.push_back(step);
                return true;
            });
            ASSERT_TRUE(change.fnChange(csIni));
            csWanted = ReadWholeFile(csIni);
        }
        ASSERT_EQ(steps.size(), 4u);
        for (std::size_t nFailAt = 0; nFailAt < steps.size(); ++nFailAt) {
            SCOPED_TRACE(nFailAt);
            const TempDir dir;
            const std::string csIni = dir.WriteFile("Pindrel.ini", csOld);
            std::size_t nCall = 0;
            FileStatus status;
            {
                const ScopedProfileFaultHook hook([&](ProfileWriteStep) { return nCall++ != nFailAt; });
                status = change.fnChange(csIni);
            }
            const FileFailure expected[] = {
                { FileFailureKind::CannotCreateTemp, csIni, ENOSPC },
                { FileFailureKind::WriteFailed, csIni, ENOSPC },
                { FileFailureKind::SyncFailed, csIni, EIO },
                { FileFailureKind::ReplaceFailed, csIni, EIO },
            };
            ASSERT_FALSE(status);
            EXPECT_EQ(*status.failure, expected[static_cast<int>(steps[nFailAt])]);
            EXPECT_TRUE(ReadWholeFile(csIni) == csOld);
            EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string> { "Pindrel.ini" });

            ASSERT_TRUE(change.fnChange(csIni));
            EXPECT_TRUE(ReadWholeFile(csIni) == csWanted);
        }
    }

    // A change that changes nothing does not write at all, so no fault can touch it.
    const TempDir dir;
    const std::string csIni = dir.WriteFile("Pindrel.ini", OTHER_BEFORE);
    const ScopedProfileFaultHook hook([](ProfileWriteStep) { return false; });
    EXPECT_TRUE(ErasePrivateProfileSection(csIni, PROJECTS));
    EXPECT_TRUE(ReplacePrivateProfileSection(csIni, PROJECTS, {}));
    EXPECT_TRUE(WritePrivateProfileString(csIni, "lvResults", "width0", "120"));
}

// Names of temporary files left in the folder; anything else but the file fails the test.
std::size_t strayTemporaries(const std::string& csFolder)
{
    std::size_t nStray = 0;
    for (const std::string& csName : FolderNames(csFolder)) {
        if (csName == "Pindrel.ini")
            continue;
        EXPECT_TRUE(isTemporaryName(csName)) << csName;
        ++nStray;
    }
    return nStray;
}

// A writer killed just before each step of its save (the fault hook kills it) leaves the
// old file as it was, and what it left behind is hidden and never read in the file's place.
TEST(ProfileStoreFaults, WriterKilledAtEachStepLeavesTheOldFile)
{
    const TempDir dir;
    const std::string csIni = dir / "Pindrel.ini";
    const std::vector<ProfileEntry> oldList = projectList("old", 500);
    const std::vector<ProfileEntry> newList = projectList("new", 700);
    const std::string csOld = iniText(oldList);
    std::size_t nStrayBefore = 0;
    for (const ProfileWriteStep killAt :
        { ProfileWriteStep::CreateTemp, ProfileWriteStep::Write, ProfileWriteStep::Sync, ProfileWriteStep::Rename }) {
        SCOPED_TRACE(static_cast<int>(killAt));
        ASSERT_TRUE(WriteFileAtomically(csIni, csOld));
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SetProfileFaultHook([killAt](ProfileWriteStep step) {
                if (step == killAt)
                    ::kill(::getpid(), SIGKILL);
                return true;
            });
            static_cast<void>(ReplacePrivateProfileSection(csIni, PROJECTS, newList));
            ::_exit(3);
        }
        int nStatus = 0;
        ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nStatus));
        EXPECT_TRUE(ReadWholeFile(csIni) == csOld);
        EXPECT_EQ(ReadPrivateProfileSection(csIni, PROJECTS), oldList);
        const std::size_t nStray = strayTemporaries(dir.Path());
        EXPECT_EQ(nStray, nStrayBefore + (killAt == ProfileWriteStep::CreateTemp ? 0 : 1));
        nStrayBefore = nStray;

        // The next save is not disturbed by what the killed one left.
        ASSERT_TRUE(ReplacePrivateProfileSection(csIni, PROJECTS, newList));
        EXPECT_EQ(ReadPrivateProfileSection(csIni, PROJECTS), newList);
    }
}

// A writer killed at random moments while it saves large sections, one list after the
// other, leaves the list it started from or one it finished, with the other sections intact.
TEST(ProfileStoreFaults, KilledWriterLeavesOldOrNewListNeverAMix)
{
    const Watchdog watchdog(240);
    const TempDir dir;
    const std::string csIni = dir / "Pindrel.ini";
    const std::vector<ProfileEntry> oldList = projectList("old", 4000);
    const std::vector<std::vector<ProfileEntry>> written { projectList("first", 4000), projectList("second", 4005) };
    const std::vector<std::string> candidates { iniText(oldList), iniText(written[0]), iniText(written[1]) };

    // Delays spread over a few saves, so kills land before, inside and after writes.
    ASSERT_TRUE(WriteFileAtomically(csIni, candidates[0]));
    const double dStart = SteadySeconds();
    ASSERT_TRUE(ReplacePrivateProfileSection(csIni, PROJECTS, written[0]));
    const auto nSaveMicros = static_cast<unsigned>((SteadySeconds() - dStart) * 1e6) + 1000;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<unsigned> delay(0, 3 * nSaveMicros);

    constexpr int ROUNDS = 30;
    std::vector<int> endedAs(candidates.size(), 0);
    for (int nRound = 0; nRound < ROUNDS; ++nRound) {
        SCOPED_TRACE(nRound);
        ASSERT_TRUE(WriteFileAtomically(csIni, candidates[0]));
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (std::size_t i = 0;; ++i) {
                if (!ReplacePrivateProfileSection(csIni, PROJECTS, written[i % 2]))
                    ::_exit(3);
            }
        }
        ::usleep(delay(random));
        // A loaded machine may not run the writer within any delay: the last round waits for
        // a finished save, so that the kills always meet one.
        if (nRound == ROUNDS - 1 && endedAs[1] + endedAs[2] == 0) {
            while (ReadWholeFile(csIni) == candidates[0])
                ::usleep(1000);
        }
        ::kill(pid, SIGKILL);
        int nStatus = 0;
        ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nStatus)) << "the writer stopped on its own: a save failed";

        const std::string csText = ReadWholeFile(csIni);
        const auto it = std::find(candidates.begin(), candidates.end(), csText);
        ASSERT_TRUE(it != candidates.end()) << "the file holds " << csText.size() << " bytes of neither list";
        const auto nWhich = static_cast<std::size_t>(it - candidates.begin());
        ++endedAs[nWhich];
        EXPECT_EQ(ReadPrivateProfileSection(csIni, PROJECTS), nWhich == 0 ? oldList : written[nWhich - 1]);
    }
    const std::size_t nStray = strayTemporaries(dir.Path());
    std::cout << "after " << ROUNDS << " kills (a save takes about " << nSaveMicros / 1000 << " ms): old list "
              << endedAs[0] << ", first " << endedAs[1] << ", second " << endedAs[2] << "; " << nStray
              << " temporary files left by killed saves\n";
    EXPECT_GT(endedAs[1] + endedAs[2], 0) << "no save ever finished: the kills tested nothing";
}

// A write the system cuts short (here the file-size limit, as a full disk would) is
// reported with its reason, and the old file and the folder stay as they were.
TEST(ProfileStoreFaults, WriteCutShortBySystemIsReportedAndKeepsTheOldFile)
{
    const TempDir dir;
    const std::string csOld = iniText(projectList("old", 10));
    const std::string csIni = dir.WriteFile("Pindrel.ini", csOld);
    const ChildResult result = runInChild(
        [] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit { 64 * 1024, 64 * 1024 };
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        [&] { return ReplacePrivateProfileSection(csIni, PROJECTS, projectList("new", 10000)); });
    ASSERT_TRUE(result.bRan);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(*result.failure, (FileFailure { FileFailureKind::WriteFailed, csIni, EFBIG }));
    EXPECT_TRUE(ReadWholeFile(csIni) == csOld);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string> { "Pindrel.ini" });
}

// A folder the user may not write in, and a file the user may not write, refuse the save
// with a reason and keep the file. Root ignores permission bits, so the save runs as nobody.
TEST(ProfileStoreFaults, UnwritableFolderOrFileIsReportedAndKeepsTheOldFile)
{
    const TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string csFolder = dir.MakeDir("config");
    const std::string csOld = iniText(projectList("old", 10));
    const std::string csIni = dir.WriteFile("config/Pindrel.ini", csOld);
    const auto fnSave = [&] { return ReplacePrivateProfileSection(csIni, PROJECTS, projectList("new", 10)); };

    struct Case
    {
        const char* pszName;
        mode_t nFolderMode;
        bool bFileOwnedBySaver; // the saver may write the file itself
        FileFailureKind kind;
    };
    for (const Case& c : { Case { "read-only folder", 0555, true, FileFailureKind::CannotCreateTemp },
             Case { "read-only file", 0755, false, FileFailureKind::CannotWrite } }) {
        SCOPED_TRACE(c.pszName);
        ASSERT_EQ(::chmod(csFolder.c_str(), c.nFolderMode), 0);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(csIni.c_str(), c.bFileOwnedBySaver ? NOBODY_ID : 0, 0), 0);
        } else if (!c.bFileOwnedBySaver) {
            ASSERT_EQ(::chmod(csIni.c_str(), 0444), 0);
        }
        const ChildResult result = runInChild(BecomeNobody, fnSave);
        ::chmod(csFolder.c_str(), 0755);
        ::chmod(csIni.c_str(), 0644);
        if (!result.bRan)
            GTEST_SKIP() << "cannot take another user's identity here";
        ASSERT_TRUE(result.failure);
        EXPECT_EQ(*result.failure, (FileFailure { c.kind, csIni, EACCES }));
        EXPECT_TRUE(ReadWholeFile(csIni) == csOld);
        EXPECT_EQ(FolderNames(csFolder), std::vector<std::string> { "Pindrel.ini" });
    }

    // The folder replaced by a plain file: nothing can be saved below it, and the file stays.
    const std::string csMoved = dir / "config.moved";
    ASSERT_EQ(::rename(csFolder.c_str(), csMoved.c_str()), 0);
    dir.WriteFile("config", "not a folder");
    const FileStatus status = fnSave();
    ASSERT_FALSE(status);
    EXPECT_EQ(*status.failure, (FileFailure { FileFailureKind::CannotWrite, csIni, ENOTDIR }));
    EXPECT_EQ(ReadWholeFile(csFolder), "not a folder");
    EXPECT_TRUE(ReadWholeFile(csMoved + "/Pindrel.ini") == csOld);
}
