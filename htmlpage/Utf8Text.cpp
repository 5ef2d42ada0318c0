#include "Utf8Text.h"

namespace {

// Length of the well-formed UTF-8 sequence at p, 0 if there is none. The second
// byte's range excludes overlong forms, surrogates and values past U+10FFFF.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t nLeft)
{
    const unsigned char c = p[0];
    std::size_t nLen = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        nLen = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nLen = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        nLen = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (nLeft < nLen || p[1] < lo || p[1] > hi)
        return 0;
    for (std::size_t i = 2; i < nLen; ++i) {
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    }
    return nLen;
}

} // namespace

std::string ToValidUtf8(std::string_view csText)
{
    std::string out;
    out.reserve(csText.size());
    const auto* p = reinterpret_cast<const unsigned char*>(csText.data());
    std::size_t i = 0;
    while (i < csText.size()) {
        const std::size_t nLen = utf8SequenceLength(p + i, csText.size() - i);
        if (nLen == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(csText, i, nLen);
            i += nLen;
        }
    }
    return out;
}
