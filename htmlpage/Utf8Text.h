#pragma once

#include <string>
#include <string_view>

// The text as valid UTF-8: each byte that does not belong to a well-formed
// sequence becomes U+FFFD.
[[nodiscard]] std::string ToValidUtf8(std::string_view csText);
