// libFuzzer entry: arbitrary name bytes through the UTF-8 repair, the JSON string and the HTML page.
#include <cstdio>
#include <cstdlib>

#include "TextOutProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string csWhy = CheckTextOut(pData, nSize);
    if (!csWhy.empty()) {
        std::fprintf(stderr, "%s\n", csWhy.c_str());
        std::abort();
    }
    return 0;
}
