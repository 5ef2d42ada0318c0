#include "FileUris.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

std::optional<std::string> LocalPathOfUri(const QUrl& uri)
{
    if (!uri.isValid() || uri.scheme() != QStringLiteral("file"))
        return std::nullopt;
    if (!uri.host().isEmpty() && uri.host() != QStringLiteral("localhost"))
        return std::nullopt;
    // The encoded form keeps bytes that are not UTF-8 as %XX; decoding it gives them back.
    const QByteArray csPath = QByteArray::fromPercentEncoding(uri.path(QUrl::FullyEncoded).toLatin1());
    if (csPath.isEmpty() || csPath.front() != '/')
        return std::nullopt;
    return csPath.toStdString();
}

QString FileUriOfPath(const std::string& csPath)
{
    const QByteArray csEncoded = QByteArray::fromStdString(csPath).toPercentEncoding("/");
    return QStringLiteral("file://") + QString::fromLatin1(csEncoded);
}
