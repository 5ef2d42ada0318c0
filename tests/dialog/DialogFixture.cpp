#include "DialogFixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "CLineCountApp.h"
#include "GlobalVarsForDll.h"
#include "PrivateProfile.h"

void DialogFixture::SetUp()
{
    ::setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
    CLineCountApp::ConfigureSharedLibrary();
}

void DialogFixture::TearDown()
{
    m_pDlg.reset();
}

CLineCountDlg& DialogFixture::OpenDialog()
{
    m_pDlg = std::make_unique<CLineCountDlg>();
    m_pDlg->m_fnShowMessage = [this](const std::string& csTitle, const std::string& csText, MessageIcon icon) {
        m_messages.push_back({ csTitle, csText, icon });
    };
    m_pDlg->Create();
    return *m_pDlg;
}

void DialogFixture::CloseDialog(int nResult)
{
    if (!m_pDlg)
        return;
    if (nResult == IDOK)
        Button("IDOK")->click();
    else
        PressEscape();
    m_pDlg.reset();
}

std::string DialogFixture::IniPath() const
{
    return m_config.Path() + "/Pindrel/Pindrel.ini";
}

void DialogFixture::WriteIni(const std::string& csText) const
{
    m_config.WriteFile("Pindrel/Pindrel.ini", csText);
}

std::string DialogFixture::ReadIni() const
{
    return ReadWholeFile(IniPath());
}

QPushButton* DialogFixture::Button(const char* pszName) const
{
    return m_pDlg->findChild<QPushButton*>(QString::fromLatin1(pszName));
}

QListWidget* DialogFixture::ProjectListBox() const
{
    return m_pDlg->findChild<QListWidget*>(QStringLiteral("IDC_PROJECTS"));
}

QProgressBar* DialogFixture::Bar(const char* pszName) const
{
    return m_pDlg->findChild<QProgressBar*>(QString::fromLatin1(pszName));
}

QTableWidget* DialogFixture::Results() const
{
    return m_pDlg->findChild<QTableWidget*>(QStringLiteral("IDC_RESULTS"));
}

std::string DialogFixture::ResultText(int nRow, int nCol) const
{
    const QTableWidgetItem* pItem = Results()->item(nRow, nCol);
    return pItem == nullptr ? std::string() : pItem->text().toStdString();
}

std::vector<std::string> DialogFixture::ProjectEntries() const
{
    std::vector<std::string> entries;
    for (int i = 0; i < ProjectListBox()->count(); ++i)
        entries.push_back(ProjectListBox()->item(i)->text().toStdString());
    return entries;
}

std::vector<bool> DialogFixture::ProjectSelection() const
{
    std::vector<bool> selection;
    for (int i = 0; i < ProjectListBox()->count(); ++i)
        selection.push_back(ProjectListBox()->item(i)->isSelected());
    return selection;
}

void DialogFixture::WriteProjects(const std::vector<std::string>& entries) const
{
    std::vector<ProfileEntry> section;
    for (std::size_t i = 0; i < entries.size(); ++i)
        section.push_back({ std::to_string(i), entries[i] });
    ASSERT_TRUE(ReplacePrivateProfileSection(IniPath(), "Projects", section));
}

CLineCountDlg& DialogFixture::OpenDialogWith(const std::vector<std::string>& entries)
{
    WriteProjects(entries);
    return OpenDialog();
}

void DialogFixture::PressEscape()
{
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
}

QLineEdit* DialogFixture::DirectoryEdit() const
{
    return m_pDlg->findChild<QLineEdit*>(QStringLiteral("IDC_DIRECTORY"));
}

std::string DialogFixture::DirectoryText() const
{
    return DirectoryEdit()->text().toStdString();
}

void DialogFixture::TypeDirectory(const std::string& csText)
{
    QLineEdit* const pEdit = DirectoryEdit();
    if (!pEdit->text().isEmpty()) {
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Backspace);
    }
    QTest::keyClicks(pEdit, QString::fromStdString(csText));
}

void DialogFixture::ClickProject(int nIndex)
{
    QListWidget* const pList = ProjectListBox();
    QListWidgetItem* const pItem = pList->item(nIndex);
    ASSERT_NE(pItem, nullptr) << "no entry " << nIndex;
    pList->scrollToItem(pItem);
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, pList->visualItemRect(pItem).center());
}

void DialogFixture::SetSelection(const std::vector<bool>& selection)
{
    QListWidget* const pList = ProjectListBox();
    {
        const QSignalBlocker blocker(pList);
        for (int i = 0; i < pList->count(); ++i)
            pList->item(i)->setSelected(static_cast<std::size_t>(i) < selection.size()
                && selection[static_cast<std::size_t>(i)]);
    }
    m_pDlg->UpdateButtonStates();
}

std::string DialogFixture::EnabledCommands() const
{
    static const char* const apszNames[] = { "IDC_DIRECTORY", "IDC_BROWSE", "IDC_PROJECTS", "IDC_ADD", "IDC_UPDATE",
        "IDC_DELETE", "IDC_SELECT_ALL", "IDC_DESELECT_ALL", "IDC_CALC", "IDC_HTML_EXPORT", "IDC_ABOUT", "IDOK" };
    std::string csEnabled;
    for (const char* pszName : apszNames) {
        const QWidget* pControl = m_pDlg->findChild<QWidget*>(QString::fromLatin1(pszName));
        if (pControl != nullptr && pControl->isEnabled())
            csEnabled += (csEnabled.empty() ? "" : " ") + std::string(pszName);
    }
    return csEnabled;
}

int DialogFixture::PendingRunTimer() const
{
    int nPending = 0;
    int nCount = 0;
    for (const int nId : { TIMER_RUN_START, TIMER_PROJECT_START, TIMER_NEXT_FILE }) {
        if (m_pDlg->IsTimerActive(nId)) {
            nPending = nId;
            ++nCount;
        }
    }
    if (nCount > 1)
        ADD_FAILURE() << nCount << " run timers are pending at once";
    return nPending;
}

int DialogFixture::TickRun()
{
    const int nId = PendingRunTimer();
    if (nId != 0)
        m_pDlg->OnTimer(nId);
    return nId;
}

int DialogFixture::TickRunToEnd(int nMaxSteps)
{
    int nSteps = 0;
    while (nSteps < nMaxSteps && TickRun() != 0)
        ++nSteps;
    return nSteps;
}

bool DialogFixture::WaitUntil(const std::function<bool()>& fnDone, int nTimeoutMs)
{
    const QDeadlineTimer deadline(nTimeoutMs);
    while (!fnDone()) {
        const qint64 nLeft = deadline.remainingTime();
        if (nLeft <= 0)
            return fnDone();
        // Sleeps in an event loop, so timers fire on time, and wakes at least every few milliseconds.
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::min<qint64>(nLeft, 5)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void DialogFixture::ProcessEventsFor(int nMs)
{
    WaitUntil([] { return false; }, nMs);
}
