#include "PrivateProfile.h"

#include <functional>
#include <optional>
#include <utility>

#include "AtomicFile.h"

namespace {

std::string quoted(std::string_view cs) { return "\"" + std::string(cs) + "\""; }

ProfileStatus refusal(const std::string& csIniPath, const std::string& csReason)
{
    return { false, "Nothing was saved to " + quoted(csIniPath) + ": " + csReason + "." };
}

// Why a section name cannot be written, or nothing.
std::optional<std::string> checkSection(std::string_view csSection)
{
    if (IsStorableProfileSection(csSection))
        return std::nullopt;
    return "the section name " + quoted(csSection)
        + " is empty, has blanks at an end, or holds a bracket, a line break or a NUL byte";
}

std::optional<std::string> checkEntry(std::string_view csSection, std::string_view csKey, std::string_view csValue)
{
    if (!IsStorableProfileKey(csKey)) {
        return "the key " + quoted(csKey) + " in section " + quoted(csSection)
            + " is empty, has blanks at an end, starts like a comment, or holds '=', a bracket, a line break"
              " or a NUL byte";
    }
    if (!IsStorableProfileValue(csValue))
        return "the value of " + quoted(csKey) + " in section " + quoted(csSection)
            + " holds a line break or a NUL byte";
    return std::nullopt;
}

// Reads the current text, edits it and writes it back atomically. A file that exists but cannot be read is
// never overwritten: that would lose whatever else it holds.
ProfileStatus modifyProfile(const std::string& csIniPath, const std::function<std::string(std::string_view)>& fnEdit)
{
    const FileText current = ReadFileText(csIniPath);
    if (!current.bOk)
        return { false, current.csError + " It was left unchanged so that nothing else in it is lost." };
    const std::string csNew = fnEdit(current.csText);
    // Nothing to change: no write, and no file created just to hold nothing.
    if (csNew == current.csText)
        return {};
    return WriteFileAtomically(csIniPath, csNew);
}

} // namespace

std::vector<std::string> GetPrivateProfileKeys(const std::string& csIniPath, std::string_view csSection)
{
    std::vector<std::string> keys;
    for (ProfileEntry& entry : ReadPrivateProfileSection(csIniPath, csSection))
        keys.push_back(std::move(entry.csKey));
    return keys;
}

std::string GetPrivateProfileString(
    const std::string& csIniPath, std::string_view csSection, std::string_view csKey, std::string_view csDefault)
{
    const FileText file = ReadFileText(csIniPath);
    std::optional<std::string> value = FindValueInText(file.csText, csSection, csKey);
    return value ? std::move(*value) : std::string(csDefault);
}

std::vector<ProfileEntry> ReadPrivateProfileSection(const std::string& csIniPath, std::string_view csSection)
{
    return ReadSectionFromText(ReadFileText(csIniPath).csText, csSection);
}

ProfileStatus WritePrivateProfileString(
    const std::string& csIniPath, std::string_view csSection, std::string_view csKey, std::string_view csValue)
{
    if (const auto csReason = checkSection(csSection))
        return refusal(csIniPath, *csReason);
    if (const auto csReason = checkEntry(csSection, csKey, csValue))
        return refusal(csIniPath, *csReason);
    return modifyProfile(
        csIniPath, [&](std::string_view csText) { return SetValueInText(csText, csSection, csKey, csValue); });
}

ProfileStatus ErasePrivateProfileSection(const std::string& csIniPath, std::string_view csSection)
{
    return ReplacePrivateProfileSection(csIniPath, csSection, {});
}

ProfileStatus ReplacePrivateProfileSection(
    const std::string& csIniPath, std::string_view csSection, const std::vector<ProfileEntry>& entries)
{
    if (const auto csReason = checkSection(csSection))
        return refusal(csIniPath, *csReason);
    for (const ProfileEntry& entry : entries) {
        if (const auto csReason = checkEntry(csSection, entry.csKey, entry.csValue))
            return refusal(csIniPath, *csReason);
    }
    return modifyProfile(
        csIniPath, [&](std::string_view csText) { return ReplaceSectionInText(csText, csSection, entries); });
}
