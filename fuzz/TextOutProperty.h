#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Directory names are bytes, and they leave Pindrel in the JSON report and the HTML
// export. For any input bytes: the UTF-8 repair replaces exactly the bytes that belong
// to no well-formed sequence, one U+FFFD each; the JSON string is valid UTF-8 without
// raw control characters and reads back as the repaired text; and the HTML page is
// valid UTF-8 whose markup is the same as for an empty text.
// Returns an empty string when all of that holds, else what failed.
[[nodiscard]] std::string CheckTextOut(const std::uint8_t* pData, std::size_t nSize);
