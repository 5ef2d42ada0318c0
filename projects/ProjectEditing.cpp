// CLineCountDlg: editing the project list and the states of the commands that follow it.
#include "CLineCountDlg.h"

#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
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
    if (pButton->isEnabled() != bEnable)
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
    setEnabledIfChanged(m_btnDelete, nSelected == 1);
    setEnabledIfChanged(m_btnUpdate, nSelected == 1);
    // A run keeps Calc for itself until it ends.
    setEnabledIfChanged(m_btnCalc, nSelected > 0 && !IsRunPending());
    UpdateData(true);
    setEnabledIfChanged(m_btnAdd, !m_csDirectory.empty());
}

void CLineCountDlg::ChangeProjectList(const std::function<void()>& fnChange)
{
    {
        const QSignalBlocker blocker(m_lbProjects);
        fnChange();
    }
    UpdateButtonStates();
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
    ChangeProjectList([this] { m_lbProjects->item(ListBoxAddString(m_lbProjects, m_csDirectory))->setSelected(true); });
}

void CLineCountDlg::OnUpdateProject()
{
    UpdateData(true);
    if (selectedCount(m_lbProjects) != 1 || !AcceptEntryText(m_csDirectory))
        return;
    ChangeProjectList([this] {
        delete m_lbProjects->takeItem(lowestSelectedIndex(m_lbProjects));
        // The updated entry moves to the end of the list.
        m_lbProjects->item(ListBoxAddString(m_lbProjects, m_csDirectory))->setSelected(true);
    });
}

void CLineCountDlg::OnDeleteProject()
{
    ChangeProjectList([this] {
        if (const int nIndex = lowestSelectedIndex(m_lbProjects); nIndex >= 0)
            delete m_lbProjects->takeItem(nIndex);
    });
}

void CLineCountDlg::OnSelectAll()
{
    ChangeProjectList([this] { m_lbProjects->selectAll(); });
}

void CLineCountDlg::OnDeselectAll()
{
    ChangeProjectList([this] { m_lbProjects->clearSelection(); });
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
