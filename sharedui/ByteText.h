#pragma once

#include <string>
#include <string_view>

#include <QLineEdit>
#include <QString>

class QListWidget;

// Paths and entries are byte strings: a Linux file name need not be valid in
// the locale's encoding. These are the one place where bytes meet Qt's text.

// Text to show for the bytes (an invalid sequence shows as U+FFFD).
[[nodiscard]] QString FromBytes(std::string_view csBytes);
// The bytes of a text in the locale's encoding.
[[nodiscard]] std::string ToBytes(const QString& csText);

// Exact bytes kept beside the text shown for them: while the text stays as it
// was shown, a name that the locale cannot spell comes back byte for byte.
class CByteText
{
public:
    CByteText() = default;
    explicit CByteText(std::string csBytes);

    [[nodiscard]] const QString& Shown() const { return m_csShown; }
    // The bytes behind csText: the kept ones while it is the text shown, else its encoding.
    [[nodiscard]] std::string BytesFor(const QString& csText) const;

private:
    std::string m_csBytes;
    QString m_csShown;
    bool m_bKept = false;
};

// A line edit that keeps the exact bytes of the text it was given.
class CByteEdit : public QLineEdit
{
public:
    // Without QLineEdit's limit of 32,767 characters: a longer path would be cut, then stored cut.
    explicit CByteEdit(QWidget* pParent = nullptr);

    // Shows the bytes; the text changes (and says so) only when it differs.
    void SetBytes(const std::string& csBytes);
    // The bytes of the text now in the edit.
    [[nodiscard]] std::string GetBytes() const;

private:
    CByteText m_text;
};

// Appends an entry to a list box, keeping its exact bytes beside the shown text;
// returns its index.
int ListBoxAddString(QListWidget* pList, const std::string& csBytes);
// The exact bytes of an entry; empty for an index out of range.
[[nodiscard]] std::string ListBoxGetText(const QListWidget* pList, int nIndex);
