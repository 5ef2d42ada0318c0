// CLineCountDlg: directories handed over from outside the dialog (command line, a drop, a second start).
#include "CLineCountDlg.h"

#include <QListWidget>
#include <QTimer>

#include "ByteText.h"
#include "FolderDrop.h"

namespace {

// How often directories handed over during a run look whether it has ended.
constexpr int OPEN_AFTER_RUN_POLL_MS = 50;

int findEntry(const QListWidget* pList, const std::string& csDirectory)
{
    for (int i = 0; i < pList->count(); ++i) {
        if (ListBoxGetText(pList, i) == csDirectory)
            return i;
    }
    return -1;
}

} // namespace

void CLineCountDlg::OpenProjects(const std::vector<std::string>& directories)
{
    // A run holds its projects by list position and selects them again at its
    // end, with Add and Delete taken away meanwhile: the list changes after it.
    if (IsRunPending()) {
        QTimer::singleShot(OPEN_AFTER_RUN_POLL_MS, this, [this, directories] { OpenProjects(directories); });
        return;
    }
    // Every check (and its message) comes first, so the list changes in one step.
    std::vector<std::string> accepted;
    for (const std::string& csDirectory : directories) {
        if (AcceptEntryText(csDirectory))
            accepted.push_back(csDirectory);
    }
    if (accepted.empty())
        return;
    ChangeProjectList([this, &accepted] {
        m_lbProjects->clearSelection();
        for (const std::string& csDirectory : accepted) {
            int nIndex = findEntry(m_lbProjects, csDirectory);
            if (nIndex < 0)
                nIndex = ListBoxAddString(m_lbProjects, csDirectory);
            m_lbProjects->item(nIndex)->setSelected(true);
        }
    });
}

void CLineCountDlg::AcceptFolderDrops()
{
    // Owned by the list's viewport; the drop is handled after the drag has ended,
    // so a message about a refused entry never holds the file manager's drag.
    new CFolderDropFilter(m_lbProjects->viewport(), [this](const std::vector<std::string>& folders) {
        QTimer::singleShot(0, this, [this, folders] { OpenProjects(folders); });
    });
}
