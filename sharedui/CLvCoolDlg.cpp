#include "CLvCoolDlg.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>

#include "AppResources.h"
#include "ByteText.h"
#include "DialogControls.h"
#include "DialogTemplate.h"
#include "DlgPaint.h"
#include "StringTable.h"

namespace {

QString fromTemplate(const std::string& csText)
{
    return QString::fromUtf8(csText.data(), static_cast<qsizetype>(csText.size()));
}

} // namespace

CLvCoolDlg::CLvCoolDlg(unsigned nIdTemplate, QWidget* pParent)
    : QDialog(pParent)
{
    // A fixed frame with a close box and no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    if (const DialogTemplate* pTemplate = FindDialogTemplate(nIdTemplate, UserDialogLanguage()))
        BuildFromTemplate(*pTemplate);
}

CLvCoolDlg::~CLvCoolDlg() = default;

void CLvCoolDlg::BuildFromTemplate(const DialogTemplate& dlgTemplate)
{
    setWindowTitle(fromTemplate(dlgTemplate.csCaption));
    QFont font(fromTemplate(dlgTemplate.csFontFace), dlgTemplate.nPointSize);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    // Dialog base units as the platform derives them from the dialog font.
    const QFontMetrics metrics(font);
    const int nAlphabetWidth
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseUnitX = (nAlphabetWidth / 26 + 1) / 2;
    m_nBaseUnitY = metrics.height();

    std::vector<QWidget*> tabStops;
    std::vector<std::pair<QWidget*, std::size_t>> mnemonicOwners;
    for (std::size_t i = 0; i < dlgTemplate.items.size(); ++i) {
        const DlgItemTemplate& item = dlgTemplate.items[i];
        QWidget* const pControl = CreateDialogControl(item, this);
        if (pControl == nullptr)
            continue;
        pControl->setObjectName(QString::fromLatin1(item.pszName));
        pControl->setGeometry(DluToPixelsX(item.x), DluToPixelsY(item.y), DluToPixelsX(item.cx), DluToPixelsY(item.cy));
        pControl->setFocusPolicy(item.bTabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (item.nId >= 0)
            m_controls[item.nId] = pControl;
        if (item.bTabStop)
            tabStops.push_back(pControl);
        if ((item.controlClass == DlgControlClass::Static || item.controlClass == DlgControlClass::GroupBox)
            && item.csText.find('&') != std::string::npos)
            mnemonicOwners.emplace_back(pControl, i);
    }
    for (std::size_t i = 1; i < tabStops.size(); ++i)
        setTabOrder(tabStops[i - 1], tabStops[i]);

    // A label's mnemonic focuses the next tab stop after it in template order.
    for (const auto& [pOwner, nIndex] : mnemonicOwners) {
        QWidget* pNext = nullptr;
        for (std::size_t j = nIndex + 1; j < dlgTemplate.items.size() && pNext == nullptr; ++j) {
            if (dlgTemplate.items[j].bTabStop)
                pNext = findChild<QWidget*>(QString::fromLatin1(dlgTemplate.items[j].pszName));
        }
        SetMnemonicTarget(pOwner, pNext);
    }
    setFixedSize(DluToPixelsX(dlgTemplate.cx), DluToPixelsY(dlgTemplate.cy));
    setWindowIcon(AppIcon());
}

int CLvCoolDlg::DluToPixelsX(int nDlu) const
{
    return (nDlu * m_nBaseUnitX + 2) / 4;
}

int CLvCoolDlg::DluToPixelsY(int nDlu) const
{
    return (nDlu * m_nBaseUnitY + 4) / 8;
}

int CLvCoolDlg::ScaleDesignPixelsX(int nPixels) const
{
    constexpr int DESIGN_BASE_UNIT_X = 6;
    return (nPixels * m_nBaseUnitX + DESIGN_BASE_UNIT_X / 2) / DESIGN_BASE_UNIT_X;
}

void CLvCoolDlg::InitDialogOnce()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    if (auto* const pOk = qobject_cast<QPushButton*>(GetDlgItem(IDOK)))
        connect(pOk, &QPushButton::clicked, this, &CLvCoolDlg::OnOK);
    OnInitDialog();
}

int CLvCoolDlg::DoModal()
{
    InitDialogOnce();
    return exec() == IDOK ? IDOK : IDCANCEL;
}

void CLvCoolDlg::Create()
{
    InitDialogOnce();
    show();
}

void CLvCoolDlg::EndDialog(int nResult)
{
    DestroyWindow();
    done(nResult);
}

void CLvCoolDlg::DestroyWindow()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    // The window's timers end with it: no step of a pending chain runs afterwards.
    for (auto& [nId, timer] : m_timers)
        timer.stop();
    m_timers.clear();
    OnDestroy();
}

QWidget* CLvCoolDlg::GetDlgItem(int nId) const
{
    const auto it = m_controls.find(nId);
    return it == m_controls.end() ? nullptr : it->second;
}

bool CLvCoolDlg::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return true;
}

bool CLvCoolDlg::SetTimer(int nIdEvent, int nElapseMs)
{
    if (m_bDestroyed)
        return false;
    m_timers[nIdEvent].start(nElapseMs, this);
    return true;
}

bool CLvCoolDlg::KillTimer(int nIdEvent)
{
    const auto it = m_timers.find(nIdEvent);
    if (it == m_timers.end())
        return false;
    it->second.stop();
    m_timers.erase(it);
    return true;
}

bool CLvCoolDlg::IsTimerActive(int nIdEvent) const
{
    const auto it = m_timers.find(nIdEvent);
    return it != m_timers.end() && it->second.isActive();
}

int CLvCoolDlg::MessageBox(const std::string& csText, unsigned nIdTitle, MessageIcon icon)
{
    const std::string csTitle = LoadString(nIdTitle);
    if (m_fnShowMessage) {
        m_fnShowMessage(csTitle, csText, icon);
        return IDOK;
    }
    QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information
            : icon == MessageIcon::Warning          ? QMessageBox::Warning
                                                    : QMessageBox::Critical,
        QString::fromStdString(csTitle), FromBytes(csText),
        QMessageBox::Ok, this);
    if (const std::string csOk = LoadString(IDS_BUTTON_OK); !csOk.empty())
        box.button(QMessageBox::Ok)->setText(QString::fromStdString(csOk));
    box.exec();
    return IDOK;
}

bool CLvCoolDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CLvCoolDlg::DoDataExchange(CDataExchange* /*pDX*/)
{
}

void CLvCoolDlg::OnTimer(int nIdEvent)
{
    KillTimer(nIdEvent);
}

void CLvCoolDlg::OnOK()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void CLvCoolDlg::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CLvCoolDlg::OnPaint()
{
    QPainter dc(this);
    DlgPaint(&dc, this, 1, "Background", nullptr);
}

void CLvCoolDlg::OnDestroy()
{
}

void CLvCoolDlg::accept()
{
    OnOK();
}

void CLvCoolDlg::reject()
{
    OnCancel();
}

void CLvCoolDlg::paintEvent(QPaintEvent* /*pEvent*/)
{
    OnPaint();
}

void CLvCoolDlg::timerEvent(QTimerEvent* pEvent)
{
    for (const auto& [nId, timer] : m_timers) {
        if (timer.timerId() == pEvent->timerId()) {
            OnTimer(nId);
            return;
        }
    }
    QDialog::timerEvent(pEvent);
}
