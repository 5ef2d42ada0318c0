#include "TextOutProperty.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "HtmlTable.h"
#include "JsonText.h"

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";

// Decodes one code point the long way, then judges it by its value: overlong forms,
// surrogates and values past U+10FFFF are no well-formed sequence. Returns its length,
// or 0 when none starts here.
std::size_t wellFormedLength(std::string_view cs)
{
    const auto nLead = static_cast<unsigned char>(cs[0]);
    if (nLead < 0x80)
        return 1;
    std::size_t nLength = 0;
    char32_t nValue = 0;
    if ((nLead & 0xE0) == 0xC0) {
        nLength = 2;
        nValue = nLead & 0x1F;
    } else if ((nLead & 0xF0) == 0xE0) {
        nLength = 3;
        nValue = nLead & 0x0F;
    } else if ((nLead & 0xF8) == 0xF0) {
        nLength = 4;
        nValue = nLead & 0x07;
    } else {
        return 0;
    }
    if (cs.size() < nLength)
        return 0;
    for (std::size_t i = 1; i < nLength; ++i) {
        const auto nByte = static_cast<unsigned char>(cs[i]);
        if ((nByte & 0xC0) != 0x80)
            return 0;
        nValue = (nValue << 6) | (nByte & 0x3F);
    }
    const char32_t nMinimum = nLength == 2 ? 0x80 : nLength == 3 ? 0x800 : 0x10000;
    if (nValue < nMinimum || nValue > 0x10FFFF || (nValue >= 0xD800 && nValue <= 0xDFFF))
        return 0;
    return nLength;
}

// Where a prefix of an invalid sequence is itself cut short, each of its bytes still
// counts alone: a lead byte is replaced and the scan resumes right after it.
std::string repaired(std::string_view cs)
{
    std::string csOut;
    while (!cs.empty()) {
        const std::size_t nLength = wellFormedLength(cs);
        if (nLength == 0) {
            csOut += REPLACEMENT;
            cs.remove_prefix(1);
        } else {
            csOut += cs.substr(0, nLength);
            cs.remove_prefix(nLength);
        }
    }
    return csOut;
}

bool isValidUtf8(std::string_view cs)
{
    while (!cs.empty()) {
        const std::size_t nLength = wellFormedLength(cs);
        if (nLength == 0)
            return false;
        cs.remove_prefix(nLength);
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads back a JSON string literal holding no escapes above U+007F; false when it is no
// such literal.
bool decodeJsonString(std::string_view cs, std::string& csOut)
{
    if (cs.size() < 2 || cs.front() != '"' || cs.back() != '"')
        return false;
    cs = cs.substr(1, cs.size() - 2);
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const char c = cs[i];
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c != '\\') {
            csOut += c;
            continue;
        }
        if (++i >= cs.size())
            return false;
        switch (cs[i]) {
        case '"':
            csOut += '"';
            break;
        case '\\':
            csOut += '\\';
            break;
        case '/':
            csOut += '/';
            break;
        case 'b':
            csOut += '\b';
            break;
        case 'f':
            csOut += '\f';
            break;
        case 'n':
            csOut += '\n';
            break;
        case 'r':
            csOut += '\r';
            break;
        case 't':
            csOut += '\t';
            break;
        case 'u': {
            int nValue = 0;
            for (std::size_t k = 1; k <= 4; ++k) {
                const int nDigit = i + k < cs.size() ? hexValue(cs[i + k]) : -1;
                if (nDigit < 0)
                    return false;
                nValue = nValue * 16 + nDigit;
            }
            if (nValue >= 0x80)
                return false;
            csOut += static_cast<char>(nValue);
            i += 4;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

HtmlTable tableWith(const std::string& csText)
{
    HtmlTable table;
    table.csTitle = csText;
    table.columns = { { csText, false, 100 }, { "# Lines ", true, 67 } };
    table.rows = { { csText, "12" }, { "x", csText } };
    table.rowColors = { { 0x000000, 0xFFFFFF } };
    return table;
}

std::string markupOf(const std::string& csPage)
{
    std::string csMarkup;
    std::copy_if(
        csPage.begin(), csPage.end(), std::back_inserter(csMarkup), [](char c) { return c == '<' || c == '>'; });
    return csMarkup;
}

} // namespace

std::string CheckTextOut(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string csText(reinterpret_cast<const char*>(pData), nSize);
    const std::string csRepaired = repaired(csText);
    if (ToValidUtf8(csText) != csRepaired)
        return "ToValidUtf8 replaces other bytes than the invalid ones";

    std::string csJson;
    AppendJsonString(csJson, csText);
    if (!isValidUtf8(csJson))
        return "the JSON string is not valid UTF-8";
    std::string csDecoded;
    if (!decodeJsonString(csJson, csDecoded))
        return "the JSON string is no well-formed literal";
    if (csDecoded != csRepaired)
        return "the JSON string does not read back as the repaired text";

    const std::string csPage = RenderHtml(tableWith(csText));
    if (!isValidUtf8(csPage))
        return "the HTML page is not valid UTF-8";
    if (markupOf(csPage) != markupOf(RenderHtml(tableWith(std::string()))))
        return "the text changed the HTML page's markup";
    return {};
}
