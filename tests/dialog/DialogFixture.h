#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CLineCountDlg.h"
#include "TempDir.h"

class QPushButton;

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
    [[nodiscard]] std::vector<std::string> ProjectEntries() const;
    [[nodiscard]] std::vector<bool> ProjectSelection() const;

    TempDir m_config;
    TempDir m_sources;
    std::unique_ptr<CLineCountDlg> m_pDlg;
    std::vector<ShownMessage> m_messages;
};
