// Main window: start-up, the template in three languages, the results list and its HTML export, Close and About.
#include "DialogFixture.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QLibraryInfo>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "AppResources.h"
#include "CLineCountApp.h"
#include "CListCtrlEx.h"
#include "CounterPrinting.h"
#include "DialogTemplate.h"
#include "GlobalVarsForDll.h"
#include "LineCounters.h"
#include "PrivateProfile.h"
#include "Resource.h"
#include "StatisticsReport.h"
#include "StringTable.h"

namespace {

using Entries = std::vector<std::string>;
using Texts = std::map<std::string, std::string>;

// Object names of the 21 controls, in template order.
const std::vector<std::string> TEMPLATE_ORDER = { "IDC_HINT_FRAME", "IDC_HINT_TEXT", "IDC_STATIC_PROJECTS",
    "IDC_STATIC_DIRECTORIES", "IDC_DIRECTORY", "IDC_BROWSE", "IDC_PROJECTS", "IDC_ADD", "IDC_UPDATE", "IDC_DELETE",
    "IDC_SELECT_ALL", "IDC_DESELECT_ALL", "IDC_CALC", "IDOK", "IDC_HTML_EXPORT", "IDC_RESULTS",
    "IDC_STATIC_ALL_PROJECTS", "IDC_PROGRESS_ALL", "IDC_STATIC_CURRENT_PROJECT", "IDC_PROGRESS_PROJECT", "IDC_ABOUT" };

Texts englishTexts()
{
    return {
        { "IDC_HINT_TEXT",
            "Add all your source directories in the projects list. Select them, then click on the Calc button.\n"
            "Pindrel scan the .c* and .h* files." },
        { "IDC_STATIC_PROJECTS", " &Projects : " },
        { "IDC_STATIC_DIRECTORIES", "&Directories :" },
        { "IDC_BROWSE", "..." },
        { "IDC_ADD", "&Add" },
        { "IDC_UPDATE", "&Update" },
        { "IDC_DELETE", "De&lete" },
        { "IDC_SELECT_ALL", "&Select All" },
        { "IDC_DESELECT_ALL", "D&eselect All" },
        { "IDC_CALC", "&Calc !" },
        { "IDOK", "Cl&ose" },
        { "IDC_HTML_EXPORT", "Html export..." },
        { "IDC_STATIC_ALL_PROJECTS", "All projects :" },
        { "IDC_STATIC_CURRENT_PROJECT", "Current project :" },
        { "IDC_ABOUT", "A&bout..." },
    };
}

Texts frenchTexts()
{
    Texts texts = englishTexts();
    texts["IDC_HINT_TEXT"] = "Ajoutez tous vos r\xC3\xA9pertoires de sources \xC3\xA0 la liste des projets. "
                             "S\xC3\xA9lectionnez les et appuyez sur le bouton Calculer. "
                             "Pindrel \xC3\xA9tudie tous les fichiers .c* and .h*.";
    texts["IDC_STATIC_PROJECTS"] = " Projets : ";
    texts["IDC_STATIC_DIRECTORIES"] = "&R\xC3\xA9pertoires :";
    texts["IDC_ADD"] = "&Ajouter";
    texts["IDC_UPDATE"] = "&Modifier";
    texts["IDC_DELETE"] = "&Supprimer";
    texts["IDC_SELECT_ALL"] = "&Tout s\xC3\xA9lectionner";
    texts["IDC_DESELECT_ALL"] = "Tout &d\xC3\xA9selectionner";
    texts["IDC_CALC"] = "&Calculer !";
    texts["IDOK"] = "&Fermer";
    texts["IDC_HTML_EXPORT"] = "Export Html...";
    texts["IDC_ABOUT"] = "A propos...";
    return texts; // "All projects :" and "Current project :" stay English
}

Texts germanTexts()
{
    Texts texts = englishTexts();
    texts["IDC_HTML_EXPORT"] = "Html Export...";
    return texts;
}

std::size_t countOf(const std::string& csText, const std::string& csPart)
{
    std::size_t nCount = 0;
    for (std::size_t nAt = csText.find(csPart); nAt != std::string::npos; nAt = csText.find(csPart, nAt + 1))
        ++nCount;
    return nCount;
}

} // namespace

