// libFuzzer entry: LineCountingStream against a plain 512-byte line reader.
#include <cstdint>

#include "FuzzFinding.h"
#include "LineStreamProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    return AbortOnFinding(CheckLineStream(pData, nSize));
}
