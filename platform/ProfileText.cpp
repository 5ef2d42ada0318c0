#include "ProfileText.h"

#include <cstddef>

#include "AsciiText.h"

namespace {

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
// NUL must be counted in explicitly: a literal stops at it.
constexpr std::string_view KEY_FORBIDDEN { "=[]\r\n\0", 6 };
constexpr std::string_view SECTION_FORBIDDEN { "[]\r\n\0", 5 };
constexpr std::string_view VALUE_FORBIDDEN { "\r\n\0", 3 };

enum class LineKind { Other, Header, Entry };

// One line of the text, as offsets into it; views point into the text, nothing is copied.
struct ProfileLine
{
    std::size_t nBegin = 0;
    std::size_t nContentEnd = 0; // before the line end (LF, or CR LF, or a CR left at the end of the text)
    std::size_t nEnd = 0; // after the line end
    bool bHasLineFeed = false;
    LineKind kind = LineKind::Other;
    std::string_view csName; // section name of a header, key of an entry
    std::string_view csRawValue; // text after '=' of an entry
};

// A leading byte-order mark is kept aside so that a header on the first line is still seen.
struct ParsedText
{
    std::string_view csBom;
    std::string_view csBody;
    std::vector<ProfileLine> lines;
};

// Line indexes [nHeader, nEnd) of one section: its header and every line up to the next header.
struct SectionBlock
{
    std::size_t nHeader = 0;
    std::size_t nEnd = 0;
};

std::string_view trimBlanks(std::string_view cs)
{
    while (!cs.empty() && IsBlank(cs.front()))
        cs.remove_prefix(1);
    while (!cs.empty() && IsBlank(cs.back()))
        cs.remove_suffix(1);
    return cs;
}

void classifyLine(std::string_view csContent, ProfileLine& line)
{
    const std::string_view csTrimmed = trimBlanks(csContent);
    if (csTrimmed.empty() || csTrimmed.front() == ';' || csTrimmed.front() == '#')
        return;
    if (csTrimmed.front() == '[') {
        // A '[' line without ']' is no header; it stays an unrecognised line of the section above.
        const std::size_t nClose = csTrimmed.find(']');
        if (nClose != std::string_view::npos) {
            line.kind = LineKind::Header;
            line.csName = trimBlanks(csTrimmed.substr(1, nClose - 1));
        }
        return;
    }
    const std::size_t nEquals = csTrimmed.find('=');
    if (nEquals == std::string_view::npos)
        return;
    const std::string_view csKey = trimBlanks(csTrimmed.substr(0, nEquals));
    if (csKey.empty())
        return;
    line.kind = LineKind::Entry;
    line.csName = csKey;
    line.csRawValue = csTrimmed.substr(nEquals + 1);
}

ParsedText parseText(std::string_view csText)
{
    ParsedText parsed;
    if (csText.substr(0, UTF8_BOM.size()) == UTF8_BOM) {
        parsed.csBom = csText.substr(0, UTF8_BOM.size());
        csText.remove_prefix(UTF8_BOM.size());
    }
    parsed.csBody = csText;
    std::size_t nPos = 0;
    while (nPos < csText.size()) {
        ProfileLine line;
        line.nBegin = nPos;
        const std::size_t nLineFeed = csText.find('\n', nPos);
        line.bHasLineFeed = nLineFeed != std::string_view::npos;
        line.nContentEnd = line.bHasLineFeed ? nLineFeed : csText.size();
        line.nEnd = line.bHasLineFeed ? nLineFeed + 1 : csText.size();
        if (line.nContentEnd > line.nBegin && csText[line.nContentEnd - 1] == '\r')
            --line.nContentEnd;
        classifyLine(csText.substr(line.nBegin, line.nContentEnd - line.nBegin), line);
        parsed.lines.push_back(line);
        nPos = line.nEnd;
    }
    return parsed;
}

std::vector<SectionBlock> findSections(const ParsedText& parsed, std::string_view csSection)
{
    std::vector<SectionBlock> blocks;
    bool bInside = false;
    for (std::size_t i = 0; i < parsed.lines.size(); ++i) {
        if (parsed.lines[i].kind != LineKind::Header)
            continue;
        if (bInside)
            blocks.back().nEnd = i;
        bInside = EqualsNoCaseAscii(parsed.lines[i].csName, csSection);
        if (bInside)
            blocks.push_back({ i, parsed.lines.size() });
    }
    return blocks;
}

// Offset in the body where line nLine starts (the body's size past the last line).
std::size_t lineOffset(const ParsedText& parsed, std::size_t nLine)
{
    return nLine < parsed.lines.size() ? parsed.lines[nLine].nBegin : parsed.csBody.size();
}

// New lines follow the file's own convention, taken from its first line end. A lone CR
// ending the text becomes CR LF once the text is continued, so it counts as one.
std::string_view lineEndOf(std::string_view csBody)
{
    const std::size_t nLineFeed = csBody.find('\n');
    if (nLineFeed != std::string_view::npos && nLineFeed > 0 && csBody[nLineFeed - 1] == '\r')
        return "\r\n";
    if (nLineFeed == std::string_view::npos && !csBody.empty() && csBody.back() == '\r')
        return "\r\n";
    return "\n";
}

// What must follow text that is to be continued: nothing after an LF, an LF after a CR
// (another CR would make that one part of the line), else a whole line end.
std::string_view closingLineEnd(std::string_view csBefore, std::string_view csLineEnd)
{
    if (csBefore.empty() || csBefore.back() == '\n')
        return {};
    return csBefore.back() == '\r' ? "\n" : csLineEnd;
}

void appendEntryLine(std::string& csOut, std::string_view csKey, std::string_view csValue, std::string_view csLineEnd)
{
    csOut.append(csKey);
    csOut.push_back('=');
    csOut.append(EncodeProfileValue(csValue));
    csOut.append(csLineEnd);
}

void appendSection(std::string& csOut, std::string_view csSection, const std::vector<ProfileEntry>& entries,
    std::string_view csLineEnd)
{
    csOut.push_back('[');
    csOut.append(csSection);
    csOut.push_back(']');
    csOut.append(csLineEnd);
    for (const ProfileEntry& entry : entries)
        appendEntryLine(csOut, entry.csKey, entry.csValue, csLineEnd);
}

// Index of the first entry line named csKey inside the block, or the block's end.
std::size_t findKeyLine(const ParsedText& parsed, const SectionBlock& block, std::string_view csKey)
{
    for (std::size_t i = block.nHeader + 1; i < block.nEnd; ++i) {
        const ProfileLine& line = parsed.lines[i];
        if (line.kind == LineKind::Entry && EqualsNoCaseAscii(line.csName, csKey))
            return i;
    }
    return block.nEnd;
}

} // namespace

