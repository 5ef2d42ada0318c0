#include "CLineCountApp.h"

#include "CLineCountDlg.h"
#include "GlobalVarsForDll.h"
#include "PindrelResources.h"

bool CLineCountApp::InitInstance()
{
    ConfigureSharedLibrary();
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
    GlobalVarsForDll::csWelcomeSentence = " ";
    GlobalVarsForDll::csPartOfAppTitle = "Pindrel";
    GlobalVarsForDll::InitVars(1);
}

int CLineCountApp::ExitInstance()
{
    return 0;
}
