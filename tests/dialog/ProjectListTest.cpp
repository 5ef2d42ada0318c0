// Project list: the "Projects" section of the INI file and the commands that edit the list box.
#include "DialogFixture.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "CLineCountApp.h"
#include "PrivateProfile.h"
#include "ProfileFaults.h"
#include "ProjectArguments.h"
#include "Resource.h"
#include "StringTable.h"

namespace {

using namespace std::string_literals;
using Entries = std::vector<std::string>;
using Selection = std::vector<bool>;

constexpr const char* IDLE_EMPTY = "IDC_DIRECTORY IDC_BROWSE IDC_PROJECTS IDC_SELECT_ALL IDC_DESELECT_ALL "
                                   "IDC_HTML_EXPORT IDC_ABOUT IDOK";

std::vector<ProfileEntry> numbered(const Entries& entries)
{
    std::vector<ProfileEntry> section;
    for (std::size_t i = 0; i < entries.size(); ++i)
        section.push_back({ std::to_string(i), entries[i] });
    return section;
}

// Bytes that no editor would write: every value, line ends and NULs mixed in.
std::string binaryGarbage(std::size_t nSize)
{
    std::string csBytes(nSize, '\0');
    unsigned nState = 12345;
    for (char& c : csBytes) {
        nState = nState * 1103515245U + 12345U;
        c = static_cast<char>((nState >> 16) & 0xFF);
    }
    return csBytes;
}

} // namespace

class ProjectList : public DialogFixture
{
protected:
    [[nodiscard]] std::vector<ProfileEntry> StoredSection() const
    {
        return ReadPrivateProfileSection(IniPath(), "Projects");
    }

    void AddByTyping(const std::string& csText)
    {
        TypeDirectory(csText);
        Button("IDC_ADD")->click();
    }
};

TEST_F(ProjectList, LoadsKeysInFileOrderAndSavesThemBackNumberedFromZero)
{
    WriteIni("[Projects]\n5=five\n2=two\nx=ex\n");
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "five", "two", "ex" }));
    EXPECT_EQ(ProjectSelection(), (Selection { true, true, true }));

    m_pDlg->SaveProjects();
    EXPECT_EQ(ReadIni(), "[Projects]\n0=five\n1=two\n2=ex\n");
}

TEST_F(ProjectList, EverySectionOfTheNameLoadsAndIsStoredAsOneWhereTheFirstStood)
{
    WriteIni("; mine\n[Projects]\n0=a\n[Other]\nk=v\n; kept\n[projects]\n0=b\n1=c\n; tail\n");
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "a", "b", "c" }));

    CloseDialog(IDOK);
    // Closing also stores the results list's layout, after all this.
    const std::string csExpected = "; mine\n[Projects]\n0=a\n1=b\n2=c\n[Other]\nk=v\n; kept\n; tail\n";
    EXPECT_EQ(ReadIni().substr(0, csExpected.size()), csExpected);
}

TEST_F(ProjectList, EmptyIdenticalAndBidonValuesAreEntriesLikeAnyOther)
{
    WriteIni("[Projects]\n0=\n1=same\n2=Bidon!\n3=same\n4=\n");
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "", "same", "Bidon!", "same", "" }));

    m_pDlg->SaveProjects();
    EXPECT_EQ(ReadIni(), "[Projects]\n0=\n1=same\n2=Bidon!\n3=same\n4=\n");
}

TEST_F(ProjectList, EleventhEntryIsStoredAsKeyTen)
{
    OpenDialog();
    Entries expected;
    for (int i = 0; i < 12; ++i) {
        expected.push_back("/src/e" + std::to_string(i));
        AddByTyping(expected.back());
    }
    ASSERT_EQ(ProjectEntries(), expected);

    CloseDialog(IDOK);
    EXPECT_EQ(StoredSection(), numbered(expected));
    EXPECT_NE(ReadIni().find("\n10=/src/e10\n"), std::string::npos) << ReadIni();
}

