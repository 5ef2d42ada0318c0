#include "ProfileText.h"

#include <algorithm>
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
    std::size_t nContentEnd = 0; // before the line end
    std::size_t nEnd = 0; // after the line end
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
    // A line ends at LF; at CRs before an LF, however many (a file converted twice holds CR CR LF,
    // and a CR left in a value would make the entry unstorable); or at a CR no LF follows (old Mac files).
    std::size_t nLoneCrsEnd = 0; // end of the last run of CRs known to stand before no LF
    std::size_t nPos = 0;
    while (nPos < csText.size()) {
        ProfileLine line;
        line.nBegin = nPos;
        const std::size_t nBreak = csText.find_first_of("\r\n", nPos);
        line.nContentEnd = nBreak == std::string_view::npos ? csText.size() : nBreak;
        line.nEnd = nBreak == std::string_view::npos ? csText.size() : nBreak + 1;
        if (nBreak != std::string_view::npos && csText[nBreak] == '\r' && nBreak >= nLoneCrsEnd) {
            // Each CR of a run is looked past once, so a long run of lone CRs costs no more than its length.
            const std::size_t nAfterCrs = std::min(csText.find_first_not_of('\r', nBreak), csText.size());
            if (nAfterCrs < csText.size() && csText[nAfterCrs] == '\n')
                line.nEnd = nAfterCrs + 1;
            else
                nLoneCrsEnd = nAfterCrs;
        }
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

// New lines follow the file's own convention: that of its first line ending in LF (CR LF when
// CRs stand before it), or CR for an old Mac file, which holds no LF at all. A CR never ends a
// written line in a file with LFs: a kept line starting with LF would make it part of a CR LF.
std::string_view lineEndOf(std::string_view csBody)
{
    const std::size_t nLineFeed = csBody.find('\n');
    if (nLineFeed != std::string_view::npos)
        return nLineFeed > 0 && csBody[nLineFeed - 1] == '\r' ? "\r\n" : "\n";
    return csBody.find('\r') != std::string_view::npos ? "\r" : "\n";
}

// What must follow text that is to be continued: nothing after a line end, else a whole one.
// A CR ending a file that uses CR LF is completed with an LF rather than left lone.
std::string_view closingLineEnd(std::string_view csBefore, std::string_view csLineEnd)
{
    if (csBefore.empty() || csBefore.back() == '\n')
        return {};
    if (csBefore.back() == '\r')
        return csLineEnd == "\r" ? std::string_view() : std::string_view("\n");
    return csLineEnd;
}

void appendEntryLine(std::string& csOut, std::string_view csKey, std::string_view csValue, std::string_view csLineEnd)
{
    csOut.append(csKey);
    csOut.push_back('=');
    csOut.append(EncodeProfileValue(csValue));
    csOut.append(csLineEnd);
}

void appendHeaderLine(std::string& csOut, std::string_view csSection, std::string_view csLineEnd)
{
    csOut.push_back('[');
    csOut.append(csSection);
    csOut.push_back(']');
    csOut.append(csLineEnd);
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
    std::size_t nCopied = 0; // the body is written up to here
    const auto skipLine = [&](const ProfileLine& line) {
        csOut.append(csBody.substr(nCopied, line.nBegin - nCopied));
        nCopied = line.nEnd;
    };
    std::size_t nNext = 0; // the next entry to write
    const auto appendEntries = [&](std::size_t nUpTo) {
        for (; nNext < nUpTo; ++nNext)
            appendEntryLine(csOut, entries[nNext].csKey, entries[nNext].csValue, csLineEnd);
    };
    // Only headers and entries are rewritten. Comments and other hand-written lines stay where
    // they stand, between the same neighbours: the entries take the old entries' places in turn,
    // and the first section's last entry (or its header) is followed by whatever entries remain.
    // Removing the section takes it whole up to its last entry; what follows introduces the next.
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const bool bWritten = i == 0 && !entries.empty();
        std::size_t nLastEntry = blocks[i].nHeader;
        for (std::size_t nLine = blocks[i].nHeader + 1; nLine < blocks[i].nEnd; ++nLine) {
            if (parsed.lines[nLine].kind == LineKind::Entry)
                nLastEntry = nLine;
        }
        for (std::size_t nLine = blocks[i].nHeader; nLine < blocks[i].nEnd; ++nLine) {
            const ProfileLine& line = parsed.lines[nLine];
            if (line.kind == LineKind::Other && (!entries.empty() || nLine > nLastEntry))
                continue;
            skipLine(line);
            if (!bWritten)
                continue;
            if (line.kind == LineKind::Header)
                appendHeaderLine(csOut, csSection, csLineEnd);
            else
                appendEntries(std::min(nNext + 1, entries.size()));
            if (nLine == nLastEntry)
                appendEntries(entries.size());
        }
    }
    csOut.append(csBody.substr(nCopied));

    if (blocks.empty() && !entries.empty()) {
        csOut.append(closingLineEnd(csBody, csLineEnd));
        appendHeaderLine(csOut, csSection, csLineEnd);
        appendEntries(entries.size());
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
