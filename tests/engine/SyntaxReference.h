#pragma once

#include <string_view>

#include "LineCounters.h"

// The syntax rules' counters of one whole file, worked out the plain way: the
// whole text in memory, every byte marked as code, comment or raw string, the
// directives read back from the marks, then each line judged from its bytes.
// Slow and simple on purpose: the fast classifier is held equal to it.
[[nodiscard]] LineCounters ReferenceSyntaxCount(std::string_view csText);
