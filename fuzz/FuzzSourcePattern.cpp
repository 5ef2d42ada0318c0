// libFuzzer entry: MatchesSourcePattern against fnmatch on the last extension.
#include <cstdio>
#include <cstdlib>

#include "SourcePatternProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string csWhy = CheckSourcePattern(pData, nSize);
    if (!csWhy.empty()) {
        std::fprintf(stderr, "%s\n", csWhy.c_str());
        std::abort();
    }
    return 0;
}
