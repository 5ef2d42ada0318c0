#include "SingleWindow.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "CLineCountDlg.h"
#include "FileUris.h"

namespace {

const QString APPLICATION_INTERFACE = QStringLiteral("org.freedesktop.Application");
// The path the interface's users derive from the application id.
const QString OBJECT_PATH = QStringLiteral("/io/github/pindrel/Pindrel");
// How long a second start keeps trying when the name's owner cannot take a call
// (it is closing, or hangs): then it opens its own window, as without a bus.
constexpr int HAND_OVER_TIMEOUT_MS = 10000;
constexpr unsigned long HAND_OVER_RETRY_MS = 100;

} // namespace

CSingleWindow::CSingleWindow(const std::string& csListFile)
    : m_csBusName(BusName(csListFile))
{
}

CSingleWindow::~CSingleWindow()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (m_bOwnsName)
        static_cast<void>(bus.unregisterService(m_csBusName)); // the process ends anyway
    if (m_bObjectRegistered)
        bus.unregisterObject(OBJECT_PATH);
}

QString CSingleWindow::BusName(const std::string& csListFile)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(csListFile, error);
    if (error)
        path = std::filesystem::absolute(csListFile, error).lexically_normal();
    const QByteArray csHash
        = QCryptographicHash::hash(QByteArray::fromStdString(path.native()), QCryptographicHash::Sha256).toHex();
    // A bus name element must not begin with a digit; 32 hex digits are plenty to tell lists apart.
    return QStringLiteral("io.github.pindrel.Pindrel.List_") + QString::fromLatin1(csHash.left(32));
}

CSingleWindow::Start CSingleWindow::Claim(const std::vector<std::string>& directories)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return Start::OwnWindow;
    // The object is there before the name, so a call that finds the name finds the object.
    m_bObjectRegistered = bus.registerObject(OBJECT_PATH, this, QDBusConnection::ExportScriptableSlots);
    if (!m_bObjectRegistered)
        return Start::OwnWindow;
    const QDeadlineTimer deadline(HAND_OVER_TIMEOUT_MS);
    while (!deadline.hasExpired()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
            m_csBusName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid())
            return Start::OwnWindow;
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_bOwnsName = true;
            return Start::OwnWindow;
        }
        if (HandOver(directories, deadline))
            return Start::HandedOver;
        QThread::msleep(HAND_OVER_RETRY_MS);
    }
    return Start::OwnWindow;
}

bool CSingleWindow::HandOver(const std::vector<std::string>& directories, QDeadlineTimer deadline) const
{
    QDBusMessage call;
    if (directories.empty()) {
        call = QDBusMessage::createMethodCall(m_csBusName, OBJECT_PATH, APPLICATION_INTERFACE, QStringLiteral("Activate"));
        call << QVariantMap();
    } else {
        QStringList uris;
        for (const std::string& csDirectory : directories)
            uris.push_back(FileUriOfPath(csDirectory));
        call = QDBusMessage::createMethodCall(m_csBusName, OBJECT_PATH, APPLICATION_INTERFACE, QStringLiteral("Open"));
        call << uris << QVariantMap();
    }
    const int nTimeoutMs = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, nTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void CSingleWindow::Serve(CLineCountDlg* pDlg)
{
    m_pDlg = pDlg;
}

bool CSingleWindow::WindowIsUp()
{
    // A window that has closed has stored its list already: what it took now would be lost.
    if (m_pDlg != nullptr && m_pDlg->isVisible())
        return true;
    sendErrorReply(QDBusError::Failed, QStringLiteral("The Pindrel window is not open."));
    return false;
}

void CSingleWindow::RaiseAndOpen(const std::vector<std::string>& directories)
{
    // The caller gets its answer at once; a message about a refused entry must not hold it.
    QTimer::singleShot(0, m_pDlg, [pDlg = m_pDlg, directories] {
        if (pDlg == nullptr)
            return;
        if (pDlg->isMinimized())
            pDlg->showNormal();
        pDlg->raise();
        pDlg->activateWindow();
        pDlg->OpenProjects(directories);
    });
}

void CSingleWindow::Activate(const QVariantMap& /*platformData*/)
{
    if (WindowIsUp())
        RaiseAndOpen({});
}

void CSingleWindow::Open(const QStringList& uris, const QVariantMap& /*platformData*/)
{
    if (!WindowIsUp())
        return;
    std::vector<std::string> directories;
    for (const QString& csUri : uris) {
        // Only local folders can be projects; a remote URI has nothing to count here.
        if (std::optional<std::string> csPath = LocalPathOfUri(QUrl(csUri, QUrl::StrictMode)))
            directories.push_back(std::move(*csPath));
    }
    RaiseAndOpen(directories);
}

void CSingleWindow::ActivateAction(const QString& /*csAction*/, const QVariantList& /*parameter*/,
    const QVariantMap& /*platformData*/)
{
    sendErrorReply(QDBusError::NotSupported, QStringLiteral("Pindrel has no actions."));
}
