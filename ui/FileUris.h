#pragma once

#include <optional>
#include <string>

class QString;
class QUrl;

// The local path a file: URI names, byte for byte (names need not be UTF-8);
// nothing for another scheme or a remote host.
[[nodiscard]] std::optional<std::string> LocalPathOfUri(const QUrl& uri);

// The file: URI of a local absolute path, every byte kept through percent-encoding.
[[nodiscard]] QString FileUriOfPath(const std::string& csPath);
