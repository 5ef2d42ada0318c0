#include "GitDelta.h"

#include <cstring>

namespace {

std::optional<std::uint64_t> readSize(const unsigned char*& p, const unsigned char* pEnd)
{
    std::uint64_t nValue = 0;
    for (unsigned nShift = 0; p < pEnd && nShift < 64; nShift += 7) {
        const unsigned char c = *p++;
        nValue |= std::uint64_t { c & 0x7fU } << nShift;
        if ((c & 0x80U) == 0)
            return nValue;
    }
    return std::nullopt;
}

const unsigned char* bytesOf(std::string_view text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

} // namespace

std::optional<std::uint64_t> DeltaResultSize(std::string_view delta)
{
    const unsigned char* p = bytesOf(delta);
    const unsigned char* const pEnd = p + delta.size();
    if (!readSize(p, pEnd))
        return std::nullopt;
    return readSize(p, pEnd);
}

bool ApplyDelta(std::string_view base, std::string_view delta, char* pOut, std::size_t nOut)
{
    const unsigned char* p = bytesOf(delta);
    const unsigned char* const pEnd = p + delta.size();
    const std::optional<std::uint64_t> nBase = readSize(p, pEnd);
    const std::optional<std::uint64_t> nResult = readSize(p, pEnd);
    if (!nBase || !nResult || *nBase != base.size() || *nResult != nOut)
        return false;
    std::size_t nWritten = 0;
    while (p < pEnd) {
        const unsigned char nCommand = *p++;
        if ((nCommand & 0x80U) != 0) {
            // Bits 0-3 say which bytes of the offset follow, bits 4-6 which of the length.
            std::size_t nFrom = 0;
            std::size_t nLength = 0;
            for (unsigned nByte = 0; nByte < 7; ++nByte) {
                if ((nCommand & (1U << nByte)) == 0)
                    continue;
                if (p == pEnd)
                    return false;
                if (nByte < 4)
                    nFrom |= std::size_t { *p++ } << (8 * nByte);
                else
                    nLength |= std::size_t { *p++ } << (8 * (nByte - 4));
            }
            if (nLength == 0)
                nLength = 0x10000;
            if (nFrom > base.size() || nLength > base.size() - nFrom || nLength > nOut - nWritten)
                return false;
            std::memcpy(pOut + nWritten, base.data() + nFrom, nLength);
            nWritten += nLength;
        } else if (nCommand != 0) {
            if (nCommand > static_cast<std::size_t>(pEnd - p) || nCommand > nOut - nWritten)
                return false;
            std::memcpy(pOut + nWritten, p, nCommand);
            p += nCommand;
            nWritten += nCommand;
        } else {
            return false; // reserved
        }
    }
    return nWritten == nOut;
}
