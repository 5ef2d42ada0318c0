// CLineCountDlg: the calculation run — Calc, the chain of timer steps, taking commands away and back.
#include "CLineCountDlg.h"

#include <limits>

#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "ByteText.h"
#include "CollectSourceFiles.h"
#include "CountFileLines.h"
#include "Resource.h"

int g_nCurProject = 0;
int g_nCurFile = 0;

namespace {

// Selects or deselects one entry as the program, not the user: no notification.
// An index of -1 (the entry was deleted during the run) changes nothing.
void setEntrySelected(QListWidget* pList, int nIndex, bool bSelected)
{
    if (nIndex < 0 || nIndex >= pList->count())
        return;
    const QSignalBlocker blocker(pList);
    pList->item(nIndex)->setSelected(bSelected);
}

} // namespace

void CLineCountDlg::OnCalc()
{
    if (IsRunPending())
        return;
    UpdateData(true);
    SaveProjects();
    if (!CollectSelectedProjects())
        return;
    m_progressAll.SetRange32(0, m_nTotalFiles);
    m_progressAll.SetPos(0);
    m_progressAll.SetStep(1);
    if (m_nTotalFiles > 0) {
        // An ended dialog refuses timers for good: then no run starts, and no command is taken away.
        if (!SetTimer(TIMER_RUN_START, TIMER_INTERVAL_MS))
            return;
        m_bRunPending = true;
        EnableCommands(false);
        return;
    }
    ShowMessage(IDS_NO_VALID_FILES, MessageIcon::Information);
}

bool CLineCountDlg::CollectSelectedProjects()
{
    std::vector<int> anSelected;
    for (int i = 0; i < m_lbProjects->count(); ++i) {
        if (m_lbProjects->item(i)->isSelected())
            anSelected.push_back(i);
    }
    if (anSelected.size() > static_cast<std::size_t>(MAX_PROJECTS)) {
        ShowMessage(IDS_TOO_MANY_PROJECTS, MessageIcon::Warning,
            { std::to_string(anSelected.size()), std::to_string(MAX_PROJECTS) });
        return false;
    }
    m_nSelCount = static_cast<int>(anSelected.size());
    m_runDirectories.clear();
    m_runEntries.clear();
    std::int64_t nTotal = 0;
    for (int i = 0; i < m_nSelCount; ++i) {
        const auto nPos = static_cast<std::size_t>(i);
        m_anSelIndex[nPos] = anSelected[nPos];
        const std::string csDir = ListBoxGetText(m_lbProjects, m_anSelIndex[nPos]);
        m_runDirectories.push_back(csDir);
        m_runEntries.emplace_back(m_lbProjects->model()->index(m_anSelIndex[nPos], 0));
        // The run's first collection clears the counters and every file list.
        m_anFileCount[nPos] = CollectProjectSourceFiles(i, csDir, i == 0);
        nTotal += m_anFileCount[nPos];
    }
    m_nTotalFiles = static_cast<int>(std::min<std::int64_t>(nTotal, std::numeric_limits<int>::max()));
    return true;
}

void CLineCountDlg::OnTimer(int nIdEvent)
{
    KillTimer(nIdEvent); // every timer is a one-shot
    if (!IsRunPending())
        return;
    switch (nIdEvent) {
    case TIMER_RUN_START:
        g_nCurProject = 0;
        SetTimer(TIMER_PROJECT_START, TIMER_INTERVAL_MS);
        break;
    case TIMER_PROJECT_START: StartProjectStep(); break;
    case TIMER_NEXT_FILE: NextFileStep(); break;
    default: break;
    }
}

void CLineCountDlg::StartProjectStep()
{
    g_nCurFile = 0;
    m_progressProject.SetRange32(0, m_anFileCount[static_cast<std::size_t>(g_nCurProject)]);
    m_progressProject.SetPos(0);
    m_progressProject.SetStep(1);
    setEntrySelected(m_lbProjects, FollowRunEntry(g_nCurProject), false);
    SetTimer(TIMER_NEXT_FILE, TIMER_INTERVAL_MS);
}

void CLineCountDlg::NextFileStep()
{
    if (g_nCurFile < m_anFileCount[static_cast<std::size_t>(g_nCurProject)]) {
        CountFileLines(g_nCurProject, g_nCurFile);
        m_progressProject.StepIt();
        m_progressAll.StepIt();
        ++g_nCurFile;
        SetTimer(TIMER_NEXT_FILE, TIMER_INTERVAL_MS);
        return;
    }
    // Finishing a project is a step of its own: it counts nothing.
    ++g_nCurProject;
    if (g_nCurProject < m_nSelCount) {
        SetTimer(TIMER_PROJECT_START, TIMER_INTERVAL_MS);
        return;
    }
    FinishRun();
}

void CLineCountDlg::FinishRun()
{
    FillResults();
    m_progressProject.SetPos(0);
    m_progressAll.SetPos(0);
    // Processed entries come back selected; whatever the user selected meanwhile stays.
    for (int i = 0; i < m_nSelCount; ++i)
        setEntrySelected(m_lbProjects, FollowRunEntry(i), true);
    m_runEntries.clear();
    m_bRunPending = false;
    EnableCommands(true);
}

int CLineCountDlg::FollowRunEntry(int nPosition)
{
    const auto nPos = static_cast<std::size_t>(nPosition);
    const QPersistentModelIndex& entry = m_runEntries[nPos];
    m_anSelIndex[nPos] = entry.isValid() ? entry.row() : -1;
    return m_anSelIndex[nPos];
}

void CLineCountDlg::EnableCommands(bool bEnable)
{
    for (QPushButton* const pButton : { m_btnCalc, m_btnBrowse, m_btnSelectAll, m_btnDeselectAll })
        pButton->setEnabled(bEnable);
    if (bEnable) {
        UpdateButtonStates();
        return;
    }
    for (QPushButton* const pButton : { m_btnAdd, m_btnDelete, m_btnUpdate })
        pButton->setEnabled(false);
}
