#include "JsonText.h"

#include <cstdio>

namespace {

constexpr std::string_view REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";

bool isContinuation(unsigned char c, unsigned char nLow = 0x80, unsigned char nHigh = 0xBF)
{
    return c >= nLow && c <= nHigh;
}

// Length of the well-formed UTF-8 sequence starting at csText[0], 0 if there is none.
// The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
std::size_t sequenceLength(std::string_view csText)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(csText[i]); };
    const unsigned char c = byteAt(0);
    std::size_t nLength = 0;
    unsigned char nLow = 0x80;
    unsigned char nHigh = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        nLength = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nLength = 3;
        nLow = c == 0xE0 ? 0xA0 : 0x80;
        nHigh = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        nLength = 4;
        nLow = c == 0xF0 ? 0x90 : 0x80;
        nHigh = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (csText.size() < nLength || !isContinuation(byteAt(1), nLow, nHigh))
        return 0;
    for (std::size_t i = 2; i < nLength; ++i) {
        if (!isContinuation(byteAt(i)))
            return 0;
    }
    return nLength;
}

void appendAscii(std::string& csOut, char c)
{
    switch (c) {
    case '"':
        csOut += "\\\"";
        return;
    case '\\':
        csOut += "\\\\";
        return;
    case '\b':
        csOut += "\\b";
        return;
    case '\f':
        csOut += "\\f";
        return;
    case '\n':
        csOut += "\\n";
        return;
    case '\r':
        csOut += "\\r";
        return;
    case '\t':
        csOut += "\\t";
        return;
    default:
        break;
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        char acEscape[8];
        std::snprintf(acEscape, sizeof acEscape, "\\u%04x", static_cast<unsigned>(c));
        csOut += acEscape;
        return;
    }
    csOut += c;
}

} // namespace

void AppendJsonString(std::string& csOut, std::string_view csText)
{
    csOut += '"';
    std::size_t i = 0;
    while (i < csText.size()) {
        if (static_cast<unsigned char>(csText[i]) < 0x80) {
            appendAscii(csOut, csText[i]);
            ++i;
            continue;
        }
        const std::size_t nLength = sequenceLength(csText.substr(i));
        if (nLength == 0) {
            csOut += REPLACEMENT_CHARACTER;
            ++i;
        } else {
            csOut += csText.substr(i, nLength);
            i += nLength;
        }
    }
    csOut += '"';
}
