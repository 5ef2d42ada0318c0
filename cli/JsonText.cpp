#include "JsonText.h"

#include <cstdio>

#include "Utf8Text.h"

namespace {

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
    for (const char c : ToValidUtf8(csText)) {
        if (static_cast<unsigned char>(c) < 0x80)
            appendAscii(csOut, c);
        else
            csOut += c;
    }
    csOut += '"';
}
