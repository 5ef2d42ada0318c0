#pragma once

#include <string>
#include <vector>

#include <QTranslator>

// The application: configures the shared UI library and runs the main dialog.
class CLineCountApp
{
public:
    // Runs the program from configuration to the end of the dialog; always false,
    // so no message loop of the application's own follows. The arguments are the
    // command line's, without the program and Qt's own options.
    bool InitInstance(const std::vector<std::string>& arguments = {});
    // Registers the resources and hands the shared UI library the program's
    // name and settings; afterwards GlobalVarsForDll::csIni names the INI file.
    static void ConfigureSharedLibrary();
    // Lets Qt's own dialogs and buttons speak the dialog's language; false, and
    // English, when Qt has no translation for it installed.
    [[nodiscard]] bool LoadQtTranslations();
    // What is left to do after the dialog: nothing. Returns the exit code.
    int ExitInstance();

private:
    QTranslator m_qtTranslator;
    int m_nExitCode = 0;
};
