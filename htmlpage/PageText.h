#pragma once

#include <array>
#include <string>

// Appends the text with the markup characters escaped; bytes that are not UTF-8 become U+FFFD.
void AppendHtmlEscaped(std::string& out, const std::string& csText);

// Okabe and Ito's colours, told apart with every common colour-vision deficiency
// and in greyscale print; grey for what is left over, and a fifth for a report's
// fifth kind, so no two kinds share a colour. The ring and the history chart both
// take kind i's colour from here, so one kind looks the same on every page.
inline constexpr std::array<const char*, 5> SLICE_COLORS = { "#e69f00", "#56b4e9", "#0072b2", "#999999", "#cc79a7" };
