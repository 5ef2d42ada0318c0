#include "DialogFixture.h"

#include <cstdlib>
#include <fstream>

#include <QListWidget>
#include <QPushButton>

#include "CLineCountApp.h"
#include "GlobalVarsForDll.h"

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
        m_pDlg->reject();
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

std::vector<std::string> DialogFixture::ProjectEntries() const
{
    std::vector<std::string> entries;
    for (int i = 0; i < m_pDlg->m_lbProjects->count(); ++i)
        entries.push_back(m_pDlg->m_lbProjects->item(i)->text().toStdString());
    return entries;
}

std::vector<bool> DialogFixture::ProjectSelection() const
{
    std::vector<bool> selection;
    for (int i = 0; i < m_pDlg->m_lbProjects->count(); ++i)
        selection.push_back(m_pDlg->m_lbProjects->item(i)->isSelected());
    return selection;
}
