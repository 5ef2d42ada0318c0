#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Counts the text part of the input with SyntaxLineStream on every mask path, fed
// in blocks whose sizes the input's head chooses, and compares the eight counters
// with the scalar reference of the syntax rules; then counts the text as a file
// cut into segments of the first block size, as the counting threads would, and
// compares their sum too. Returns an empty string when all agree, else what differed.
//
// Input: byte 0 gives the number k (0..7) of block-size bytes that follow; the rest
// is the file's text. With k = 0 the text is fed in one block.
[[nodiscard]] std::string CheckSyntaxStream(const std::uint8_t* pData, std::size_t nSize);
