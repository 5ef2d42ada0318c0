#include "ProfileSectionProperty.h"

#include <string_view>
#include <vector>

#include "AtomicFile.h"
#include "PrivateProfile.h"
#include "ProfileText.h"

namespace {

constexpr std::string_view SECTION = "Projects";
constexpr std::string_view BOM = "\xEF\xBB\xBF";

// A second, naive reading of the INI line rules, to judge the module by.
struct RefLine
{
    std::string_view csRaw; // with its line end
    bool bHeader = false;
    bool bEntry = false;
    std::string csName;
};

std::string_view trimmed(std::string_view cs)
{
    while (!cs.empty() && (cs.front() == ' ' || cs.front() == '\t'))
        cs.remove_prefix(1);
    while (!cs.empty() && (cs.back() == ' ' || cs.back() == '\t'))
        cs.remove_suffix(1);
    return cs;
}

bool sameNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char ca = a[i];
        char cb = b[i];
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<char>(cb + 32);
        if (ca != cb)
            return false;
    }
    return true;
}

// A line ends at LF, at CRs followed by LF, or at a CR followed by anything else.
std::vector<RefLine> splitLines(std::string_view csBody)
{
    std::vector<RefLine> lines;
    while (!csBody.empty()) {
        std::size_t nContent = 0;
        while (nContent < csBody.size() && csBody[nContent] != '\r' && csBody[nContent] != '\n')
            ++nContent;
        std::size_t nEnd = nContent;
        if (nEnd < csBody.size() && csBody[nEnd] == '\n') {
            ++nEnd;
        } else if (nEnd < csBody.size()) {
            std::size_t nCrs = nEnd;
            while (nCrs < csBody.size() && csBody[nCrs] == '\r')
                ++nCrs;
            nEnd = nCrs < csBody.size() && csBody[nCrs] == '\n' ? nCrs + 1 : nEnd + 1;
        }
        RefLine line;
        line.csRaw = csBody.substr(0, nEnd);
        csBody.remove_prefix(nEnd);
        const std::string_view csText = trimmed(line.csRaw.substr(0, nContent));
        if (!csText.empty() && csText.front() == '[' && csText.find(']') != std::string_view::npos) {
            line.bHeader = true;
            line.csName = trimmed(csText.substr(1, csText.find(']') - 1));
        } else if (!csText.empty() && csText.front() != ';' && csText.front() != '#' && csText.front() != '['
            && csText.find('=') != std::string_view::npos && !trimmed(csText.substr(0, csText.find('='))).empty()) {
            line.bEntry = true;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// A section of that name owns its header and its entries; every other line, comments and
// hand-written lines between its entries too, stays as it stands. Removed whole, it owns
// every line up to its last entry; comments and blank lines after that introduce what follows.
struct SplitText
{
    std::string csOutside; // every byte the sections named SECTION do not own
    std::size_t nSections = 0; // how many such sections there are
    std::size_t nSectionLines = 0;
    std::size_t nSectionEntries = 0;
};

SplitText splitAtSection(std::string_view csText, bool bWhole)
{
    SplitText split;
    if (csText.substr(0, BOM.size()) == BOM) {
        split.csOutside = BOM;
        csText.remove_prefix(BOM.size());
    }
    const std::vector<RefLine> lines = splitLines(csText);
    std::vector<bool> owned(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].bHeader || !sameNoCase(lines[i].csName, SECTION))
            continue;
        ++split.nSections;
        std::size_t nLast = i;
        owned[i] = true;
        for (std::size_t k = i + 1; k < lines.size() && !lines[k].bHeader; ++k) {
            owned[k] = lines[k].bEntry;
            nLast = lines[k].bEntry ? k : nLast;
        }
        for (std::size_t k = i; bWhole && k <= nLast; ++k)
            owned[k] = true;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!owned[i]) {
            split.csOutside.append(lines[i].csRaw);
            continue;
        }
        ++split.nSectionLines;
        split.nSectionEntries += lines[i].bEntry ? 1 : 0;
    }
    return split;
}

