#pragma once

#include <string>
#include <string_view>

// Appends csText as a JSON string literal: quotes, backslashes and control
// characters escaped, and every byte that does not belong to a well-formed UTF-8
// sequence replaced by U+FFFD, so the result is always valid UTF-8.
void AppendJsonString(std::string& csOut, std::string_view csText);
