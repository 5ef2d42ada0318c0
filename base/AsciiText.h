#pragma once

#include <cstddef>
#include <string_view>

// Byte tests that must not follow the locale: file names and INI keys compare
// alike in every language.

// A blank of a line: space or tab.
[[nodiscard]] constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The letter in lower case; every other byte as it is.
[[nodiscard]] constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether two texts are equal when ASCII letters compare without case.
[[nodiscard]] constexpr bool EqualsNoCaseAscii(std::string_view csA, std::string_view csB)
{
    if (csA.size() != csB.size())
        return false;
    for (std::size_t i = 0; i < csA.size(); ++i) {
        if (LowerAscii(csA[i]) != LowerAscii(csB[i]))
            return false;
    }
    return true;
}
