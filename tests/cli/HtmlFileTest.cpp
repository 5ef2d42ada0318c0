// pindrel-report --html as a user meets it: names without a folder, modes, links, read-only
// files. Root ignores permission bits, so under root every run drops to nobody.
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "RunAsNobody.h"
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
