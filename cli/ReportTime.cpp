#include "ReportTime.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "ReportArguments.h"

namespace {

// 9999-12-31T23:59:59Z: four-digit years keep the text ISO 8601.
constexpr long long LAST_SECOND = 253402300799LL;

std::string formatUtc(std::time_t time, const char* pszFormat)
{
    std::tm parts {};
    if (::gmtime_r(&time, &parts) == nullptr)
        return {};
    char acText[64];
    return std::string(acText, std::strftime(acText, sizeof acText, pszFormat, &parts));
}

} // namespace

std::optional<std::time_t> ReportTime(std::string& csError)
{
    const char* const pszValue = std::getenv(DATE_VARIABLE);
    if (pszValue == nullptr)
        return std::time(nullptr);
    long long nSeconds = -1;
    const char* const pszEnd = pszValue + std::strlen(pszValue);
    const auto [pEnd, ec] = std::from_chars(pszValue, pszEnd, nSeconds);
    if (ec != std::errc() || pEnd != pszEnd || pszValue == pszEnd || nSeconds < 0 || nSeconds > LAST_SECOND) {
        csError = std::string(DATE_VARIABLE) + " is not a number of seconds since 1970: '" + pszValue + "'";
        return std::nullopt;
    }
    return static_cast<std::time_t>(nSeconds);
}

std::string FormatIsoUtc(std::time_t time) { return formatUtc(time, "%Y-%m-%dT%H:%M:%SZ"); }

std::string FormatPageDate(std::time_t time) { return formatUtc(time, "%Y-%m-%d %H:%M UTC"); }
