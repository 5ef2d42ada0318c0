#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Compares ApplyDelta with a plain model of git's delta format, built on
// std::string's bounds-checked pieces, and runs it on an output buffer of
// exactly the size the delta names, so a stray read or write trips the
// sanitizers. Returns an empty string when they agree, else what differed.
//
// Input: byte 0 is the length of the base, which the next bytes hold; the rest
// is the delta.
[[nodiscard]] std::string CheckGitDelta(const std::uint8_t* pData, std::size_t nSize);