class MainDialogTest : public DialogFixture
{
protected:
    void TearDown() override
    {
        DialogFixture::TearDown();
        OverrideDialogLanguage(std::nullopt);
        g_lineCounters.Reset();
    }

    [[nodiscard]] std::string TextOf(const std::string& csName) const
    {
        const QWidget* pControl = m_pDlg->findChild<QWidget*>(QString::fromStdString(csName));
        if (pControl == nullptr)
            return "<missing>";
        if (const auto* pButton = qobject_cast<const QAbstractButton*>(pControl))
            return pButton->text().toStdString();
        if (const auto* pLabel = qobject_cast<const QLabel*>(pControl))
            return pLabel->text().toStdString();
        if (const auto* pGroup = qobject_cast<const QGroupBox*>(pControl))
            return pGroup->title().toStdString();
        return "<no text>";
    }

    [[nodiscard]] std::vector<std::string> Headings() const
    {
        std::vector<std::string> headings;
        for (int i = 0; i < Results()->columnCount(); ++i)
            headings.push_back(Results()->horizontalHeaderItem(i)->text().toStdString());
        return headings;
    }

    [[nodiscard]] std::vector<std::vector<std::string>> Cells() const
    {
        std::vector<std::vector<std::string>> rows;
        for (int nRow = 0; nRow < Results()->rowCount(); ++nRow) {
            std::vector<std::string> cells;
            for (int nCol = 0; nCol < Results()->columnCount(); ++nCol)
                cells.push_back(ResultText(nRow, nCol));
            rows.push_back(std::move(cells));
        }
        return rows;
    }

