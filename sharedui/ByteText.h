#pragma once

#include <string>
#include <string_view>

class QListWidget;
class QString;

// Paths and entries are byte strings: a Linux file name need not be valid in
// the locale's encoding. These are the one place where bytes meet Qt's text.

// Text to show for the bytes (an invalid sequence shows as U+FFFD).
[[nodiscard]] QString FromBytes(std::string_view csBytes);
// The bytes of a text in the locale's encoding.
[[nodiscard]] std::string ToBytes(const QString& csText);

// Appends an entry to a list box, keeping its exact bytes beside the shown text;
// returns its index.
int ListBoxAddString(QListWidget* pList, const std::string& csBytes);
// The exact bytes of an entry; empty for an index out of range.
[[nodiscard]] std::string ListBoxGetText(const QListWidget* pList, int nIndex);