TEST_F(ProjectList, SaveKeepsEveryByteOutsideTheSection)
{
    for (const std::string csEnd : { "\n", "\r\n" }) {
        SCOPED_TRACE(csEnd == "\n" ? "LF file" : "CR LF file");
        const std::string csBefore = "; Pindrel settings" + csEnd + "[lvResults]" + csEnd + "Columns=1" + csEnd
            + "; widths in pixels" + csEnd + "Column0=184,0,Results " + csEnd + csEnd;
        const std::string csAfter = "[Other]" + csEnd + "  key = value with blanks  " + csEnd + "; closing comment"
            + csEnd + "tail without a line end";
        WriteIni(csBefore + "[Projects]" + csEnd + "0=old" + csEnd + "1=gone" + csEnd + csAfter);
        OpenDialog();
        SetSelection({ false, true });
        Button("IDC_DELETE")->click();
        AddByTyping("new");

        m_pDlg->SaveProjects();
        EXPECT_EQ(ReadIni(), csBefore + "[Projects]" + csEnd + "0=old" + csEnd + "1=new" + csEnd + csAfter);
        CloseDialog(IDCANCEL); // before the next file is written: closing stores the results list's layout
    }
}

TEST_F(ProjectList, EmptyListRemovesTheSectionAndReloadsEmpty)
{
    WriteIni("[Projects]\n0=only\n[Other]\nk=v\n");
    OpenDialog();
    Button("IDC_DELETE")->click();
    ASSERT_TRUE(ProjectEntries().empty());

    m_pDlg->SaveProjects();
    EXPECT_EQ(ReadIni(), "[Other]\nk=v\n");

    CloseDialog(IDOK);
    OpenDialog();
    EXPECT_TRUE(ProjectEntries().empty());
    EXPECT_EQ(EnabledCommands(), IDLE_EMPTY);
}

TEST_F(ProjectList, ButtonStatesAfterLoadFollowTheNumberOfEntries)
{
    const struct
    {
        const char* pszSection;
        std::string csEnabled;
    } cases[] = {
        { "", IDLE_EMPTY },
        { "[Projects]\n0=a\n",
            "IDC_DIRECTORY IDC_BROWSE IDC_PROJECTS IDC_UPDATE IDC_DELETE IDC_SELECT_ALL IDC_DESELECT_ALL IDC_CALC "
            "IDC_HTML_EXPORT IDC_ABOUT IDOK" },
        { "[Projects]\n0=a\n1=b\n",
            "IDC_DIRECTORY IDC_BROWSE IDC_PROJECTS IDC_SELECT_ALL IDC_DESELECT_ALL IDC_CALC IDC_HTML_EXPORT "
            "IDC_ABOUT IDOK" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszSection);
        WriteIni(c.pszSection);
        OpenDialog();
        EXPECT_EQ(EnabledCommands(), c.csEnabled);
        EXPECT_EQ(DirectoryText(), "");
        CloseDialog(IDCANCEL);
    }
}

