#include "GlobalVarsForDll.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <QDialog>

#include "CAboutDlg.h"

std::string GlobalVarsForDll::csSoftName;
std::string GlobalVarsForDll::csShortSoftName;
std::string GlobalVarsForDll::csInstallFolder;
std::string GlobalVarsForDll::csWelcomeSentence;
std::string GlobalVarsForDll::csPartOfAppTitle;
std::string GlobalVarsForDll::csIni;
std::function<int(QDialog&)> GlobalVarsForDll::fnExecModal = [](QDialog& dlg) { return dlg.exec(); };

namespace {

std::string configHome()
{
    // Relative values are invalid by the base-directory rules and are ignored.
    if (const char* pszXdg = std::getenv("XDG_CONFIG_HOME"); pszXdg != nullptr && pszXdg[0] == '/')
        return pszXdg;
    if (const char* pszHome = std::getenv("HOME"); pszHome != nullptr && pszHome[0] == '/')
        return std::string(pszHome) + "/.config";
    if (const passwd* pUser = ::getpwuid(::getuid()); pUser != nullptr && pUser->pw_dir != nullptr)
        return std::string(pUser->pw_dir) + "/.config";
    return {};
}

} // namespace

int GlobalVarsForDll::InitVars(int /*nMode*/)
{
    const std::string csHome = configHome();
    const std::string csName = csSoftName.empty() ? std::string("Application") : csSoftName;
    if (csHome.empty()) {
        csIni = csName + ".ini"; // no home at all: the working folder is all that is left
        return 0;
    }
    csIni = csHome + "/" + csName + "/" + csName + ".ini";
    return 1;
}

void GlobalVarsForDll::DisplayAboutDlg()
{
    CAboutDlg dlg;
    fnExecModal(dlg);
}
