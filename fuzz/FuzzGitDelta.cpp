// libFuzzer entry: ApplyDelta against a model of git's delta format.
#include <cstdint>

#include "FuzzFinding.h"
#include "GitDeltaProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    return AbortOnFinding(CheckGitDelta(pData, nSize));
}
