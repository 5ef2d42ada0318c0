// libFuzzer entry: LineCountingStream against a plain 512-byte line reader.
#include <cstdio>
#include <cstdlib>

#include "LineStreamProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string csWhy = CheckLineStream(pData, nSize);
    if (!csWhy.empty()) {
        std::fprintf(stderr, "%s", csWhy.c_str());
        std::abort();
    }
    return 0;
}
