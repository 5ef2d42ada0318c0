#include "ByteText.h"

#include <limits>
#include <utility>

#include <QListWidget>

Q_DECLARE_METATYPE(CByteText)

namespace {

constexpr int ROLE_BYTES = Qt::UserRole + 1;

} // namespace

QString FromBytes(std::string_view csBytes)
{
    return QString::fromLocal8Bit(csBytes.data(), static_cast<qsizetype>(csBytes.size()));
}

std::string ToBytes(const QString& csText)
{
    const QByteArray bytes = csText.toLocal8Bit();
    return { bytes.constData(), static_cast<std::size_t>(bytes.size()) };
}

CByteText::CByteText(std::string csBytes)
    : m_csBytes(std::move(csBytes))
    , m_csShown(FromBytes(m_csBytes))
    , m_bKept(true)
{
}

std::string CByteText::BytesFor(const QString& csText) const
{
    return m_bKept && csText == m_csShown ? m_csBytes : ToBytes(csText);
}

CByteEdit::CByteEdit(QWidget* pParent)
    : QLineEdit(pParent)
{
    setMaxLength(std::numeric_limits<int>::max());
}

void CByteEdit::SetBytes(const std::string& csBytes)
{
    // Kept before the text changes: whoever hears of the change reads the new bytes.
    m_text = CByteText(csBytes);
    if (text() != m_text.Shown())
        setText(m_text.Shown());
}

std::string CByteEdit::GetBytes() const
{
    return m_text.BytesFor(text());
}

int ListBoxAddString(QListWidget* pList, const std::string& csBytes)
{
    const CByteText entry(csBytes);
    auto* const pItem = new QListWidgetItem(entry.Shown());
    pItem->setData(ROLE_BYTES, QVariant::fromValue(entry));
    pList->addItem(pItem);
    return pList->count() - 1;
}

std::string ListBoxGetText(const QListWidget* pList, int nIndex)
{
    const QListWidgetItem* pItem = pList->item(nIndex);
    if (pItem == nullptr)
        return {};
    return pItem->data(ROLE_BYTES).value<CByteText>().BytesFor(pItem->text());
}
