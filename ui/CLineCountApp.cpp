#include "CLineCountApp.h"

#include <cstdio>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTimer>

#include "CLineCountDlg.h"
#include "DialogTemplate.h"
#include "GlobalVarsForDll.h"
#include "PindrelResources.h"
#include "ProjectArguments.h"
#include "SingleWindow.h"

bool CLineCountApp::InitInstance(const std::vector<std::string>& arguments)
{
    const ProjectArguments command = ParseProjectArguments(arguments, CurrentWorkingDirectory());
    if (!command.csError.empty()) {
        std::fprintf(stderr, "%s\n", command.csError.c_str());
        m_nExitCode = 2;
        return false;
    }
    ConfigureSharedLibrary();
    CSingleWindow singleWindow(GlobalVarsForDll::csIni);
    if (singleWindow.Claim(command.directories) == CSingleWindow::Start::HandedOver)
        return false;
    static_cast<void>(LoadQtTranslations()); // English is the fallback, not a failure
    CLineCountDlg dlg;
    singleWindow.Serve(&dlg);
    if (!command.directories.empty()) {
        // After the list is loaded, with the window on screen to own any message.
        QTimer::singleShot(0, &dlg, [&dlg, &command] { dlg.OpenProjects(command.directories); });
    }
    dlg.DoModal();
    return false;
}

void CLineCountApp::ConfigureSharedLibrary()
{
    RegisterPindrelResources();
    GlobalVarsForDll::csSoftName = "Pindrel";
    GlobalVarsForDll::csShortSoftName = "Pindrel";
    GlobalVarsForDll::csInstallFolder = "Programs";
    // One blank, assigned by count: GCC 12 misreads = " " here as an overlapping copy (-Wrestrict).
    GlobalVarsForDll::csWelcomeSentence.assign(1, ' ');
    GlobalVarsForDll::csPartOfAppTitle = "Pindrel";
    GlobalVarsForDll::InitVars(1);
}

bool CLineCountApp::LoadQtTranslations()
{
    // The same rule as the dialog template's, so that one dialog speaks one language.
    const char* pszName = nullptr;
    switch (UserDialogLanguage()) {
    case DlgLanguage::French: pszName = "qtbase_fr"; break;
    case DlgLanguage::German: pszName = "qtbase_de"; break;
    case DlgLanguage::English: return true;
    }
    if (!m_qtTranslator.load(QString::fromLatin1(pszName), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&m_qtTranslator);
}

int CLineCountApp::ExitInstance()
{
    return m_nExitCode;
}
