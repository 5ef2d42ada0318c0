#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The private-profile (INI) text form: "[Section]" header lines and "key=value" lines.
// Section and key names compare case-insensitively (ASCII); blanks around keys and values are not part of them.
// These functions never fail: any byte sequence parses, and lines they do not recognise are kept as they stand.
// A line ends at LF, at CRs followed by LF, or at a CR alone.

struct ProfileEntry
{
    std::string csKey;
    std::string csValue;
    bool operator==(const ProfileEntry&) const = default;
};

// Whether a value can be stored: false for a value holding CR, LF or NUL (such a value would inject lines).
[[nodiscard]] bool IsStorableProfileValue(std::string_view csValue);
// Whether a key can be stored: not empty, no blank at either end, no '=', '[', ']', CR, LF or NUL,
// and not starting like a comment (';' or '#').
[[nodiscard]] bool IsStorableProfileKey(std::string_view csKey);
// Whether a section name can be stored: not empty, no blank at either end, no '[', ']', CR, LF or NUL.
[[nodiscard]] bool IsStorableProfileSection(std::string_view csSection);

// Writes a value the way it follows '=': enclosed in double quotes when reading would otherwise change it.
[[nodiscard]] std::string EncodeProfileValue(std::string_view csValue);
// Reads the text after '=': blanks trimmed, then one pair of enclosing double quotes removed.
[[nodiscard]] std::string_view DecodeProfileValue(std::string_view csRaw);

// All entries of every section of that name, in file order.
[[nodiscard]] std::vector<ProfileEntry> ReadSectionFromText(std::string_view csText, std::string_view csSection);
// The value of the first key of that name in the sections of that name.
[[nodiscard]] std::optional<std::string> FindValueInText(
    std::string_view csText, std::string_view csSection, std::string_view csKey);

// The text with the headers and entries of every section of that name removed, and the entries written as one
// section where the first one stood (or at the end): they take the old entries' places in turn, the rest follow
// the last one. Every other line, inside those sections too, is kept byte for byte where it stood. An empty list
// removes each section up to its last entry, and nothing else. Keys and values must be storable.
[[nodiscard]] std::string ReplaceSectionInText(
    std::string_view csText, std::string_view csSection, const std::vector<ProfileEntry>& entries);
// The text with one key set: its first line in the sections of that name replaced, else a new line after the
// last such section's last entry, else a new section at the end. Key and value must be storable.
[[nodiscard]] std::string SetValueInText(
    std::string_view csText, std::string_view csSection, std::string_view csKey, std::string_view csValue);
