#include "PageText.h"

#include "Utf8Text.h"

void AppendHtmlEscaped(std::string& out, const std::string& csText)
{
    for (const char c : ToValidUtf8(csText)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
}
