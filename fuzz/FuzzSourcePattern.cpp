// libFuzzer entry: MatchesSourcePattern against fnmatch on the last extension.
#include <cstdint>

#include "FuzzFinding.h"
#include "SourcePatternProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    return AbortOnFinding(CheckSourcePattern(pData, nSize));
}
