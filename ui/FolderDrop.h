#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>

class QMimeData;

// The local folders a drag carries, in its order; nothing when it carries
// anything else as well (a file, a remote URI, plain text) or nothing at all.
[[nodiscard]] std::optional<std::vector<std::string>> DroppedFolders(const QMimeData* pData);

// Accepts drags of folders onto the watched widget and hands a drop to
// fnOpen; every other drag is refused, so the cursor shows it will not land.
class CFolderDropFilter : public QObject
{
public:
    CFolderDropFilter(QWidget* pTarget, std::function<void(const std::vector<std::string>&)> fnOpen);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    std::function<void(const std::vector<std::string>&)> m_fnOpen;
};
