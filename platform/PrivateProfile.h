#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "FileFailure.h"
#include "ProfileText.h"

// Private-profile (INI) file access. Every change is one atomic replacement of the whole file: other sections,
// comments and bytes stay as they were, and a failed change leaves the old file intact.

// All key names of a section, in file order (empty when the file or section is missing or unreadable).
[[nodiscard]] std::vector<std::string> GetPrivateProfileKeys(const std::string& csIniPath, std::string_view csSection);
// The value of one key, or csDefault when it cannot be found.
[[nodiscard]] std::string GetPrivateProfileString(
    const std::string& csIniPath, std::string_view csSection, std::string_view csKey, std::string_view csDefault);
// All entries of a section in file order.
[[nodiscard]] std::vector<ProfileEntry> ReadPrivateProfileSection(
    const std::string& csIniPath, std::string_view csSection);
// Replaces (or adds) one key; creates the file and its folders when missing.
[[nodiscard]] FileStatus WritePrivateProfileString(
    const std::string& csIniPath, std::string_view csSection, std::string_view csKey, std::string_view csValue);
// Removes a section (header and keys); nothing else changes.
[[nodiscard]] FileStatus ErasePrivateProfileSection(const std::string& csIniPath, std::string_view csSection);
// Replaces a whole section with the entries, in one atomic write; an empty list removes the section.
[[nodiscard]] FileStatus ReplacePrivateProfileSection(
    const std::string& csIniPath, std::string_view csSection, const std::vector<ProfileEntry>& entries);
