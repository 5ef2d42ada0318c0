#pragma once

#include <string>
#include <vector>

#include <QDBusContext>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class CLineCountDlg;

// One Pindrel window per user session and list file. The first start owns a
// name on the session bus derived from the list file's path and serves the
// org.freedesktop.Application interface there; a later start hands its
// directories to it and ends. Without a session bus every start has its own window.
class CSingleWindow : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    enum class Start
    {
        // This process shows the window (it owns the name, or no bus exists).
        OwnWindow,
        // The running window took the directories; this process ends.
        HandedOver,
    };

    explicit CSingleWindow(const std::string& csListFile);
    ~CSingleWindow() override;

    // Claims the list file's name, or hands the directories to its owner.
    [[nodiscard]] Start Claim(const std::vector<std::string>& directories);
    // The window that takes the directories other starts hand over.
    void Serve(CLineCountDlg* pDlg);

    // The bus name for a list file: the same file (also through a linked
    // folder) gives the same name, another file another name.
    [[nodiscard]] static QString BusName(const std::string& csListFile);

    // The org.freedesktop.Application interface. Qt's bus exports slots only,
    // which is why these are declared as slots.
public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& csAction, const QVariantList& parameter, const QVariantMap& platformData);

private:
    [[nodiscard]] bool HandOver(const std::vector<std::string>& directories, QDeadlineTimer deadline) const;
    // Refuses a call when no window is up to take it: the caller then tries again.
    [[nodiscard]] bool WindowIsUp();
    void RaiseAndOpen(const std::vector<std::string>& directories);

    QString m_csBusName;
    bool m_bOwnsName = false;
    bool m_bObjectRegistered = false;
    QPointer<CLineCountDlg> m_pDlg;
};
