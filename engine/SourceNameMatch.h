#pragma once

#include <string_view>

// Whether a file name matches "*." + csExt under wildcard rules as the collection
// uses them: the text after the name's last dot must match csExt, where a
// trailing '*' in csExt matches any rest and letters compare without case.
// "h*" thus takes a.h, a.HPP, a.html and .hidden, but not a.h.bak or README.
[[nodiscard]] bool MatchesSourcePattern(std::string_view csName, std::string_view csExt);
