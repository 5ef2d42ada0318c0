#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Feeds the text part of the input to LineCountingStream on every mask path, in
// blocks whose sizes the input's head chooses, and compares the seven counters with
// a plain 512-byte line reader; then, with the first block size as a segment size, counts segments cut
// right after an LF, each with a stream of its own, and compares their sum too.
// Returns an empty string when they agree, else what differed.
//
// Input: byte 0 gives the number k (0..7) of block-size bytes that follow; the rest
// is the file's text. With k = 0 the text is fed in one block.
[[nodiscard]] std::string CheckLineStream(const std::uint8_t* pData, std::size_t nSize);
