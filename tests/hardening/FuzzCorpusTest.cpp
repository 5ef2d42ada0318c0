#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GitDeltaProperty.h"
#include "LineStreamProperty.h"
#include "ProfileSectionProperty.h"
#include "SourcePatternProperty.h"
#include "SyntaxStreamProperty.h"
#include "TempDir.h"
#include "TextOutProperty.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> corpusFiles(const char* pszTarget)
{
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(PINDREL_FUZZ_CORPUS) / pszTarget))
        files.push_back(entry.path().string());
    return files;
}

template <typename Check> void replayCorpus(const char* pszTarget, Check fnCheck)
{
    const std::vector<std::string> files = corpusFiles(pszTarget);
    EXPECT_FALSE(files.empty());
    for (const std::string& csFile : files) {
        const std::string csInput = ReadWholeFile(csFile);
        EXPECT_EQ(fnCheck(reinterpret_cast<const std::uint8_t*>(csInput.data()), csInput.size()), "") << csFile;
    }
}

} // namespace

// The fuzzers' seeds and every input they once failed on, checked on each test run.
TEST(FuzzCorpus, LineStreamAgreesWithThePlainLineReader) { replayCorpus("line_stream", CheckLineStream); }

TEST(FuzzCorpus, ProfileSectionKeepsItsPromises)
{
    const TempDir dir;
    replayCorpus("profile_section",
        [&](const std::uint8_t* pData, std::size_t nSize) { return CheckProfileSection(pData, nSize, dir.Path()); });
}

TEST(FuzzCorpus, GitDeltaAgreesWithTheModel) { replayCorpus("git_delta", CheckGitDelta); }

TEST(FuzzCorpus, SourcePatternAgreesWithFnmatch) { replayCorpus("source_pattern", CheckSourcePattern); }

TEST(FuzzCorpus, SyntaxStreamAgreesWithTheReference) { replayCorpus("syntax_stream", CheckSyntaxStream); }

TEST(FuzzCorpus, TextOutIsValidUtf8AndKeepsItsMarkup)
{
    replayCorpus("text_out", CheckTextOut);
}
