#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the "Projects" section of an arbitrary INI text with an arbitrary entry
// list and checks the promises of the INI module: storable entries read back exactly,
// every byte outside the section stays, and no value or key adds a line, section or
// entry; a list holding an unstorable key or value is refused and the file untouched.
// Refused lists, and accepted ones when the mode byte's bit 1 is set, also go through
// the file API on a Pindrel.ini in csScratchFolder.
// Returns an empty string when every promise holds, else the broken one.
//
// Input: a mode byte (bit 0: keys come from the input, else they are 0, 1, 2, ...),
// then fields, each ended by a backslash and any byte but a backslash (two backslashes
// stand for one): the file text, then per entry its key (bit 0 only) and its value.
[[nodiscard]] std::string CheckProfileSection(
    const std::uint8_t* pData, std::size_t nSize, const std::string& csScratchFolder);
