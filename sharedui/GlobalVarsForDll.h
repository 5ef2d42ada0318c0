#pragma once

#include <functional>
#include <string>

class QDialog;

// Settings the application hands the library at start-up, and what the library
// settles from them (the INI file's path).
class GlobalVarsForDll
{
public:
    static std::string csSoftName;
    static std::string csShortSoftName;
    static std::string csInstallFolder;
    static std::string csWelcomeSentence;
    static std::string csPartOfAppTitle;
    // Full path of the INI file, settled by InitVars.
    static std::string csIni;

    // Settles csIni at $XDG_CONFIG_HOME/<csSoftName>/<csSoftName>.ini (default
    // ~/.config). Returns 1 when a path could be settled, 0 otherwise.
    static int InitVars(int nMode);

    // Shows the About box: icon, name, description and version.
    static void DisplayAboutDlg();

    // Runs a modal dialog of the library; tests replace it to look at the dialog
    // without waiting for a user.
    static std::function<int(QDialog&)> fnExecModal;
};
