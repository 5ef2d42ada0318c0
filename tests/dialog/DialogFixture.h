#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CLineCountDlg.h"
#include "TempDir.h"

class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

struct ShownMessage
{
    std::string csTitle;
    std::string csText;
    MessageIcon icon;
};

// A main dialog as Pindrel starts it, with its INI file in a temporary
// XDG_CONFIG_HOME and every message box recorded instead of shown.
class DialogFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Constructs and initialises the dialog (the INI file is read now) and shows it.
    CLineCountDlg& OpenDialog();
    // Ends the dialog the way Escape (IDCANCEL) or Close (IDOK) does and destroys it.
    void CloseDialog(int nResult);

    [[nodiscard]] std::string IniPath() const;
    void WriteIni(const std::string& csText) const;
    [[nodiscard]] std::string ReadIni() const;

    [[nodiscard]] QPushButton* Button(const char* pszName) const;
    [[nodiscard]] QListWidget* ProjectListBox() const;
    [[nodiscard]] QProgressBar* Bar(const char* pszName) const;
    [[nodiscard]] QTableWidget* Results() const;
    // The text of a results list cell; empty for a cell never written.
    [[nodiscard]] std::string ResultText(int nRow, int nCol) const;
    [[nodiscard]] std::vector<std::string> ProjectEntries() const;
    [[nodiscard]] std::vector<bool> ProjectSelection() const;

    // Writes entries as the stored project list (keys 0, 1, ...), then opens the dialog on it.
    void WriteProjects(const std::vector<std::string>& entries) const;
    CLineCountDlg& OpenDialogWith(const std::vector<std::string>& entries);
    // Presses Escape: the dialog ends without storing the list but stays constructed.
    void PressEscape();

    [[nodiscard]] QLineEdit* DirectoryEdit() const;
    [[nodiscard]] std::string DirectoryText() const;
    // Replaces the edit's text key by key, as typing does.
    void TypeDirectory(const std::string& csText);
    // Clicks entry nIndex of the project list with the mouse: it toggles, and the dialog is told.
    void ClickProject(int nIndex);
    // Sets the selection as the program does (no notification), then brings the buttons up to date.
    void SetSelection(const std::vector<bool>& selection);
    // Object names of the dialog's commands that are enabled, in a fixed order, blank-separated.
    [[nodiscard]] std::string EnabledCommands() const;

    // The one run timer pending, 0 when none; a test failure when more than one is.
    [[nodiscard]] int PendingRunTimer() const;
    // Handles the pending run timer's tick by hand; returns its id, 0 when none was pending.
    int TickRun();
    // Ticks by hand until no run timer is pending; returns the number of steps.
    int TickRunToEnd(int nMaxSteps = 1000000);

    // Processes events until fnDone holds or nTimeoutMs pass; returns whether it held.
    static bool WaitUntil(const std::function<bool()>& fnDone, int nTimeoutMs);
    // Processes events for nMs milliseconds.
    static void ProcessEventsFor(int nMs);

    TempDir m_config;
    TempDir m_sources;
    std::unique_ptr<CLineCountDlg> m_pDlg;
    std::vector<ShownMessage> m_messages;
};
