#pragma once

#include <string>

// The application's string table, which the library reads by id: button
// captions and message titles. The application fills it at start-up.
inline constexpr unsigned IDS_BUTTON_OK = 61001;
inline constexpr unsigned IDS_BUTTON_CANCEL = 61002;
inline constexpr unsigned IDS_BUTTON_ABORT = 61003;
inline constexpr unsigned IDS_BUTTON_RETRY = 61004;
inline constexpr unsigned IDS_BUTTON_IGNORE = 61005;
inline constexpr unsigned IDS_BUTTON_YES = 61006;
inline constexpr unsigned IDS_BUTTON_NO = 61007;
inline constexpr unsigned IDS_TITLE_INFORMATION = 61100;
inline constexpr unsigned IDS_TITLE_INTERNAL_ERROR = 61101;
inline constexpr unsigned IDS_TITLE_WARNING = 61103;
inline constexpr unsigned IDS_TITLE_DELETE = 61104;
inline constexpr unsigned IDS_TITLE_CLOSE = 61105;

// Adds or replaces one string.
void RegisterString(unsigned nId, std::string csText);
// The string of an id; empty when it has none.
[[nodiscard]] std::string LoadString(unsigned nId);