// Cuts the next field off the input: it ends at a backslash followed by any byte but a
// backslash, and a doubled backslash stands for one.
std::string takeField(std::string_view& csInput, std::size_t nMax)
{
    std::string csField;
    while (!csInput.empty() && csField.size() < nMax) {
        const char c = csInput.front();
        csInput.remove_prefix(1);
        if (c == '\\' && !csInput.empty()) {
            const char cNext = csInput.front();
            csInput.remove_prefix(1);
            if (cNext != '\\')
                break;
        }
        csField.push_back(c);
    }
    return csField;
}

bool refStorableValue(std::string_view cs)
{
    return cs.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool refStorableKey(std::string_view cs)
{
    return !cs.empty() && cs.front() != ' ' && cs.front() != '\t' && cs.back() != ' ' && cs.back() != '\t'
        && cs.front() != ';' && cs.front() != '#'
        && cs.find_first_of(std::string_view("=[]\r\n\0", 6)) == std::string_view::npos;
}

// The outside text after the change: the same bytes, except that a section appended to
// a file whose last line had no line end first ends that line.
std::string checkOutside(std::string_view csOld, std::string_view csNew, bool bAdded)
{
    const SplitText oldSplit = splitAtSection(csOld, !bAdded);
    const SplitText newSplit = splitAtSection(csNew, !bAdded);
    if (newSplit.csOutside == oldSplit.csOutside)
        return {};
    if (bAdded && oldSplit.nSections == 0
        && (newSplit.csOutside == oldSplit.csOutside + "\n" || newSplit.csOutside == oldSplit.csOutside + "\r\n"
            || newSplit.csOutside == oldSplit.csOutside + "\r"))
        return {};
    return "bytes outside the section changed";
}

// Every other section reads as before: closing an unterminated last line must not
// change what that line says.
std::string checkOtherSections(std::string_view csOld, std::string_view csNew)
{
    std::string_view csBody = csOld;
    if (csBody.substr(0, BOM.size()) == BOM)
        csBody.remove_prefix(BOM.size());
    for (const RefLine& line : splitLines(csBody)) {
        if (line.bHeader && !sameNoCase(line.csName, SECTION)
            && ReadSectionFromText(csOld, line.csName) != ReadSectionFromText(csNew, line.csName))
            return "section \"" + line.csName + "\" reads differently";
    }
    return {};
}

// What the section should read after SetValueInText: the first entry of that key takes
// the value and the key's spelling, else the entry comes last.
std::vector<ProfileEntry> entriesAfterSet(std::string_view csOld, const ProfileEntry& entry)
{
    std::vector<ProfileEntry> entries = ReadSectionFromText(csOld, SECTION);
    for (ProfileEntry& existing : entries) {
        if (sameNoCase(existing.csKey, entry.csKey)) {
            existing = entry;
            return entries;
        }
    }
    entries.push_back(entry);
    return entries;
}

std::string checkSectionShape(std::string_view csNew, std::size_t nEntries)
{
    const SplitText split = splitAtSection(csNew, false);
    const std::size_t nWantSections = nEntries == 0 ? 0 : 1;
    if (split.nSections != nWantSections)
        return "the new text holds " + std::to_string(split.nSections) + " sections, not "
            + std::to_string(nWantSections);
    if (nEntries > 0 && (split.nSectionLines != nEntries + 1 || split.nSectionEntries != nEntries))
        return "the section's lines are not its header and one line per entry";
    return {};
}

std::string checkStorable(std::string_view csOld, const std::vector<ProfileEntry>& entries)
{
    const std::string csNew = ReplaceSectionInText(csOld, SECTION, entries);
    if (ReadSectionFromText(csNew, SECTION) != entries)
        return "the entries do not read back as written";
    if (std::string csWhy = checkOutside(csOld, csNew, !entries.empty()); !csWhy.empty())
        return csWhy;
    if (std::string csWhy = checkOtherSections(csOld, csNew); !csWhy.empty())
        return csWhy;
    if (std::string csWhy = checkSectionShape(csNew, entries.size()); !csWhy.empty())
        return csWhy;
    if (ReplaceSectionInText(csNew, SECTION, entries) != csNew)
        return "writing the same entries again changed the text";
    if (!entries.empty()) {
        // Setting one key keeps the rest too, and reads back.
        const ProfileEntry& entry = entries.back();
        const std::string csSet = SetValueInText(csOld, SECTION, entry.csKey, entry.csValue);
        if (FindValueInText(csSet, SECTION, entry.csKey) != entry.csValue)
            return "a value set on its own does not read back";
        if (ReadSectionFromText(csSet, SECTION) != entriesAfterSet(csOld, entry))
            return "setting one value changed the section's other entries";
        if (std::string csWhy = checkOutside(csOld, csSet, true); !csWhy.empty())
            return "setting one value: " + csWhy;
        if (std::string csWhy = checkOtherSections(csOld, csSet); !csWhy.empty())
            return "setting one value: " + csWhy;
    }
    return {};
}

// The same change through the file: a refused list leaves the bytes, an accepted one
// leaves exactly the text the pure function makes.
std::string checkFile(
    std::string_view csOld, const std::vector<ProfileEntry>& entries, bool bStorable, const std::string& csFolder)
{
    const std::string csIni = csFolder + "/Pindrel.ini";
    if (!WriteFileAtomically(csIni, csOld))
        return "the scratch file cannot be written";
    const FileStatus status = ReplacePrivateProfileSection(csIni, SECTION, entries);
    const FileText after = ReadFileText(csIni);
    if (!bStorable) {
        if (status)
            return "an unstorable key or value was accepted";
        if (status.failure->kind != FileFailureKind::InvalidEntry)
            return "a refusal does not say the entry is the reason";
        return after.csText == csOld ? std::string() : "a refused write changed the file";
    }
    if (!status)
        return "a storable list was refused: kind " + std::to_string(static_cast<int>(status.failure->kind));
    if (after.csText != ReplaceSectionInText(csOld, SECTION, entries))
        return "the file differs from the text the change makes";
    if (ReadPrivateProfileSection(csIni, SECTION) != entries)
        return "the file's entries do not read back as written";
    return {};
}

} // namespace

