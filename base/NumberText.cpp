#include "NumberText.h"

#include <array>
#include <charconv>

std::string FixedDecimalText(double dValue, int nDecimals)
{
    // Room for any double in fixed notation (309 digits before the point) and the decimals asked for.
    std::array<char, 400> acText {};
    const std::to_chars_result result
        = std::to_chars(acText.data(), acText.data() + acText.size(), dValue, std::chars_format::fixed, nDecimals);
    if (result.ec != std::errc())
        return {};
    return { acText.data(), result.ptr };
}
