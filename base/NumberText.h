#pragma once

#include <string>

// Numbers written into files (the page, INI, JSON, TSV) must read alike in every
// language: these never follow the locale, which may use a decimal comma.

// The value with exactly nDecimals digits after a '.', rounded as printf's "%.Nf" rounds.
[[nodiscard]] std::string FixedDecimalText(double dValue, int nDecimals);