    // Makes the dialog the active window, so keys and focus behave as for the user.
    void Activate()
    {
        QApplication::setActiveWindow(m_pDlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    }

    // Points the export's save dialog at a path; counts how often it is asked.
    void AnswerSaveDialogWith(std::optional<std::string> csPath)
    {
        m_pDlg->m_fnAskSavePath = [this, csPath] {
            ++m_nSaveDialogs;
            return csPath;
        };
    }

    // The report's rows take the two colours in turn (seen in the export) and select as whole rows.
    void ExpectBothAttributesAndFullRowSelection()
    {
        g_lineCounters = ExampleRunCounters();
        m_pDlg->FillResults();
        AnswerSaveDialogWith(m_sources / "colours.html");
        Button("IDC_HTML_EXPORT")->click();
        const std::string csHtml = ReadWholeFile(m_sources / "colours.html");
        const std::string csYellow = "<tr style=\"color: #000000; background: #ffffbf\">";
        const std::string csWhite = "<tr style=\"color: #000000; background: #fffff5\">";
        EXPECT_EQ(countOf(csHtml, csYellow), 4u) << csHtml;
        EXPECT_EQ(countOf(csHtml, csWhite), 4u);
        EXPECT_LT(csHtml.find(csYellow), csHtml.find(csWhite));
        EXPECT_EQ(Results()->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    int m_nSaveDialogs = 0;
};

TEST_F(MainDialogTest, StartUpHandsTheLibraryThePindrelSettings)
{
    EXPECT_EQ(GlobalVarsForDll::csSoftName, "Pindrel");
    EXPECT_EQ(GlobalVarsForDll::csShortSoftName, "Pindrel");
    EXPECT_EQ(GlobalVarsForDll::csInstallFolder, "Programs");
    EXPECT_EQ(GlobalVarsForDll::csWelcomeSentence, " ");
    EXPECT_EQ(GlobalVarsForDll::csPartOfAppTitle, "Pindrel");
    EXPECT_EQ(GlobalVarsForDll::csIni, m_config.Path() + "/Pindrel/Pindrel.ini");

    const std::pair<unsigned, const char*> strings[] = {
        { IDS_BUTTON_OK, "&Ok" },
        { IDS_TITLE_INFORMATION, "Information message" },
        { IDS_TITLE_WARNING, "Warning message" },
    };
    for (const auto& [nId, pszText] : strings)
        EXPECT_EQ(LoadString(nId), pszText) << "string " << nId;
    EXPECT_EQ(AppVersionInfo().csFileDescription, "Simple statistics on your C/C++ code.");
    EXPECT_FALSE(AppIcon().isNull());
}

struct LanguageCase
{
    const char* pszName;
    DlgLanguage language;
    Texts (*fnTexts)();
};

class MainDialogLanguageTest : public MainDialogTest, public ::testing::WithParamInterface<LanguageCase>
{
};

TEST_P(MainDialogLanguageTest, ShowsEveryControlOfTheTemplateWithItsText)
{
    OverrideDialogLanguage(GetParam().language);
    OpenDialog();
    EXPECT_EQ(m_pDlg->windowTitle().toStdString(), "Velkor Pindrel");

    for (const std::string& csName : TEMPLATE_ORDER)
        EXPECT_NE(m_pDlg->findChild<QWidget*>(QString::fromStdString(csName)), nullptr) << csName;
    for (const auto& [csName, csText] : GetParam().fnTexts())
        EXPECT_EQ(TextOf(csName), csText) << csName;
    EXPECT_NE(m_pDlg->findChild<QLineEdit*>("IDC_DIRECTORY"), nullptr);
    EXPECT_NE(m_pDlg->findChild<QListWidget*>("IDC_PROJECTS"), nullptr);
    EXPECT_NE(m_pDlg->findChild<QTableWidget*>("IDC_RESULTS"), nullptr);
    EXPECT_NE(m_pDlg->findChild<QProgressBar*>("IDC_PROGRESS_ALL"), nullptr);
    EXPECT_NE(m_pDlg->findChild<QProgressBar*>("IDC_PROGRESS_PROJECT"), nullptr);

    // Close is the one default button; the list toggles entries one click at a time; the frame is fixed.
    for (const QPushButton* pButton : m_pDlg->findChildren<QPushButton*>())
        EXPECT_EQ(pButton->isDefault(), pButton->objectName() == "IDOK") << pButton->objectName().toStdString();
    EXPECT_EQ(ProjectListBox()->selectionMode(), QAbstractItemView::MultiSelection);
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    EXPECT_EQ(m_pDlg->size(), m_pDlg->minimumSize());
    EXPECT_FALSE(m_pDlg->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

INSTANTIATE_TEST_SUITE_P(Languages, MainDialogLanguageTest,
    ::testing::Values(LanguageCase { "English", DlgLanguage::English, englishTexts },
        LanguageCase { "French", DlgLanguage::French, frenchTexts },
        LanguageCase { "German", DlgLanguage::German, germanTexts }),
    [](const ::testing::TestParamInfo<LanguageCase>& caseInfo) { return std::string(caseInfo.param.pszName); });

TEST_F(MainDialogTest, FrenchWidensTheListButtonsAndGermanMovesTheRowsDown)
{
    std::map<DlgLanguage, std::map<std::string, QRect>> geometry;
    for (const DlgLanguage language : { DlgLanguage::English, DlgLanguage::French, DlgLanguage::German }) {
        OverrideDialogLanguage(language);
        OpenDialog();
        for (const char* pszName : { "IDC_ADD", "IDC_CALC", "IDC_RESULTS" })
            geometry[language][pszName] = m_pDlg->findChild<QWidget*>(pszName)->geometry();
    }
    const auto& english = geometry[DlgLanguage::English];
    const auto& french = geometry[DlgLanguage::French];
    const auto& german = geometry[DlgLanguage::German];
    EXPECT_LT(french.at("IDC_ADD").x(), english.at("IDC_ADD").x());
    EXPECT_GT(french.at("IDC_ADD").width(), english.at("IDC_ADD").width());
    EXPECT_EQ(french.at("IDC_ADD").y(), english.at("IDC_ADD").y());
    EXPECT_LT(french.at("IDC_RESULTS").y(), english.at("IDC_RESULTS").y());
    EXPECT_GT(german.at("IDC_ADD").y(), english.at("IDC_ADD").y());
    EXPECT_GT(german.at("IDC_CALC").y(), english.at("IDC_CALC").y());
    EXPECT_GT(german.at("IDC_RESULTS").y(), english.at("IDC_RESULTS").y());
    EXPECT_LT(german.at("IDC_RESULTS").height(), english.at("IDC_RESULTS").height());
}

TEST_F(MainDialogTest, TabVisitsTheControlsInTheOrderTheyStandOnScreen)
{
    // One selected project and a typed directory: every command is enabled, so Tab reaches them all.
    OpenDialogWith({ "/src/a" });
    g_lineCounters = ExampleRunCounters();
    m_pDlg->FillResults(); // a list with rows must still let Tab go on
    Activate();
    TypeDirectory("/src/b");
    ASSERT_EQ(QApplication::focusWidget(), DirectoryEdit());

    std::vector<std::string> visited;
    for (int i = 0; i < 13; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(visited,
        (std::vector<std::string> { "IDC_BROWSE", "IDC_PROJECTS", "IDC_ADD", "IDC_UPDATE", "IDC_DELETE",
            "IDC_SELECT_ALL", "IDC_DESELECT_ALL", "IDC_CALC", "IDC_ABOUT", "IDOK", "IDC_HTML_EXPORT", "IDC_RESULTS",
            "IDC_DIRECTORY" }));
}

TEST_F(MainDialogTest, ScreenReadersGetANameADescriptionAndTheResultsCellByCell)
{
    struct Row
    {
        const char* pszControl;
        QAccessible::Role role;
        const char* pszEnglish;
        const char* pszFrench; // nullptr: the caption names the control in every language
        const char* pszGerman;
    };
    const Row rows[] = {
        { "IDC_DIRECTORY", QAccessible::EditableText, "Directory", "Répertoire", "Verzeichnis" },
        { "IDC_BROWSE", QAccessible::Button, "Browse for a directory", "Rechercher un répertoire",
            "Verzeichnis suchen" },
        { "IDC_PROJECTS", QAccessible::List, "Projects", "Projets", "Projekte" },
        { "IDC_ADD", QAccessible::Button, "Add", nullptr, nullptr },
        { "IDC_UPDATE", QAccessible::Button, "Update", nullptr, nullptr },
        { "IDC_DELETE", QAccessible::Button, "Delete", nullptr, nullptr },
        { "IDC_SELECT_ALL", QAccessible::Button, "Select All", nullptr, nullptr },
        { "IDC_DESELECT_ALL", QAccessible::Button, "Deselect All", nullptr, nullptr },
        { "IDC_CALC", QAccessible::Button, "Calc !", nullptr, nullptr },
        { "IDC_ABOUT", QAccessible::Button, "About...", nullptr, nullptr },
        { "IDOK", QAccessible::Button, "Close", nullptr, nullptr },
        { "IDC_HTML_EXPORT", QAccessible::Button, "Html export...", nullptr, nullptr },
        { "IDC_RESULTS", QAccessible::Table, "Results", "Résultats", "Ergebnisse" },
        { "IDC_PROGRESS_ALL", QAccessible::ProgressBar, "All projects", "Tous les projets", "Alle Projekte" },
        { "IDC_PROGRESS_PROJECT", QAccessible::ProgressBar, "Current project", "Projet en cours",
            "Aktuelles Projekt" },
    };
    for (const DlgLanguage language : { DlgLanguage::English, DlgLanguage::French, DlgLanguage::German }) {
        OverrideDialogLanguage(language);
        OpenDialog();
        std::set<std::string> descriptions;
        for (const Row& row : rows) {
            SCOPED_TRACE(row.pszControl);
            QAccessibleInterface* const pAccessible
                = QAccessible::queryAccessibleInterface(m_pDlg->findChild<QWidget*>(row.pszControl));
            ASSERT_NE(pAccessible, nullptr);
            EXPECT_EQ(pAccessible->role(), row.role);
            const char* pszName = language == DlgLanguage::French && row.pszFrench != nullptr ? row.pszFrench
                : language == DlgLanguage::German && row.pszGerman != nullptr                 ? row.pszGerman
                                                                                              : row.pszEnglish;
            if (language == DlgLanguage::English || row.pszFrench != nullptr) {
                EXPECT_EQ(pAccessible->text(QAccessible::Name).toStdString(), pszName);
            }
            descriptions.insert(pAccessible->text(QAccessible::Description).toStdString());
        }
        // One description per control, none empty; the three languages' sets differ.
        EXPECT_EQ(descriptions.size(), std::size(rows));
        EXPECT_EQ(descriptions.count(""), 0U);
        EXPECT_EQ(descriptions.count("Counts the lines of the selected projects."), language == DlgLanguage::English);
    }

    g_lineCounters = ExampleRunCounters();
    m_pDlg->FillResults();
    QAccessibleTableInterface* const pTable = QAccessible::queryAccessibleInterface(Results())->tableInterface();
    ASSERT_NE(pTable, nullptr);
    EXPECT_EQ(pTable->rowCount(), 8);
    EXPECT_EQ(pTable->columnCount(), 5);
    for (const auto& [nCol, pszText] : { std::pair { 0, "# lines with comments" }, std::pair { 1, "40" },
             std::pair { 3, "50" }, std::pair { 4, "% of Code & comments" } })
        EXPECT_EQ(pTable->cellAt(3, nCol)->text(QAccessible::Name).toStdString(), pszText) << nCol;
    // A cell read alone still says which figure it is.
    const QList<QAccessibleInterface*> headers = pTable->cellAt(3, 1)->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    // Qt hands the heading out unregistered and never frees it: registering it lets it be freed.
    const QAccessible::Id nHeaderId = QAccessible::registerAccessibleInterface(headers[0]);
    EXPECT_EQ(headers[0]->text(QAccessible::Name).toStdString(), "# Lines ");
    QAccessible::deleteAccessibleInterface(nHeaderId);
}

TEST_F(MainDialogTest, StartsWithAnEmptyEditEmptyBarsAllProjectsSelectedAndTheFocusInTheEdit)
{
    OpenDialogWith({ "/src/a", "/src/b", "/src/c" });
    EXPECT_EQ(DirectoryText(), "");
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/b", "/src/c" }));
    EXPECT_EQ(ProjectSelection(), (std::vector<bool> { true, true, true }));
    for (const char* pszName : { "IDC_PROGRESS_ALL", "IDC_PROGRESS_PROJECT" }) {
        const QProgressBar* pBar = m_pDlg->findChild<QProgressBar*>(pszName);
        EXPECT_EQ(pBar->value(), pBar->minimum()) << pszName;
        EXPECT_LT(pBar->minimum(), pBar->maximum()) << pszName << " must not be busy";
    }
    EXPECT_EQ(Results()->rowCount(), 0);
    EXPECT_EQ(m_pDlg->focusWidget(), DirectoryEdit());
    Activate();
    EXPECT_EQ(QApplication::focusWidget(), DirectoryEdit());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainDialogTest, FirstStartShowsTheFiveDefaultColumns)
{
    OpenDialog();
    ASSERT_EQ(Results()->columnCount(), REPORT_COLUMN_COUNT);
    EXPECT_EQ(Headings(), (std::vector<std::string> { "Results", "# Lines ", "# Characters ", "% ", "Comments" }));
    // Heading widths as a list in the dialog's font measures them.
    QTableWidget sameFont;
    sameFont.setFont(Results()->font());
    CListCtrlEx measure;
    measure.Attach(&sameFont);
    // DejaVu Sans at the template's 8 points has a 7-pixel base unit where the design had 6: each
    // design width (184, 67, 77, 29, 125) comes out 7/6 as wide, rounded; every heading fits in it.
    const int anWidths[] = { 215, 78, 90, 34, 146 };
    for (int i = 0; i < REPORT_COLUMN_COUNT; ++i) {
        const ReportColumn& column = REPORT_COLUMNS[static_cast<std::size_t>(i)];
        SCOPED_TRACE(column.pszHeading);
        const bool bRight = (Results()->horizontalHeaderItem(i)->textAlignment() & Qt::AlignRight) != 0;
        EXPECT_EQ(bRight, column.alignment == ColumnAlignment::Right);
        EXPECT_EQ(Results()->columnWidth(i), anWidths[i]);
        EXPECT_GE(Results()->columnWidth(i), measure.GetHeadingWidth(column.pszHeading));
    }
    EXPECT_EQ(std::vector<int>({ REPORT_COLUMNS[0].nWidth, REPORT_COLUMNS[1].nWidth, REPORT_COLUMNS[2].nWidth,
                  REPORT_COLUMNS[3].nWidth, REPORT_COLUMNS[4].nWidth }),
        (std::vector<int> { 184, 67, 77, 29, 125 }));
    ExpectBothAttributesAndFullRowSelection();
}

TEST_F(MainDialogTest, ResizedColumnIsRestoredAfterEscapeWithoutASecondSetOfColumns)
{
    OpenDialog();
    Results()->horizontalHeader()->resizeSection(4, 222);
    Results()->horizontalHeader()->resizeSection(0, 150);
    CloseDialog(IDCANCEL);
    EXPECT_NE(ReadIni().find("[lvResults]"), std::string::npos) << ReadIni();

    OpenDialog();
    ASSERT_EQ(Results()->columnCount(), REPORT_COLUMN_COUNT);
    EXPECT_EQ(Headings(), (std::vector<std::string> { "Results", "# Lines ", "# Characters ", "% ", "Comments" }));
    EXPECT_EQ(Results()->columnWidth(4), 222);
    EXPECT_EQ(Results()->columnWidth(0), 150);
    EXPECT_NE(Results()->horizontalHeaderItem(1)->textAlignment() & Qt::AlignRight, 0);
    ExpectBothAttributesAndFullRowSelection();
}

TEST_F(MainDialogTest, UnreadableStoredLayoutGivesTheDefaults)
{
    WriteIni("[Projects]\n0=/src/a\n[lvResults]\nColumns=5\nColumn0=wide,0,Results\n");
    OpenDialog();
    EXPECT_EQ(Headings(), (std::vector<std::string> { "Results", "# Lines ", "# Characters ", "% ", "Comments" }));
    EXPECT_EQ(ProjectEntries(), (Entries { "/src/a" }));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainDialogTest, FillResultsWritesTheEightRowReport)
{
    OpenDialog();
    g_lineCounters = ExampleRunCounters();
    m_pDlg->FillResults();
    m_pDlg->FillResults(); // a second report replaces the first
    const std::vector<std::vector<std::string>> expected = {
        { "Code & comments", "80", "", "80", "% of total lines" },
        { "Code only", "50", "", "62", "% of Code & comments" },
        { "# lines", "100", "", "", "" },
        { "# lines with comments", "40", "", "50", "% of Code & comments" },
        { "# empty lines", "10", "", "10", "% of total lines" },
        { "# code characters", "", "2000", "", "" },
        { "# characters / code line", "", "25", "", "" },
        { "% of code characters / # characters", "", "", "66", "" },
    };
    EXPECT_EQ(Cells(), expected);
    EXPECT_NE(Results()->item(0, 3)->textAlignment() & Qt::AlignRight, 0);
}

TEST_F(MainDialogTest, HtmlExportWritesTheReportToTheChosenFile)
{
    OpenDialog();
    g_lineCounters = ExampleRunCounters();
    m_pDlg->FillResults();
    const std::string csPath = m_sources / "report.html";
    AnswerSaveDialogWith(csPath);
    Button("IDC_HTML_EXPORT")->click();

    EXPECT_EQ(m_nSaveDialogs, 1);
    const std::string csHtml = ReadWholeFile(csPath);
    EXPECT_EQ(countOf(csHtml, "<tr"), 9u) << csHtml; // the headings and eight rows
    EXPECT_EQ(countOf(csHtml, "<td"), 40u);
    for (const char* pszPart : { ">Results</th>", "># Lines </th>", "># Characters </th>", ">% </th>", ">Comments</th>",
             ">Code &amp; comments</td>", ">% of code characters / # characters</td>", ">62</td>", ">2000</td>",
             "background: #ffffbf", "background: #fffff5", "<svg class=\"ring\" viewBox=\"0 0 42 42\" role=\"img\"" })
        EXPECT_NE(csHtml.find(pszPart), std::string::npos) << pszPart;
    EXPECT_EQ(csHtml.find("Code & comments"), std::string::npos);
    EXPECT_LT(csHtml.find(">Code &amp; comments</td>"), csHtml.find(">Code only</td>"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainDialogTest, HtmlExportBeforeAnyRunHasTheColumnsAndNoRows)
{
    OpenDialog();
    AnswerSaveDialogWith(m_sources / "empty.html");
    Button("IDC_HTML_EXPORT")->click();
    const std::string csHtml = ReadWholeFile(m_sources / "empty.html");
    EXPECT_EQ(countOf(csHtml, "<th "), 5u) << csHtml;
    EXPECT_EQ(countOf(csHtml, "<tr"), 1u);
    EXPECT_EQ(csHtml.find("<td"), std::string::npos);
}

TEST_F(MainDialogTest, CancelledHtmlExportWritesNothing)
{
    OpenDialog();
    g_lineCounters = ExampleRunCounters();
    m_pDlg->FillResults();
    AnswerSaveDialogWith(std::nullopt);
    Button("IDC_HTML_EXPORT")->click();
    EXPECT_EQ(m_nSaveDialogs, 1);
    EXPECT_TRUE(FolderNames(m_sources.Path()).empty());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(Results()->rowCount(), REPORT_ROW_COUNT);
}

TEST_F(MainDialogTest, HtmlExportUsesTheNameAsTyped)
{
    OpenDialog();
    AnswerSaveDialogWith(m_sources / "report");
    Button("IDC_HTML_EXPORT")->click();
    EXPECT_EQ(FolderNames(m_sources.Path()), Entries { "report" });

    // A name typed without a folder lands in the working folder.
    const std::filesystem::path oldWorkingFolder = std::filesystem::current_path();
    std::filesystem::current_path(m_sources.Path());
    AnswerSaveDialogWith("bare.html");
    Button("IDC_HTML_EXPORT")->click();
    std::filesystem::current_path(oldWorkingFolder);
    EXPECT_EQ(FolderNames(m_sources.Path()), (Entries { "bare.html", "report" }));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainDialogTest, HtmlExportThatCannotBeWrittenShowsOneWarning)
{
    OpenDialog();
    const std::string csPath = m_sources / "missing/report.html";
    AnswerSaveDialogWith(csPath);
    Button("IDC_HTML_EXPORT")->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(m_messages[0].csTitle, "Warning message");
    EXPECT_EQ(m_messages[0].csText,
        "The HTML export failed.\nCannot write \"" + csPath + "\": No such file or directory.");
    EXPECT_TRUE(FolderNames(m_sources.Path()).empty());
}

// The language follows LANG alone, as read at start-up: each language runs in a fresh copy
// of this program, and nothing in it is overridden.
TEST(CLineCountApp, OwnMessagesAndQtButtonsFollowLang)
{
    struct Case
    {
        const char* pszLang;
        const char* pszQm;
        const char* pszWarningTitle;
        const char* pszCancel;
    };
    const Case cases[] = {
        { "fr_FR.UTF-8", "qtbase_fr.qm", "Message d'avertissement", "Annuler" },
        { "de_DE.UTF-8", "qtbase_de.qm", "Warnmeldung", "Abbrechen" },
        { "C", "", "Warning message", "Cancel" },
    };
    const QByteArray csChild = qgetenv("PINDREL_TEST_LANG_CASE");
    if (!csChild.isEmpty()) {
        const Case& c = cases[csChild.toInt()];
        CLineCountApp app;
        CLineCountApp::ConfigureSharedLibrary();
        const bool bQtLoaded = app.LoadQtTranslations();
        EXPECT_EQ(LoadString(IDS_TITLE_WARNING), c.pszWarningTitle);
        // Without Qt's translations installed only Pindrel's own texts can follow.
        const QString csTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (*c.pszQm == '\0' || QFile::exists(csTranslations + "/" + c.pszQm)) {
            EXPECT_TRUE(bQtLoaded);
            const QDialogButtonBox box(QDialogButtonBox::Cancel);
            EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), c.pszCancel);
        }
        return;
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].pszLang);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* pszName : { "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LANGUAGE" })
            env.remove(QString::fromLatin1(pszName));
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(cases[i].pszLang));
        env.insert(QStringLiteral("PINDREL_TEST_LANG_CASE"), QString::number(i));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--gtest_filter=CLineCountApp.OwnMessagesAndQtButtonsFollowLang") });
        ASSERT_TRUE(child.waitForFinished(-1));
        const std::string csOutput = child.readAll().toStdString();
        EXPECT_EQ(child.exitCode(), 0) << csOutput;
        EXPECT_NE(csOutput.find("[  PASSED  ] 1 test."), std::string::npos) << csOutput;
    }
}

TEST(CLineCountDlgIcon, IconicIconIsCentredTruncatingTowardZero)
{
    struct Case
    {
        QSize client;
        QSize icon;
        QPoint expected;
    };
    const Case cases[] = {
        { { 36, 36 }, { 32, 32 }, { 2, 2 } },
        { { 35, 36 }, { 32, 32 }, { 2, 2 } },
        { { 37, 37 }, { 32, 32 }, { 3, 3 } },
        { { 30, 36 }, { 32, 32 }, { 0, 2 } }, // (30 - 32 + 1) / 2 is 0, not -1
        { { 36, 31 }, { 32, 32 }, { 2, 0 } },
        { { 20, 20 }, { 32, 32 }, { -5, -5 } },
        { { 64, 48 }, { 16, 16 }, { 24, 16 } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CLineCountDlg::IconicIconPosition(c.client, c.icon), c.expected)
            << c.client.width() << "x" << c.client.height() << " icon " << c.icon.width();
    }
}

TEST_F(MainDialogTest, AboutShowsTheLibrarysAboutBoxThroughTheModalSeam)
{
    OpenDialog();
    const std::function<int(QDialog&)> fnSaved = GlobalVarsForDll::fnExecModal;
    QStringList shown;
    GlobalVarsForDll::fnExecModal = [&shown](QDialog& dlg) {
        shown << dlg.objectName();
        if (const QLabel* pVersion = dlg.findChild<QLabel*>("AboutVersion"))
            shown << pVersion->text();
        return IDOK;
    };
    Button("IDC_ABOUT")->click();
    GlobalVarsForDll::fnExecModal = fnSaved;
    EXPECT_EQ(shown, (QStringList { "AboutDlg", "Version 1.4 (build 24)" }));
    EXPECT_TRUE(m_pDlg->isVisible()) << "About leaves the main dialog open";
}

struct WayOut
{
    const char* pszName;
    int nResult;
    bool bStoresProjects;
};

class MainDialogWayOutTest : public MainDialogTest, public ::testing::WithParamInterface<WayOut>
{
protected:
    void Leave()
    {
        const std::string csWay = GetParam().pszName;
        if (csWay == "CloseButton") {
            Button("IDOK")->click();
        } else if (csWay == "EnterInEdit") {
            Activate();
            DirectoryEdit()->setFocus();
            QTest::keyClick(DirectoryEdit(), Qt::Key_Return);
        } else if (csWay == "Escape") {
            Activate();
            QTest::keyClick(DirectoryEdit(), Qt::Key_Escape);
        } else {
            m_pDlg->close(); // the caption's close box
        }
    }
};

TEST_P(MainDialogWayOutTest, StoresTheProjectListOnlyOnClose)
{
    OpenDialogWith({ "/src/a" });
    TypeDirectory("/src/added");
    Button("IDC_ADD")->click();
    ASSERT_EQ(ProjectEntries(), (Entries { "/src/a", "/src/added" }));
    Leave();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), GetParam().nResult);
    m_pDlg.reset();

    const Entries expected = GetParam().bStoresProjects ? Entries { "/src/a", "/src/added" } : Entries { "/src/a" };
    Entries stored;
    for (const ProfileEntry& entry : ReadPrivateProfileSection(IniPath(), "Projects"))
        stored.push_back(entry.csValue);
    EXPECT_EQ(stored, expected);
    EXPECT_FALSE(GetPrivateProfileKeys(IniPath(), "lvResults").empty()) << "the layout is stored on every way out";

    OpenDialog();
    EXPECT_EQ(ProjectEntries(), expected);
    EXPECT_TRUE(m_messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, MainDialogWayOutTest,
    ::testing::Values(WayOut { "CloseButton", IDOK, true }, WayOut { "EnterInEdit", IDOK, true },
        WayOut { "Escape", IDCANCEL, false }, WayOut { "CloseBox", IDCANCEL, false }),
    [](const ::testing::TestParamInfo<WayOut>& caseInfo) { return std::string(caseInfo.param.pszName); });
