#include "FolderDrop.h"

#include <sys/stat.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "FileUris.h"

namespace {

bool isDirectory(const std::string& csPath)
{
    // A link to a folder is a folder here: the user picked it.
    struct stat info {};
    return ::stat(csPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::optional<std::vector<std::string>> DroppedFolders(const QMimeData* pData)
{
    if (pData == nullptr || !pData->hasUrls())
        return std::nullopt;
    std::vector<std::string> folders;
    for (const QUrl& uri : pData->urls()) {
        std::optional<std::string> csPath = LocalPathOfUri(uri);
        if (!csPath || !isDirectory(*csPath))
            return std::nullopt;
        folders.push_back(std::move(*csPath));
    }
    if (folders.empty())
        return std::nullopt;
    return folders;
}

CFolderDropFilter::CFolderDropFilter(QWidget* pTarget, std::function<void(const std::vector<std::string>&)> fnOpen)
    : QObject(pTarget)
    , m_fnOpen(std::move(fnOpen))
{
    pTarget->setAcceptDrops(true);
    pTarget->installEventFilter(this);
}

bool CFolderDropFilter::eventFilter(QObject* /*pWatched*/, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Drag-enter and drag-move are both drop events underneath.
        auto* const pDrag = static_cast<QDropEvent*>(pEvent);
        if (DroppedFolders(pDrag->mimeData()))
            pDrag->acceptProposedAction();
        else
            pDrag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* const pDrop = static_cast<QDropEvent*>(pEvent);
        const std::optional<std::vector<std::string>> folders = DroppedFolders(pDrop->mimeData());
        if (!folders) {
            pDrop->ignore();
            return true;
        }
        pDrop->acceptProposedAction();
        m_fnOpen(*folders);
        return true;
    }
    default:
        return false;
    }
}
