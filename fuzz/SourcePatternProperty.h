#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Compares MatchesSourcePattern with fnmatch(3) applied to the text after the name's
// last dot. Returns an empty string when they agree, else the case that differed.
//
// Input: byte 0 picks the pattern: "h*" or "c*", or (when byte 0 is 2 or more) a
// pattern of byte 1 % 6 characters drawn from the next bytes, letters, digits, '_'
// and '.', with a trailing '*' when byte 0 is odd. The rest is the name, any bytes.
[[nodiscard]] std::string CheckSourcePattern(const std::uint8_t* pData, std::size_t nSize);
