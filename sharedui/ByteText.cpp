#include "ByteText.h"

#include <QListWidget>

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

int ListBoxAddString(QListWidget* pList, const std::string& csBytes)
{
    auto* const pItem = new QListWidgetItem(FromBytes(csBytes));
    pItem->setData(ROLE_BYTES, QByteArray(csBytes.data(), static_cast<qsizetype>(csBytes.size())));
    pList->addItem(pItem);
    return pList->count() - 1;
}

std::string ListBoxGetText(const QListWidget* pList, int nIndex)
{
    const QListWidgetItem* pItem = pList->item(nIndex);
    if (pItem == nullptr)
        return {};
    const QVariant bytes = pItem->data(ROLE_BYTES);
    if (!bytes.isValid())
        return ToBytes(pItem->text());
    const QByteArray raw = bytes.toByteArray();
    return { raw.constData(), static_cast<std::size_t>(raw.size()) };
}
