// libFuzzer entry: arbitrary name bytes through the UTF-8 repair, the JSON string and the HTML page.
#include <cstdint>

#include "FuzzFinding.h"
#include "TextOutProperty.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    return AbortOnFinding(CheckTextOut(pData, nSize));
}
