// libFuzzer entry: replacing the "Projects" section of any INI text, in memory and on disk.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzFinding.h"
#include "ProfileSectionProperty.h"

namespace {

std::string g_csScratchFolder;

void removeScratchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(g_csScratchFolder, ec);
}

} // namespace

// The scratch file lives in memory when /dev/shm is there: every input writes it. A run
// that crashes cannot remove it, so fuzz.sh names a folder it removes itself.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* const pszScratch = std::getenv("PINDREL_FUZZ_SCRATCH");
    const char* const pszTmp = std::getenv("TMPDIR");
    std::string csTemplate = pszScratch != nullptr && *pszScratch != '\0' ? pszScratch
        : std::filesystem::is_directory("/dev/shm")                       ? "/dev/shm"
        : pszTmp != nullptr && *pszTmp != '\0'                            ? pszTmp
                                                                          : "/tmp";
    csTemplate += "/pindrel-fuzz-XXXXXX";
    if (::mkdtemp(csTemplate.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_csScratchFolder = csTemplate;
    std::atexit(removeScratchFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    return AbortOnFinding(CheckProfileSection(pData, nSize, g_csScratchFolder));
}
