// pindrel-report --html as a user meets it: names without a folder, modes, links, read-only
// files. Root ignores permission bits, so under root every run drops to nobody.
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FileHandle.h"
#include "RunAsNobody.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string& csPath)
{
    struct stat st = {};
    return ::stat(csPath.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class HtmlFile : public testing::Test
{
protected:
    void SetUp() override
    {
        m_dir.WriteFile("src/a.c", "int a;\n");
        m_dir.MakeDir("out");
    }

    // Runs pindrel-report --html csName in the out folder, under the umask, as an unprivileged user
    // who owns the folder's files, as if that user had made them.
    ProcessResult Export(const std::string& csName, const char* pszUmask = "022") const
    {
        EXPECT_TRUE(GiveToNobody(m_dir.Path()));
        return RunAsNobody(PINDREL_REPORT_PATH, { "--html", csName, m_dir / "src" }, { m_dir / "out", pszUmask });
    }

    [[nodiscard]] bool HoldsThePage(const std::string& csName) const
    {
        return ReadWholeFile(m_dir / ("out/" + csName)).find("</html>") != std::string::npos;
    }

    TempDir m_dir;
};

} // namespace

TEST_F(HtmlFile, NewFileWithoutAFolderGetsTheUmasksMode)
{
    for (const auto& [pszUmask, nMode] : { std::pair { "022", 0644 }, std::pair { "077", 0600 } }) {
        SCOPED_TRACE(pszUmask);
        fs::remove(m_dir / "out/new.html");
        const ProcessResult result = Export("new.html", pszUmask);
        EXPECT_EQ(result.nExitCode, 0) << result.csErr;
        EXPECT_TRUE(HoldsThePage("new.html"));
        EXPECT_EQ(modeOf(m_dir / "out/new.html"), static_cast<mode_t>(nMode));
        EXPECT_EQ(FolderNames(m_dir / "out"), std::vector<std::string> { "new.html" });
    }
}

TEST_F(HtmlFile, PrivateReportStaysPrivate)
{
    const std::string csReport = m_dir.WriteFile("out/report.html", "old");
    ASSERT_EQ(::chmod(csReport.c_str(), 0600), 0);
    const ProcessResult result = Export("report.html");
    EXPECT_EQ(result.nExitCode, 0) << result.csErr;
    EXPECT_TRUE(HoldsThePage("report.html"));
    EXPECT_EQ(modeOf(csReport), 0600u);
}

TEST_F(HtmlFile, ReadOnlyReportIsRefusedAndKept)
{
    const std::string csReport = m_dir.WriteFile("out/report.html", "old");
    ASSERT_EQ(::chmod(csReport.c_str(), 0444), 0);
    const ProcessResult result = Export("report.html");
    EXPECT_EQ(result.nExitCode, 3);
    EXPECT_EQ(result.csErr, "pindrel-report: cannot write \"report.html\": Permission denied\n");
    EXPECT_EQ(result.csOut, "");
    EXPECT_EQ(ReadWholeFile(csReport), "old");
    EXPECT_EQ(modeOf(csReport), 0444u);
    EXPECT_EQ(FolderNames(m_dir / "out"), std::vector<std::string> { "report.html" });
}

TEST_F(HtmlFile, LinkIsWrittenThroughToItsTarget)
{
    m_dir.WriteFile("out/real.html", "old");
    ASSERT_EQ(::symlink("real.html", (m_dir / "out/link.html").c_str()), 0);
    const ProcessResult result = Export("link.html");
    EXPECT_EQ(result.nExitCode, 0) << result.csErr;
    EXPECT_TRUE(fs::is_symlink(m_dir / "out/link.html"));
    EXPECT_TRUE(HoldsThePage("real.html"));
}

TEST_F(HtmlFile, DeviceOrPipeIsWrittenIntoNeverReplaced)
{
    // The test holds the FIFO's reading end before the run, so that the write neither waits nor is lost.
    ASSERT_EQ(::mkfifo((m_dir / "out/fifo.html").c_str(), 0666), 0);
    const FileHandle reader(::open((m_dir / "out/fifo.html").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_TRUE(reader.IsOpen());
    // A private twin of /dev/null; only root may make one.
    const bool bDevice = ::geteuid() == 0;
    if (bDevice) {
        ASSERT_EQ(::mknod((m_dir / "out/null.html").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    }

    for (const char* pszName : { "fifo.html", "null.html" }) {
        if (std::string_view(pszName) == "null.html" && !bDevice)
            continue;
        const ProcessResult result = Export(pszName);
        EXPECT_EQ(result.nExitCode, 0) << pszName << ": " << result.csErr;
    }
    std::string csRead(1 << 20, '\0');
    const ssize_t nRead = ::read(reader.Get(), csRead.data(), csRead.size());
    csRead.resize(nRead > 0 ? static_cast<std::size_t>(nRead) : 0);
    EXPECT_NE(csRead.find("</html>"), std::string::npos) << "the reader got " << csRead.size() << " bytes";
    EXPECT_TRUE(fs::is_fifo(m_dir / "out/fifo.html"));
    if (bDevice) {
        EXPECT_TRUE(fs::is_character_file(m_dir / "out/null.html"));
    }
    EXPECT_EQ(FolderNames(m_dir / "out").size(), bDevice ? 2u : 1u) << "no temporary file is left";

    // Standard output into a pipe, as in "pindrel-report --html /dev/stdout DIR | less".
    const ProcessResult piped = RunProcess({ "/bin/bash", "-c",
        "set -o pipefail; \"$0\" --html /dev/stdout \"$1\" | cat", PINDREL_REPORT_PATH, m_dir / "src" });
    EXPECT_EQ(piped.nExitCode, 0) << piped.csErr;
    EXPECT_NE(piped.csOut.find("</html>\nResults"), std::string::npos) << piped.csOut;
}
