#include "CLineCountApp.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "CLineCountDlg.h"
#include "DialogTemplate.h"
#include "GlobalVarsForDll.h"
#include "PindrelResources.h"

bool CLineCountApp::InitInstance()
{
    ConfigureSharedLibrary();
    static_cast<void>(LoadQtTranslations()); // English is the fallback, not a failure
    CLineCountDlg dlg;
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
    return 0;
}
