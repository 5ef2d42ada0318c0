// libFuzzer entry: SyntaxLineStream against the scalar reference of the syntax rules.
#include <cstdint>

#include "FuzzFinding.h"
#include "SyntaxStreamProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    return AbortOnFinding(CheckSyntaxStream(pData, nSize));
}
