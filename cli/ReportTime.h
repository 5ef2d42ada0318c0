#pragma once

#include <ctime>
#include <optional>
#include <string>

// The time a report is dated: the seconds in DATE_VARIABLE when it is set, so
// that tools building reproducibly get the same bytes twice, else now. nullopt,
// with the reason in csError, when the variable holds no such number.
[[nodiscard]] std::optional<std::time_t> ReportTime(std::string& csError);

// "2026-12-08T17:08:40Z".
[[nodiscard]] std::string FormatIsoUtc(std::time_t time);

// "2026-12-08 17:08 UTC", as a page shows it.
[[nodiscard]] std::string FormatPageDate(std::time_t time);
