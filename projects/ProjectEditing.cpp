// CLineCountDlg: editing the project list and the states of the commands that follow it.
#include "CLineCountDlg.h"

#include <QFileDialog>
#include <QListWidget>
#include <QSignalBlocker>

#include "ByteText.h"
#include "PrivateProfile.h"
#include "Resource.h"

namespace {

int selectedCount(const QListWidget* pList)
{
    return static_cast<int>(pList->selectionModel()->selectedRows().size());
}

int lowestSelectedIndex(const QListWidget* pList)
{
    for (int i = 0; i < pList->count(); ++i) {
        if (pList->item(i)->isSelected())
            return i;
    }
    return -1;
}

// Changes a button's state only when it must change.
void setEnabledIfChanged(QWidget* pButton, bool bEnable)
{
    if (pButton != nullptr && pButton->isEnabled() != bEnable)
        pButton->setEnabled(bEnable);
}

std::optional<std::string> askFolder(QWidget* pParent)
{
    const QString csFolder = QFileDialog::getExistingDirectory(pParent, QString(), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (csFolder.isEmpty())
        return std::nullopt;
    return ToBytes(csFolder);
}

} // namespace

void CLineCountDlg::UpdateButtonStates()
{
    const int nSelected = selectedCount(m_lbProjects);
    setEnabledIfChanged(GetDlgItem(IDC_DELETE), nSelected == 1);
    setEnabledIfChanged(GetDlgItem(IDC_UPDATE), nSelected == 1);
    // A run keeps Calc for itself until it ends.
    setEnabledIfChanged(GetDlgItem(IDC_CALC), nSelected > 0 && !IsRunPending());
    UpdateData(true);
    setEnabledIfChanged(GetDlgItem(IDC_ADD), !m_csDirectory.empty());
}

void CLineCountDlg::OnBrowse()
{
    const std::optional<std::string> csFolder = m_fnBrowseFolder ? m_fnBrowseFolder() : askFolder(this);
    m_csDirectory = csFolder.value_or(std::string());
    UpdateData(false);
    UpdateButtonStates();
}

bool CLineCountDlg::AcceptEntryText(const std::string& csText)
{
    if (IsStorableProfileValue(csText))
        return true;
    ShowMessage(IDS_ENTRY_HAS_LINE_BREAK, MessageIcon::Warning);
    return false;
}

void CLineCountDlg::OnAddProject()
{
    if (!AcceptEntryText(m_csDirectory))
        return;
    {
        const QSignalBlocker blocker(m_lbProjects);
        m_lbProjects->item(ListBoxAddString(m_lbProjects, m_csDirectory))->setSelected(true);
    }
    UpdateButtonStates();
}

void CLineCountDlg::OnUpdateProject()
{
    UpdateData(true);
    if (selectedCount(m_lbProjects) != 1 || !AcceptEntryText(m_csDirectory))
        return;
    {
        const QSignalBlocker blocker(m_lbProjects);
        delete m_lbProjects->takeItem(lowestSelectedIndex(m_lbProjects));
        // The updated entry moves to the end of the list.
        m_lbProjects->item(ListBoxAddString(m_lbProjects, m_csDirectory))->setSelected(true);
    }
    UpdateButtonStates();
}

void CLineCountDlg::OnDeleteProject()
{
    {
        const QSignalBlocker blocker(m_lbProjects);
        if (const int nIndex = lowestSelectedIndex(m_lbProjects); nIndex >= 0)
            delete m_lbProjects->takeItem(nIndex);
    }
    UpdateButtonStates();
}

void CLineCountDlg::OnSelectAll()
{
    {
        const QSignalBlocker blocker(m_lbProjects);
        m_lbProjects->selectAll();
    }
    UpdateButtonStates();
}

void CLineCountDlg::OnDeselectAll()
{
    {
        const QSignalBlocker blocker(m_lbProjects);
        m_lbProjects->clearSelection();
    }
    UpdateButtonStates();
}

void CLineCountDlg::OnChangeDirectory()
{
    UpdateButtonStates();
}

void CLineCountDlg::OnSelChangeProjects()
{
    UpdateButtonStates();
    if (selectedCount(m_lbProjects) != 1)
        return;
    m_csDirectory = ListBoxGetText(m_lbProjects, lowestSelectedIndex(m_lbProjects));
    UpdateData(false);
}