std::string CheckProfileSection(const std::uint8_t* pData, std::size_t nSize, const std::string& csScratchFolder)
{
    if (nSize == 0)
        return {};
    const std::uint8_t nMode = pData[0];
    const bool bFuzzedKeys = (nMode & 1) != 0;
    std::string_view csInput(reinterpret_cast<const char*>(pData) + 1, nSize - 1);
    const std::string csOld = takeField(csInput, 1 << 14);
    std::vector<ProfileEntry> entries;
    while (!csInput.empty() && entries.size() < 200) {
        std::string csKey = bFuzzedKeys ? takeField(csInput, 64) : std::to_string(entries.size());
        entries.push_back({ std::move(csKey), takeField(csInput, 2048) });
    }

    bool bStorable = true;
    for (const ProfileEntry& entry : entries) {
        if (IsStorableProfileValue(entry.csValue) != refStorableValue(entry.csValue))
            return "IsStorableProfileValue misjudges a value";
        if (IsStorableProfileKey(entry.csKey) != refStorableKey(entry.csKey))
            return "IsStorableProfileKey misjudges a key";
        bStorable = bStorable && refStorableValue(entry.csValue) && refStorableKey(entry.csKey);
    }
    if (bStorable) {
        if (std::string csWhy = checkStorable(csOld, entries); !csWhy.empty())
            return csWhy;
    }
    // Refusals happen before the file is touched, so they are cheap enough to check always.
    if (!bStorable || (nMode & 2) != 0)
        return checkFile(csOld, entries, bStorable, csScratchFolder);
    return {};
}