bool IsStorableProfileValue(std::string_view csValue)
{
    return csValue.find_first_of(VALUE_FORBIDDEN) == std::string_view::npos;
}

bool IsStorableProfileKey(std::string_view csKey)
{
    return !csKey.empty() && !IsBlank(csKey.front()) && !IsBlank(csKey.back()) && csKey.front() != ';'
        && csKey.front() != '#' && csKey.find_first_of(KEY_FORBIDDEN) == std::string_view::npos;
}

bool IsStorableProfileSection(std::string_view csSection)
{
    return !csSection.empty() && !IsBlank(csSection.front()) && !IsBlank(csSection.back())
        && csSection.find_first_of(SECTION_FORBIDDEN) == std::string_view::npos;
}

std::string EncodeProfileValue(std::string_view csValue)
{
    const bool bQuote = !csValue.empty()
        && (IsBlank(csValue.front()) || IsBlank(csValue.back())
            || (csValue.size() >= 2 && csValue.front() == '"' && csValue.back() == '"'));
    if (!bQuote)
        return std::string(csValue);
    std::string csQuoted;
    csQuoted.reserve(csValue.size() + 2);
    csQuoted.push_back('"');
    csQuoted.append(csValue);
    csQuoted.push_back('"');
    return csQuoted;
}

std::string_view DecodeProfileValue(std::string_view csRaw)
{
    const std::string_view csTrimmed = trimBlanks(csRaw);
    if (csTrimmed.size() >= 2 && csTrimmed.front() == '"' && csTrimmed.back() == '"')
        return csTrimmed.substr(1, csTrimmed.size() - 2);
    return csTrimmed;
}

