// CLineCountDlg: the project list's store, the "Projects" section of the INI file.
#include "CLineCountDlg.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "ByteText.h"
#include "GlobalVarsForDll.h"
#include "PrivateProfile.h"
#include "Resource.h"
#include "StringTable.h"

namespace {

constexpr std::string_view PROJECTS_SECTION = "Projects";

} // namespace

void CLineCountDlg::LoadProjects()
{
    // Keys count in the order they stand in the file; their names decide nothing else.
    const std::vector<ProfileEntry> entries = ReadPrivateProfileSection(GlobalVarsForDll::csIni, PROJECTS_SECTION);
    // A value the file cannot hold again (a NUL byte) stays out of the list, said once now: kept, it
    // would make every store refuse the whole list, and the session's changes with it.
    std::string csLeftOutKeys;
    {
        const QSignalBlocker blocker(m_lbProjects);
        m_lbProjects->clear();
        for (const ProfileEntry& entry : entries) {
            if (IsStorableProfileValue(entry.csValue))
                ListBoxAddString(m_lbProjects, entry.csValue);
            else
                csLeftOutKeys += (csLeftOutKeys.empty() ? "" : ", ") + entry.csKey;
        }
    }
    OnSelectAll();
    if (!csLeftOutKeys.empty())
        ShowMessage(IDS_ENTRIES_LEFT_OUT, MessageIcon::Warning, { GlobalVarsForDll::csIni, csLeftOutKeys });
}

void CLineCountDlg::SaveProjects()
{
    std::vector<ProfileEntry> entries;
    entries.reserve(static_cast<std::size_t>(m_lbProjects->count()));
    for (int i = 0; i < m_lbProjects->count(); ++i)
        entries.push_back({ std::to_string(i), ListBoxGetText(m_lbProjects, i) });
    // One atomic replacement: a failure leaves the previous list on disk whole.
    const FileStatus status = ReplacePrivateProfileSection(GlobalVarsForDll::csIni, PROJECTS_SECTION, entries);
    // Every command that could not store the list says so: a user who closes believes what is not said.
    if (!status)
        ShowMessage(IDS_PROJECTS_NOT_STORED, MessageIcon::Warning, { FormatFileFailure(*status.failure) });
}
