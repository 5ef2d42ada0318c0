#pragma once

#include <string_view>

// Which classifier a run counts lines with. Simple is the default everywhere and
// its figures never move; Syntax lexes C and C++ as a compiler does.
enum class CountingRules
{
    Simple, // only "//" marks a comment; lines are the 511-byte reader's pieces
    Syntax, // block comments, literals, splices, raw strings and disabled groups
};

// The rules' name in reports and saved JSON.
constexpr std::string_view CountingRulesName(CountingRules rules)
{
    return rules == CountingRules::Syntax ? "syntax" : "simple";
}