std::vector<ProfileEntry> ReadSectionFromText(std::string_view csText, std::string_view csSection)
{
    const ParsedText parsed = parseText(csText);
    std::vector<ProfileEntry> entries;
    // A section may stand more than once (one added by hand at the end): each holds part of the list.
    for (const SectionBlock& block : findSections(parsed, csSection)) {
        for (std::size_t i = block.nHeader + 1; i < block.nEnd; ++i) {
            const ProfileLine& line = parsed.lines[i];
            if (line.kind == LineKind::Entry)
                entries.push_back({ std::string(line.csName), std::string(DecodeProfileValue(line.csRawValue)) });
        }
    }
    return entries;
}

std::optional<std::string> FindValueInText(std::string_view csText, std::string_view csSection, std::string_view csKey)
{
    const ParsedText parsed = parseText(csText);
    for (const SectionBlock& block : findSections(parsed, csSection)) {
        const std::size_t nLine = findKeyLine(parsed, block, csKey);
        if (nLine != block.nEnd)
            return std::string(DecodeProfileValue(parsed.lines[nLine].csRawValue));
    }
    return std::nullopt;
}

std::string ReplaceSectionInText(
    std::string_view csText, std::string_view csSection, const std::vector<ProfileEntry>& entries)
{
    const ParsedText parsed = parseText(csText);
    const std::vector<SectionBlock> blocks = findSections(parsed, csSection);
    const std::string_view csBody = parsed.csBody;
    const std::string_view csLineEnd = lineEndOf(csBody);

    std::string csOut(parsed.csBom);
    csOut.reserve(csText.size() + 64);
    std::size_t nKept = 0; // first line not yet copied
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::size_t nFrom = lineOffset(parsed, nKept);
        csOut.append(csBody.substr(nFrom, lineOffset(parsed, blocks[i].nHeader) - nFrom));
        if (i == 0 && !entries.empty())
            appendSection(csOut, csSection, entries, csLineEnd);
        // Comments and blank lines after the last entry usually introduce what
        // follows: they stay.
        nKept = blocks[i].nHeader + 1;
        for (std::size_t nLine = blocks[i].nHeader + 1; nLine < blocks[i].nEnd; ++nLine) {
            if (parsed.lines[nLine].kind == LineKind::Entry)
                nKept = nLine + 1;
        }
    }
    csOut.append(csBody.substr(lineOffset(parsed, nKept)));

    if (blocks.empty() && !entries.empty()) {
        csOut.append(closingLineEnd(csBody, csLineEnd));
        appendSection(csOut, csSection, entries, csLineEnd);
    }
    return csOut;
}

std::string SetValueInText(
    std::string_view csText, std::string_view csSection, std::string_view csKey, std::string_view csValue)
{
    const ParsedText parsed = parseText(csText);
    const std::vector<SectionBlock> blocks = findSections(parsed, csSection);
    if (blocks.empty())
        return ReplaceSectionInText(csText, csSection, { ProfileEntry { std::string(csKey), std::string(csValue) } });

    const std::string_view csBody = parsed.csBody;
    const std::string_view csLineEnd = lineEndOf(csBody);
    std::string csOut(parsed.csBom);
    csOut.reserve(csText.size() + csKey.size() + csValue.size() + 8);

    for (const SectionBlock& block : blocks) {
        const std::size_t nKeyLine = findKeyLine(parsed, block, csKey);
        if (nKeyLine == block.nEnd)
            continue;
        // The line keeps its own line end, whatever it was.
        const ProfileLine& line = parsed.lines[nKeyLine];
        csOut.append(csBody.substr(0, line.nBegin));
        appendEntryLine(csOut, csKey, csValue, csBody.substr(line.nContentEnd, line.nEnd - line.nContentEnd));
        csOut.append(csBody.substr(line.nEnd));
        return csOut;
    }

    // A new key comes last of all the section's entries, so that it also reads last.
    const SectionBlock& block = blocks.back();
    // After the section's last entry, so that comments and blank lines closing the section stay below it.
    std::size_t nAfter = block.nHeader;
    for (std::size_t i = block.nHeader + 1; i < block.nEnd; ++i) {
        if (parsed.lines[i].kind == LineKind::Entry)
            nAfter = i;
    }
    const ProfileLine& line = parsed.lines[nAfter];
    csOut.append(csBody.substr(0, line.nEnd));
    csOut.append(closingLineEnd(csBody.substr(0, line.nEnd), csLineEnd));
    appendEntryLine(csOut, csKey, csValue, csLineEnd);
    csOut.append(csBody.substr(line.nEnd));
    return csOut;
}
