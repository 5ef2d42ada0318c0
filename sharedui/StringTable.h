#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "DialogTemplate.h"

struct FileFailure;

// The application's string table, which the library reads by id: button
// captions, message titles and the sentences that word a file failure. The
// application fills it at start-up, in each language it speaks.
inline constexpr unsigned IDS_BUTTON_OK = 61001;
inline constexpr unsigned IDS_TITLE_INFORMATION = 61100;
inline constexpr unsigned IDS_TITLE_WARNING = 61103;
// One sentence per kind of file failure: %1 is the path, %2 the system's reason.
inline constexpr unsigned IDS_FILE_CANNOT_READ = 61200;
inline constexpr unsigned IDS_FILE_NOT_REGULAR = 61201;
inline constexpr unsigned IDS_FILE_CANNOT_WRITE = 61202;
inline constexpr unsigned IDS_FILE_CANNOT_CREATE_FOLDER = 61203;
inline constexpr unsigned IDS_FILE_CANNOT_CREATE_TEMP = 61204;
inline constexpr unsigned IDS_FILE_WRITE_FAILED = 61205;
inline constexpr unsigned IDS_FILE_SYNC_FAILED = 61206;
inline constexpr unsigned IDS_FILE_REPLACE_FAILED = 61207;
inline constexpr unsigned IDS_FILE_INVALID_ENTRY = 61208;

// Adds or replaces one string in English, the language every lookup falls back to.
void RegisterString(unsigned nId, std::string csText);
// Adds or replaces one string in one language.
void RegisterString(unsigned nId, DlgLanguage language, std::string csText);
// The string of an id in the dialogs' language, else in English; empty when it has none.
[[nodiscard]] std::string LoadString(unsigned nId);
// The pattern with %1 … %9 replaced by the arguments in one pass: a "%2" inside an argument (a path)
// stays as it is. A placeholder without an argument is kept; bytes are copied, never re-encoded.
[[nodiscard]] std::string FillPlaceholders(std::string_view csPattern, const std::vector<std::string>& arguments);
// The sentence for a failure in the dialogs' language, with its path and the system's reason filled in.
[[nodiscard]] std::string FormatFileFailure(const FileFailure& failure);
