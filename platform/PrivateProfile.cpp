#include "PrivateProfile.h"

#include <functional>
#include <optional>
#include <utility>

#include "AtomicFile.h"

namespace {

// Whether the file can hold them: none would inject lines or read back differently.
bool isStorable(std::string_view csSection, std::string_view csKey, std::string_view csValue)
{
    return IsStorableProfileSection(csSection) && IsStorableProfileKey(csKey) && IsStorableProfileValue(csValue);
}

FileStatus invalidEntry(const std::string& csIniPath)
{
    return { FileFailure { FileFailureKind::InvalidEntry, csIniPath, 0 } };
}

// Reads the current text, edits it and writes it back atomically. A file that exists but cannot be read is
// never overwritten: that would lose whatever else it holds.
FileStatus modifyProfile(const std::string& csIniPath, const std::function<std::string(std::string_view)>& fnEdit)
{
    const FileText current = ReadFileText(csIniPath);
    if (current.failure)
        return { current.failure };
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

FileStatus WritePrivateProfileString(
    const std::string& csIniPath, std::string_view csSection, std::string_view csKey, std::string_view csValue)
{
    if (!isStorable(csSection, csKey, csValue))
        return invalidEntry(csIniPath);
    return modifyProfile(
        csIniPath, [&](std::string_view csText) { return SetValueInText(csText, csSection, csKey, csValue); });
}

FileStatus ErasePrivateProfileSection(const std::string& csIniPath, std::string_view csSection)
{
    return ReplacePrivateProfileSection(csIniPath, csSection, {});
}

FileStatus ReplacePrivateProfileSection(
    const std::string& csIniPath, std::string_view csSection, const std::vector<ProfileEntry>& entries)
{
    if (!IsStorableProfileSection(csSection))
        return invalidEntry(csIniPath);
    for (const ProfileEntry& entry : entries) {
        if (!isStorable(csSection, entry.csKey, entry.csValue))
            return invalidEntry(csIniPath);
    }
    return modifyProfile(
        csIniPath, [&](std::string_view csText) { return ReplaceSectionInText(csText, csSection, entries); });
}