TEST_F(ProjectList, TypingEnablesAddAndErasingDisablesIt)
{
    OpenDialog();
    QPushButton* const pAdd = Button("IDC_ADD");
    ASSERT_FALSE(pAdd->isEnabled());

    QTest::keyClick(DirectoryEdit(), Qt::Key_A);
    EXPECT_TRUE(pAdd->isEnabled());
    QTest::keyClick(DirectoryEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(pAdd->isEnabled());

    // Blanks are text like any other.
    QTest::keyClick(DirectoryEdit(), Qt::Key_Space);
    EXPECT_TRUE(pAdd->isEnabled());
}

// One command applied to a list in a given state.
struct EditingCase
{
    const char* pszName;
    Entries entries;
    Selection selection;
    std::string csEdit;
    const char* pszButton;
    bool bButtonEnabled; // false: the state is a stale one a run leaves, so the handler is called directly
    void (CLineCountDlg::*fnHandler)();
    Entries expectedEntries;
    Selection expectedSelection;
    std::string csExpectedEnabled; // among Add, Update, Delete and Calc
};

void PrintTo(const EditingCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class ProjectEditing : public ProjectList, public testing::WithParamInterface<EditingCase>
{
protected:
    [[nodiscard]] std::string EnabledEditingCommands() const
    {
        std::string csEnabled;
        for (const char* pszName : { "IDC_ADD", "IDC_UPDATE", "IDC_DELETE", "IDC_CALC" }) {
            if (Button(pszName)->isEnabled())
                csEnabled += (csEnabled.empty() ? "" : " ") + std::string(pszName);
        }
        return csEnabled;
    }
};

TEST_P(ProjectEditing, ChangesTheListAndTheButtons)
{
    const EditingCase& c = GetParam();
    OpenDialogWith(c.entries);
    DirectoryEdit()->setText(QString::fromStdString(c.csEdit));
    SetSelection(c.selection);
    const std::string csIniBefore = ReadIni();

    QPushButton* const pButton = Button(c.pszButton);
    ASSERT_EQ(pButton->isEnabled(), c.bButtonEnabled);
    if (c.bButtonEnabled)
        pButton->click();
    else
        (m_pDlg.get()->*c.fnHandler)();

    EXPECT_EQ(ProjectEntries(), c.expectedEntries);
    EXPECT_EQ(ProjectSelection(), c.expectedSelection);
    EXPECT_EQ(EnabledEditingCommands(), c.csExpectedEnabled);
    EXPECT_EQ(DirectoryText(), c.csEdit) << "no command here changes the edit";
    EXPECT_EQ(ReadIni(), csIniBefore) << "editing stores nothing";
    EXPECT_TRUE(m_messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, ProjectEditing,
    testing::Values(
        EditingCase { "UpdateMovesTheEntryToTheEnd", { "a", "b", "c" }, { true, false, false }, "x", "IDC_UPDATE",
            true, &CLineCountDlg::OnUpdateProject, { "b", "c", "x" }, { false, false, true },
            "IDC_ADD IDC_UPDATE IDC_DELETE IDC_CALC" },
        EditingCase { "UpdateWithEmptyEditMakesAnEmptyEntry", { "a", "b", "c" }, { false, true, false }, "",
            "IDC_UPDATE", true, &CLineCountDlg::OnUpdateProject, { "a", "c", "" }, { false, false, true },
            "IDC_UPDATE IDC_DELETE IDC_CALC" },
        EditingCase { "UpdateWithTwoSelectedDoesNothing", { "a", "b", "c" }, { true, false, true }, "x",
            "IDC_UPDATE", false, &CLineCountDlg::OnUpdateProject, { "a", "b", "c" }, { true, false, true },
            "IDC_ADD IDC_CALC" },
        EditingCase { "DeleteRemovesTheLowestSelected", { "a", "b", "c" }, { false, true, true }, "x", "IDC_DELETE",
            false, &CLineCountDlg::OnDeleteProject, { "a", "c" }, { false, true },
            "IDC_ADD IDC_UPDATE IDC_DELETE IDC_CALC" },
        EditingCase { "DeleteTheOnlyEntryKeepsTheEdit", { "a" }, { true }, "a", "IDC_DELETE", true,
            &CLineCountDlg::OnDeleteProject, {}, {}, "IDC_ADD" },
        EditingCase { "DeleteWithNothingSelectedDoesNothing", { "a", "b" }, { false, false }, "", "IDC_DELETE",
            false, &CLineCountDlg::OnDeleteProject, { "a", "b" }, { false, false }, "" },
        EditingCase { "AddSelectsTheNewEntryAndKeepsTheOthers", { "a", "b" }, { true, false }, "x", "IDC_ADD", true,
            &CLineCountDlg::OnAddProject, { "a", "b", "x" }, { true, false, true }, "IDC_ADD IDC_CALC" },
        EditingCase { "AddKeepsBlanks", { "a" }, { false }, "  ", "IDC_ADD", true, &CLineCountDlg::OnAddProject,
            { "a", "  " }, { false, true }, "IDC_ADD IDC_UPDATE IDC_DELETE IDC_CALC" },
        EditingCase { "AddTwiceGivesTwoEntries", { "a" }, { true }, "a", "IDC_ADD", true,
            &CLineCountDlg::OnAddProject, { "a", "a" }, { true, true }, "IDC_ADD IDC_CALC" },
        EditingCase { "SelectAllOnOneEntryCopiesNothing", { "a" }, { false }, "", "IDC_SELECT_ALL", true,
            &CLineCountDlg::OnSelectAll, { "a" }, { true }, "IDC_UPDATE IDC_DELETE IDC_CALC" },
        EditingCase { "SelectAllOnAnEmptyList", {}, {}, "", "IDC_SELECT_ALL", true, &CLineCountDlg::OnSelectAll, {},
            {}, "" },
        EditingCase { "DeselectAllLeavesOnlyAdd", { "a", "b" }, { true, true }, "q", "IDC_DESELECT_ALL", true,
            &CLineCountDlg::OnDeselectAll, { "a", "b" }, { false, false }, "IDC_ADD" }),
    [](const testing::TestParamInfo<EditingCase>& param) { return std::string(param.param.pszName); });

TEST_F(ProjectList, ClickingASingleEntryCopiesItIntoTheEdit)
{
    OpenDialogWith({ "/src/a", "/src/b", "/src/c" });
    Button("IDC_DESELECT_ALL")->click();

    ClickProject(2);
    EXPECT_EQ(ProjectSelection(), (Selection { false, false, true }));
    EXPECT_EQ(DirectoryText(), "/src/c");
    EXPECT_TRUE(Button("IDC_DELETE")->isEnabled());
    EXPECT_TRUE(Button("IDC_UPDATE")->isEnabled());
    EXPECT_TRUE(Button("IDC_ADD")->isEnabled()) << "Add follows the copied text";

    ClickProject(1);
    EXPECT_EQ(ProjectSelection(), (Selection { false, true, true }));
    EXPECT_EQ(DirectoryText(), "/src/c") << "two selected entries copy nothing";
    EXPECT_FALSE(Button("IDC_DELETE")->isEnabled());
    EXPECT_FALSE(Button("IDC_UPDATE")->isEnabled());

    ClickProject(2);
    EXPECT_EQ(ProjectSelection(), (Selection { false, true, false }));
    EXPECT_EQ(DirectoryText(), "/src/b");
    ClickProject(1);
    EXPECT_EQ(DirectoryText(), "/src/b") << "deselecting the last entry copies nothing";
    ClickProject(1);

    // Selecting, editing and pressing Update is how an entry is renamed.
    TypeDirectory("/src/renamed");
    Button("IDC_UPDATE")->click();
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/c", "/src/renamed" }));
}

TEST_F(ProjectList, PressAndDragTogglesOnlyThePressedEntry)
{
    OpenDialogWith({ "/src/a", "/src/b", "/src/c" });
    SetSelection({ false, false, true });
    TypeDirectory("typed");
    QListWidget* const pList = ProjectListBox();
    const auto centre = [pList](int nIndex) { return pList->visualItemRect(pList->item(nIndex)).center(); };

    QTest::mousePress(pList->viewport(), Qt::LeftButton, Qt::NoModifier, centre(0));
    QTest::mouseMove(pList->viewport(), centre(1));
    QTest::mouseMove(pList->viewport(), centre(2));
    QTest::mouseRelease(pList->viewport(), Qt::LeftButton, Qt::NoModifier, centre(2));
    EXPECT_EQ(ProjectSelection(), (Selection { true, false, true }));
    EXPECT_EQ(DirectoryText(), "typed");

    pList->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    QTest::keyClick(pList, Qt::Key_Space);
    EXPECT_EQ(ProjectSelection(), (Selection { true, true, true })) << "Space toggles the current entry";
}

TEST_F(ProjectList, BrowseCancelEmptiesTheEditAndAChoiceFillsIt)
{
    OpenDialogWith({ "/src/a", "/src/b" });
    SetSelection({ false, true });
    TypeDirectory("typed");
    std::optional<std::string> choice;
    int nAsked = 0;
    m_pDlg->m_fnBrowseFolder = [&] {
        ++nAsked;
        return choice;
    };

    Button("IDC_BROWSE")->click();
    EXPECT_EQ(nAsked, 1);
    EXPECT_EQ(DirectoryText(), "");
    EXPECT_FALSE(Button("IDC_ADD")->isEnabled());

    choice = "/home/user/chosen dir";
    Button("IDC_BROWSE")->click();
    EXPECT_EQ(DirectoryText(), "/home/user/chosen dir");
    EXPECT_TRUE(Button("IDC_ADD")->isEnabled());

    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/b" }));
    EXPECT_EQ(ProjectSelection(), (Selection { false, true }));
}

TEST_F(ProjectList, UnusualValuesComeBackExactlyAfterClose)
{
    const Entries values {
        std::string(5000, 'L') + "/end",
        "  leading blanks",
        "trailing blanks  ",
        "\ttab first",
        "\"quoted\"",
        "\" starts with a quote",
        "ends with a quote\"",
        " \"quoted inside blanks\" ",
        "a \"middle\" b",
        "\"",
        "\"\"",
        "Bidon!",
        "x=y=z",
        "[Projects]",
        "; not a comment",
        "# nor this",
        "C:\\src\\app",
        "/home/j\xC3\xBCrgen/c\xC5\x93ur",
    };
    OpenDialog();
    for (const std::string& csValue : values) {
        DirectoryEdit()->setText(QString::fromStdString(csValue)); // pasted
        Button("IDC_ADD")->click();
    }
    ASSERT_EQ(ProjectEntries(), values);

    CloseDialog(IDOK);
    EXPECT_EQ(StoredSection(), numbered(values)) << "one line per entry, nothing injected";
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), values);
}

TEST_F(ProjectList, EntryLongerThanTheEditsDefaultLimitIsUpdatedWhole)
{
    const std::string csLong = "/" + std::string(40000, 'd');
    OpenDialogWith({ "/src/a", csLong });
    Button("IDC_DESELECT_ALL")->click();
    ClickProject(1);
    Button("IDC_UPDATE")->click();
    CloseDialog(IDOK);
    EXPECT_EQ(StoredSection(), numbered({ "/src/a", csLong }));
}

TEST_F(ProjectList, UnstorableEntriesAreLeftOutOnceAndTheRestIsStoredAroundHandWrittenLines)
{
    WriteIni("[Projects]\r\n0=/src/a\r\r\n; mine\r\n1=/src/b\0c\r\n/bare\r\n2=/src/d\r\n"s);
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/d" }));
    EXPECT_EQ(m_messages.size(), 1U);

    AddByTyping("/src/e");
    CloseDialog(IDOK);
    EXPECT_EQ(m_messages.size(), 1U) << "nothing blocks the store";
    const std::string csExpected = "[Projects]\r\n0=/src/a\r\n; mine\r\n1=/src/d\r\n/bare\r\n2=/src/e\r\n";
    EXPECT_EQ(ReadIni().substr(0, csExpected.size()), csExpected);
}

TEST_F(ProjectList, MessageKeepsAPlaceholderInsideThePathAsItIs)
{
    const std::string csConfig = m_config.MakeDir("odd%2name");
    ::setenv("XDG_CONFIG_HOME", csConfig.c_str(), 1);
    CLineCountApp::ConfigureSharedLibrary();
    m_config.WriteFile("odd%2name/Pindrel/Pindrel.ini", "[Projects]\n7=a\0b\n"s);
    OpenDialog();
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_EQ(m_messages[0].csText, "The project list in \"" + csConfig
            + "/Pindrel/Pindrel.ini\" holds entries that cannot be stored (keys: 7). They were left out.");
}

TEST_F(ProjectList, NamesTheLocaleCannotSpellKeepTheirBytes)
{
    // A legal Linux directory name that is not UTF-8.
    const std::string csDir = m_sources.MakeDir("caf\xE9");
    m_sources.WriteFile("caf\xE9/a.c", "int a;\n");
    OpenDialogWith({ csDir });

    // Clicking it copies it into the edit; Update without touching the text keeps it whole.
    Button("IDC_DESELECT_ALL")->click();
    ClickProject(0);
    ASSERT_EQ(ProjectSelection(), Selection { true });
    Button("IDC_UPDATE")->click();
    m_pDlg->OnCalc();
    EXPECT_EQ(Bar("IDC_PROGRESS_ALL")->maximum(), 1) << "the run looked in the directory the entry names";
    TickRunToEnd();
    CloseDialog(IDOK);
    EXPECT_EQ(StoredSection(), numbered({ csDir }));
}

TEST_F(ProjectList, EntryWithALineBreakIsRefusedWithAMessage)
{
    OpenDialogWith({ "/src/a" });
    const std::string csIniBefore = ReadIni();
    const std::string csWarning = LoadString(IDS_ENTRY_HAS_LINE_BREAK);

    for (const char* pszText : { "/src/b\n[Evil]", "carriage\rreturn", "\n" }) {
        SCOPED_TRACE(pszText);
        m_messages.clear();
        DirectoryEdit()->setText(QString::fromLatin1(pszText));
        for (const char* pszButton : { "IDC_ADD", "IDC_UPDATE" }) {
            ASSERT_TRUE(Button(pszButton)->isEnabled()) << pszButton;
            Button(pszButton)->click();
        }
        ASSERT_EQ(m_messages.size(), 2U);
        for (const ShownMessage& message : m_messages) {
            EXPECT_EQ(message.csTitle, "Warning message");
            EXPECT_EQ(message.csText, csWarning);
            EXPECT_EQ(message.icon, MessageIcon::Warning);
        }
        EXPECT_EQ(ProjectEntries(), (Entries { "/src/a" }));
        EXPECT_EQ(ProjectSelection(), (Selection { true }));
    }
    EXPECT_EQ(ReadIni(), csIniBefore);
    CloseDialog(IDOK);
    EXPECT_EQ(StoredSection(), numbered({ "/src/a" }));
}

TEST_F(ProjectList, CorruptedFileLoadsEmptyAndStaysUntilTheListIsStored)
{
    const std::string csGarbage = binaryGarbage(8192);
    WriteIni(csGarbage);
    OpenDialog();
    EXPECT_TRUE(ProjectEntries().empty());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(Button("IDC_CALC")->isEnabled());

    AddByTyping("/src/new");
    EXPECT_EQ(ReadIni(), csGarbage) << "editing does not touch the file";

    CloseDialog(IDOK);
    const std::string csAfter = ReadIni();
    EXPECT_EQ(csAfter.substr(0, csGarbage.size()), csGarbage) << "what the store cannot read, it keeps";
    EXPECT_EQ(StoredSection(), numbered({ "/src/new" }));
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/new" }));
}

TEST_F(ProjectList, UnwritableFileWarnsOnEveryStoreAndKeepsTheList)
{
    // The INI file's folder is a regular file: nothing can be read or created below it.
    m_config.WriteFile("Pindrel", "a file, not a folder");
    OpenDialog();
    AddByTyping("/src/a");
    AddByTyping("/src/b");
    const Selection selection = ProjectSelection();

    m_pDlg->SaveProjects();
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_EQ(m_messages[0].csTitle, "Warning message");
    EXPECT_EQ(m_messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(m_messages[0].csText.rfind("The project list could not be stored.\n", 0), 0U) << m_messages[0].csText;
    EXPECT_NE(m_messages[0].csText.find(IniPath()), std::string::npos) << "the message names the file";

    Button("IDC_CALC")->click();
    CloseDialog(IDOK);
    const auto nStoreWarnings = std::count_if(m_messages.begin(), m_messages.end(),
        [](const auto& message) { return message.csText.starts_with("The project list could not be stored."); });
    EXPECT_EQ(nStoreWarnings, 3) << "Calc and Close each report their failed store";
}

TEST_F(ProjectList, FailedReplacementKeepsTheOldFileAndTheListBox)
{
    WriteIni("[Projects]\n0=/src/old\n");
    OpenDialog();
    AddByTyping("/src/new");
    {
        const ScopedProfileFaultHook failRename([](ProfileWriteStep step) { return step != ProfileWriteStep::Rename; });
        m_pDlg->SaveProjects();
        EXPECT_EQ(ReadIni(), "[Projects]\n0=/src/old\n");
        EXPECT_EQ(ProjectEntries(), (Entries { "/src/old", "/src/new" }));
        EXPECT_EQ(ProjectSelection(), (Selection { true, true }));
        EXPECT_EQ(m_messages.size(), 1U);
    }
    m_pDlg->SaveProjects();
    EXPECT_EQ(StoredSection(), numbered({ "/src/old", "/src/new" }));
    {
        const ScopedProfileFaultHook failWrite([](ProfileWriteStep step) { return step != ProfileWriteStep::Write; });
        AddByTyping("/src/third");
        m_pDlg->SaveProjects();
    }
    EXPECT_EQ(StoredSection(), numbered({ "/src/old", "/src/new" }));
    EXPECT_EQ(m_messages.size(), 2U);
}

TEST_F(ProjectList, EscapeLosesUnsavedChangesAndCloseKeepsThem)
{
    OpenDialogWith({ "/src/a" });
    AddByTyping("/src/b");
    CloseDialog(IDCANCEL);
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a" }));

    AddByTyping("/src/b");
    TypeDirectory("/typed/but/not/added");
    CloseDialog(IDOK);
    OpenDialog();
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/b" }));
    EXPECT_EQ(DirectoryText(), "");
}

TEST(ProjectArguments, DirectoriesBecomeAbsoluteAndOptionsAreRefused)
{
    struct Case
    {
        std::vector<std::string> arguments;
        std::string csWorkingDir;
        Entries expected; // empty with bError: the command line is refused
        bool bError;
    };
    const Case cases[] = {
        { {}, "/home/me", {}, false },
        { { "src", "/abs/dir" }, "/home/me", { "/home/me/src", "/abs/dir" }, false },
        { { "src/", "/a//b/./c/", "/" }, "/home/me", { "/home/me/src", "/a/b/c", "/" }, false },
        { { "../up", "." }, "/home/me", { "/home/me/../up", "/home/me" }, false },
        { { "--", "-dash", "--" }, "/w", { "/w/-dash", "/w/--" }, false },
        { { "a", "-x" }, "/w", {}, true },
        { { "" }, "/w", {}, true },
        { { "/abs", "rel" }, "", {}, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const ProjectArguments parsed = ParseProjectArguments(c.arguments, c.csWorkingDir);
        EXPECT_EQ(parsed.directories, c.expected);
        EXPECT_EQ(!parsed.csError.empty(), c.bError);
    }
}

TEST_F(ProjectList, OpenedDirectoriesAreAddedOnceAndBecomeTheSelection)
{
    OpenDialogWith({ "/src/a", "/src/b", "/src/c" });
    m_pDlg->OpenProjects({ "/src/d", "/src/b", "/src/x\ny", "/src/d" });
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_EQ(m_messages[0].csText, LoadString(IDS_ENTRY_HAS_LINE_BREAK));
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/b", "/src/c", "/src/d" }));
    EXPECT_EQ(ProjectSelection(), (Selection { false, true, false, true }));
    EXPECT_TRUE(Button("IDC_CALC")->isEnabled());

    // Nothing acceptable: the list and its selection stay.
    m_pDlg->OpenProjects({ "/src/e\r" });
    EXPECT_EQ(ProjectSelection(), (Selection { false, true, false, true }));

    // During a run the list keeps still (the run reselects its entries by position) and changes after it.
    const std::string csCounted = m_sources.MakeDir("counted");
    m_sources.WriteFile("counted/main.c", "int x;\n");
    m_pDlg->OpenProjects({ csCounted });
    Button("IDC_CALC")->click();
    ASSERT_TRUE(m_pDlg->IsRunPending());
    m_pDlg->OpenProjects({ "/src/a", "/src/f" });
    EXPECT_EQ(ProjectEntries().size(), 5U);
    EXPECT_FALSE(Button("IDC_DELETE")->isEnabled());
    TickRunToEnd();
    EXPECT_TRUE(WaitUntil([this] { return ProjectEntries().size() == 6; }, 60000));
    EXPECT_EQ(ProjectSelection(), (Selection { true, false, false, false, false, true }));
}

TEST_F(ProjectList, DroppedFoldersAreAddedAndAnythingElseIsRefused)
{
    const std::string csFolder = m_sources.MakeDir("one");
    const std::string csOther = m_sources.MakeDir("two");
    const std::string csFile = m_sources.WriteFile("main.c", "int x;\n");
    OpenDialogWith({ "/src/a" });
    QWidget* const pViewport = ProjectListBox()->viewport();
    const auto urls = [](std::initializer_list<std::string> paths) {
        auto* const pData = new QMimeData;
        QList<QUrl> list;
        for (const std::string& csPath : paths)
            list.push_back(QUrl::fromLocalFile(QString::fromStdString(csPath)));
        pData->setUrls(list);
        return pData;
    };
    const auto drop = [&](QMimeData* pData) {
        const std::unique_ptr<QMimeData> data(pData);
        const QPoint at = pViewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, pData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pViewport, &enter);
        QDropEvent dropped(at, Qt::CopyAction, pData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pViewport, &dropped);
        QCoreApplication::processEvents(); // the drop is handled once the drag is over
        return enter.isAccepted();
    };

    auto* const pText = new QMimeData;
    pText->setText(QString::fromStdString(csFolder));
    for (QMimeData* pRefused : { urls({ csFile }), urls({ csFolder, csFile }), urls({ m_sources / "gone" }), pText }) {
        EXPECT_FALSE(drop(pRefused));
        EXPECT_EQ(ProjectEntries(), (Entries { "/src/a" }));
        EXPECT_EQ(ProjectSelection(), (Selection { true }));
    }
    EXPECT_TRUE(drop(urls({ csFolder, csOther })));
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", csFolder, csOther }));
    EXPECT_EQ(ProjectSelection(), (Selection { false, true, true }));
}
