#include "CLvCoolDlg.h"

#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "AppResources.h"
#include "CListCtrlEx.h"
#include "CProgressCtrl.h"
#include "DialogTemplate.h"
#include "GlobalVarsForDll.h"
#include "StringTable.h"

namespace {

constexpr unsigned IDD_PROBE = 9100;
constexpr unsigned IDD_UNKNOWN = 9199;
constexpr int IDC_NAME_LABEL = 100;
constexpr int IDC_NOTE = 101;
constexpr int IDC_NAME = 102;
constexpr int IDC_GROUP = 103;
constexpr int IDC_LIST = 104;
constexpr int IDC_GO = 105;
constexpr int IDC_TABLE = 106;
constexpr int IDC_BAR = 107;
constexpr int IDC_FRAME = 108;

DialogTemplate probeTemplate(const char* pszCaption)
{
    using C = DlgControlClass;
    DialogTemplate dlg;
    dlg.csCaption = pszCaption;
    dlg.csFontFace = "MS Sans Serif";
    dlg.nPointSize = 8;
    dlg.cx = 190;
    dlg.cy = 160;
    dlg.items = {
        { IDC_FRAME, "IDC_FRAME", C::Static, 2, 2, 180, 3, "", true, false },
        { IDC_NAME_LABEL, "IDC_NAME_LABEL", C::Static, 7, 7, 40, 8, "&Name :", false, false },
        // Not a tab stop: the label's mnemonic passes over it to the edit.
        { IDC_NOTE, "IDC_NOTE", C::Static, 50, 7, 40, 8, "note", false, false },
        { IDC_NAME, "IDC_NAME", C::Edit, 7, 18, 100, 12, "", true, true },
        { IDC_GROUP, "IDC_GROUP", C::GroupBox, 7, 35, 120, 60, " &Options : ", false, false },
        { IDC_LIST, "IDC_LIST", C::ListBox, 12, 45, 60, 40, "", true, true },
        { IDC_GO, "IDC_GO", C::PushButton, 130, 7, 50, 14, "&Go", false, true },
        { IDOK, "IDOK", C::DefPushButton, 130, 25, 50, 14, "OK", false, true },
        { IDC_TABLE, "IDC_TABLE", C::ListView, 7, 100, 170, 40, "List1", true, true },
        { IDC_BAR, "IDC_BAR", C::Progress, 7, 145, 170, 8, "Progress1", true, false },
    };
    return dlg;
}

void registerProbeTemplates()
{
    RegisterDialogTemplate(IDD_PROBE, DlgLanguage::English, probeTemplate("Probe"));
    RegisterDialogTemplate(IDD_PROBE, DlgLanguage::French, probeTemplate("Sonde"));
}

// Sets a language for the dialogs a test creates, and follows the user again afterwards.
class LanguageOverride
{
public:
    explicit LanguageOverride(DlgLanguage language) { OverrideDialogLanguage(language); }
    ~LanguageOverride() { OverrideDialogLanguage(std::nullopt); }
    LanguageOverride(const LanguageOverride&) = delete;
    LanguageOverride& operator=(const LanguageOverride&) = delete;
};

bool waitUntil(const std::function<bool()>& fnDone, int nTimeoutMs = 3000)
{
    const QDeadlineTimer deadline(nTimeoutMs);
    while (!fnDone()) {
        if (deadline.hasExpired())
            return fnDone();
        QTest::qWait(1);
    }
    return true;
}

// A dialog of the probe template that records what the base calls on it.
class ProbeDlg : public CLvCoolDlg
{
public:
    explicit ProbeDlg(int* pnDestroyed, unsigned nIdTemplate = IDD_PROBE)
        : CLvCoolDlg(nIdTemplate)
        , m_pnDestroyed(pnDestroyed)
    {
    }
    ~ProbeDlg() override { DestroyWindow(); }

    using CLvCoolDlg::BindControl;

    std::string m_csName = "initial";
    std::vector<int> m_anTicks;
    int m_nInits = 0;
    CListCtrlEx m_lvTable;
    CProgressCtrl m_progress;

protected:
    bool OnInitDialog() override
    {
        ++m_nInits;
        return CLvCoolDlg::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_TABLE, m_lvTable);
        DDX_Control(pDX, IDC_BAR, m_progress);
        DDX_Text(pDX, IDC_NAME, m_csName);
    }
    void OnTimer(int nIdEvent) override { m_anTicks.push_back(nIdEvent); }
    void OnDestroy() override { ++*m_pnDestroyed; }

private:
    int* const m_pnDestroyed;
};

class CLvCoolDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerProbeTemplates();
        m_pDlg = std::make_unique<ProbeDlg>(&m_nDestroyed);
    }

    // Creates and shows the dialog and makes it the active window, so keys reach it.
    void ShowActive()
    {
        m_pDlg->Create();
        QApplication::setActiveWindow(m_pDlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    }

    template <typename TWidget> TWidget* Control(const char* pszName) const
    {
        return m_pDlg->findChild<TWidget*>(QString::fromLatin1(pszName));
    }

    int m_nDestroyed = 0;
    std::unique_ptr<ProbeDlg> m_pDlg;
};

} // namespace

TEST_F(CLvCoolDlgTest, ControlsAreBuiltFromTheTemplateWithTheirNames)
{
    EXPECT_EQ(m_pDlg->windowTitle(), "Probe");
    ASSERT_NE(Control<QFrame>("IDC_FRAME"), nullptr);
    EXPECT_EQ(Control<QLabel>("IDC_FRAME"), nullptr) << "an empty bordered static is a frame, not a label";
    EXPECT_EQ(Control<QLabel>("IDC_NAME_LABEL")->text(), "&Name :");
    EXPECT_EQ(Control<QGroupBox>("IDC_GROUP")->title(), " &Options : ");
    EXPECT_EQ(Control<QPushButton>("IDC_GO")->text(), "&Go");
    ASSERT_NE(Control<QLineEdit>("IDC_NAME"), nullptr);
    ASSERT_NE(Control<QTableWidget>("IDC_TABLE"), nullptr);
    ASSERT_NE(Control<QProgressBar>("IDC_BAR"), nullptr);
    QListWidget* const pList = Control<QListWidget>("IDC_LIST");
    ASSERT_NE(pList, nullptr);
    EXPECT_EQ(pList->selectionMode(), QAbstractItemView::MultiSelection);
    EXPECT_FALSE(pList->isSortingEnabled());

    EXPECT_EQ(m_pDlg->GetDlgItem(IDC_NAME), Control<QLineEdit>("IDC_NAME"));
    EXPECT_EQ(m_pDlg->GetDlgItem(IDOK), Control<QPushButton>("IDOK"));
    EXPECT_EQ(m_pDlg->GetDlgItem(4711), nullptr);
    // A member bound to a missing control, or to one of another kind, stops a debug build at once.
    EXPECT_DEBUG_DEATH(static_cast<void>(m_pDlg->BindControl<QLineEdit>(4711)), "no control of that kind");
    EXPECT_DEBUG_DEATH(static_cast<void>(m_pDlg->BindControl<QListWidget>(IDC_NAME)), "no control of that kind");

    // Positions keep the template's proportions.
    const QRect edit = Control<QLineEdit>("IDC_NAME")->geometry();
    const QRect go = Control<QPushButton>("IDC_GO")->geometry();
    EXPECT_NEAR(edit.width(), 2 * go.width(), 1);
    EXPECT_EQ(edit.x(), Control<QLabel>("IDC_NAME_LABEL")->x());
    EXPECT_LT(edit.right(), go.left());
    EXPECT_LT(Control<QLabel>("IDC_NAME_LABEL")->y(), edit.y());
}

TEST_F(CLvCoolDlgTest, LanguageVariantFallsBackToEnglish)
{
    {
        const LanguageOverride french(DlgLanguage::French);
        int nDestroyed = 0;
        EXPECT_EQ(ProbeDlg(&nDestroyed).windowTitle(), "Sonde");
    }
    {
        const LanguageOverride german(DlgLanguage::German); // no German variant registered
        int nDestroyed = 0;
        EXPECT_EQ(ProbeDlg(&nDestroyed).windowTitle(), "Probe");
    }
    int nDestroyed = 0;
    const ProbeDlg unknown(&nDestroyed, IDD_UNKNOWN);
    EXPECT_EQ(unknown.GetDlgItem(IDOK), nullptr);
    EXPECT_TRUE(unknown.findChildren<QWidget*>().isEmpty());
}

TEST_F(CLvCoolDlgTest, TabVisitsTheTabStopsInTemplateOrder)
{
    ShowActive();
    // A list with rows must not keep Tab for itself to walk its cells.
    CListCtrlEx& list = m_pDlg->m_lvTable;
    list.InsertColumn(0, "A", 0, 40, -1);
    list.InsertColumn(1, "B", 1, 40, -1);
    list.InsertItem(0, "a0");
    list.InsertItem(1, "a1");
    Control<QLineEdit>("IDC_NAME")->setFocus();
    std::vector<std::string> visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget() != nullptr
                ? QApplication::focusWidget()->objectName().toStdString()
                : std::string("<none>"));
    }
    EXPECT_EQ(visited, (std::vector<std::string> { "IDC_LIST", "IDC_GO", "IDOK", "IDC_TABLE", "IDC_NAME" }));
    for (const char* pszName : { "IDC_FRAME", "IDC_NAME_LABEL", "IDC_NOTE", "IDC_GROUP", "IDC_BAR" })
        EXPECT_EQ(Control<QWidget>(pszName)->focusPolicy(), Qt::NoFocus) << pszName;
}

TEST_F(CLvCoolDlgTest, MnemonicsOfLabelAndGroupBoxFocusTheNextTabStop)
{
    EXPECT_EQ(Control<QLabel>("IDC_NAME_LABEL")->buddy(), Control<QLineEdit>("IDC_NAME"));
    ShowActive();
    Control<QPushButton>("IDC_GO")->setFocus();
    QTest::keyClick(m_pDlg.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>("IDC_NAME"));
    QTest::keyClick(m_pDlg.get(), Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Control<QListWidget>("IDC_LIST"));
}

TEST_F(CLvCoolDlgTest, CloseIsTheDefaultButtonAndEnterEndsWithTheEditsText)
{
    EXPECT_TRUE(Control<QPushButton>("IDOK")->isDefault());
    EXPECT_FALSE(Control<QPushButton>("IDC_GO")->isDefault());
    ShowActive();
    EXPECT_EQ(Control<QLineEdit>("IDC_NAME")->text(), "initial") << "the first exchange fills the controls";

    QLineEdit* const pEdit = Control<QLineEdit>("IDC_NAME");
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClicks(pEdit, "r");
    pEdit->insert(QString::fromUtf8("\xC3\xA9sum\xC3\xA9")); // what an input method would give
    QTest::keyClick(pEdit, Qt::Key_Return);
    EXPECT_EQ(m_pDlg->result(), IDOK);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->m_csName, "r\xC3\xA9sum\xC3\xA9");
    EXPECT_EQ(m_nDestroyed, 1);
}

TEST_F(CLvCoolDlgTest, EscapeEndsWithoutTakingTheEditsText)
{
    ShowActive();
    QTest::keyClicks(Control<QLineEdit>("IDC_NAME"), "typed");
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    EXPECT_EQ(m_pDlg->result(), IDCANCEL);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->m_csName, "initial");
    EXPECT_EQ(m_nDestroyed, 1);
}

TEST_F(CLvCoolDlgTest, InitialisationRunsOnceAndBindsTheControls)
{
    m_pDlg->Create();
    m_pDlg->Create();
    EXPECT_EQ(m_pDlg->m_nInits, 1);
    EXPECT_EQ(m_pDlg->m_lvTable.GetWidget(), Control<QTableWidget>("IDC_TABLE"));
    EXPECT_EQ(m_pDlg->m_progress.GetWidget(), Control<QProgressBar>("IDC_BAR"));
    EXPECT_TRUE(m_pDlg->isVisible());
}

TEST_F(CLvCoolDlgTest, DoModalReturnsHowTheDialogEnded)
{
    for (const int nExpected : { IDOK, IDCANCEL }) {
        int nDestroyed = 0;
        ProbeDlg dlg(&nDestroyed);
        bool bTimedOut = false;
        QTimer::singleShot(0, &dlg, [&dlg, nExpected] {
            if (nExpected == IDOK)
                dlg.findChild<QPushButton*>("IDOK")->click();
            else
                QTest::keyClick(&dlg, Qt::Key_Escape);
        });
        // Ends a modal loop that nothing else ended, so the test fails instead of hanging.
        QTimer::singleShot(5000, &dlg, [&dlg, &bTimedOut] {
            bTimedOut = true;
            dlg.done(IDCANCEL);
        });
        EXPECT_EQ(dlg.DoModal(), nExpected);
        EXPECT_FALSE(bTimedOut);
        EXPECT_EQ(dlg.m_nInits, 1);
        EXPECT_EQ(nDestroyed, 1);
    }
}

TEST_F(CLvCoolDlgTest, TimersTickWithTheirIdsUntilKilled)
{
    m_pDlg->Create();
    ASSERT_TRUE(m_pDlg->SetTimer(7, 1));
    ASSERT_TRUE(m_pDlg->SetTimer(9, 1));
    EXPECT_TRUE(m_pDlg->IsTimerActive(7));
    const auto seen = [this](int nId) { return std::count(m_pDlg->m_anTicks.begin(), m_pDlg->m_anTicks.end(), nId); };
    ASSERT_TRUE(waitUntil([&] { return seen(7) > 0 && seen(9) > 0; }));

    EXPECT_TRUE(m_pDlg->KillTimer(7));
    EXPECT_FALSE(m_pDlg->KillTimer(7));
    EXPECT_FALSE(m_pDlg->KillTimer(12345));
    EXPECT_FALSE(m_pDlg->IsTimerActive(7));
    EXPECT_TRUE(m_pDlg->IsTimerActive(9));
    m_pDlg->m_anTicks.clear();
    ASSERT_TRUE(waitUntil([&] { return seen(9) >= 3; }));
    EXPECT_EQ(seen(7), 0);
}

TEST_F(CLvCoolDlgTest, EndDialogStopsTheTimersAndRunsOnDestroyOnce)
{
    m_pDlg->Create();
    ASSERT_TRUE(m_pDlg->SetTimer(3, 1));
    ASSERT_TRUE(waitUntil([this] { return !m_pDlg->m_anTicks.empty(); }));
    m_pDlg->EndDialog(IDOK);
    EXPECT_EQ(m_nDestroyed, 1);
    EXPECT_FALSE(m_pDlg->IsTimerActive(3));
    EXPECT_FALSE(m_pDlg->SetTimer(4, 1)) << "an ended dialog takes no new timer";
    m_pDlg->m_anTicks.clear();
    QTest::qWait(30);
    EXPECT_TRUE(m_pDlg->m_anTicks.empty());
    m_pDlg->EndDialog(IDCANCEL);
    m_pDlg.reset();
    EXPECT_EQ(m_nDestroyed, 1);
}

TEST_F(CLvCoolDlgTest, MessageBoxGoesToTheSeamTitledFromTheStringTable)
{
    RegisterString(IDS_TITLE_WARNING, "Warning message");
    std::vector<std::tuple<std::string, std::string, MessageIcon>> shown;
    m_pDlg->m_fnShowMessage = [&shown](const std::string& csTitle, const std::string& csText, MessageIcon icon) {
        shown.emplace_back(csTitle, csText, icon);
    };
    EXPECT_EQ(m_pDlg->MessageBox("Cannot write \"/x\".", IDS_TITLE_WARNING, MessageIcon::Warning), IDOK);
    EXPECT_EQ(m_pDlg->MessageBox("unknown title", 60999, MessageIcon::Information), IDOK);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0],
        std::make_tuple(std::string("Warning message"), std::string("Cannot write \"/x\"."), MessageIcon::Warning));
    EXPECT_EQ(std::get<0>(shown[1]), "");
    EXPECT_EQ(std::get<2>(shown[1]), MessageIcon::Information);
}

TEST(CProgressCtrl, StepsThroughItsRangeAndStartsOverPastTheEnd)
{
    QProgressBar bar;
    CProgressCtrl progress;
    progress.Attach(&bar);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 100);
    EXPECT_EQ(bar.value(), 0);

    progress.SetRange32(0, 10);
    progress.SetStep(3);
    for (const int nExpected : { 3, 6, 9, 0, 3 }) {
        progress.StepIt();
        EXPECT_EQ(progress.GetPos(), nExpected);
        EXPECT_EQ(bar.value(), nExpected);
    }
    progress.SetStep(1);
    progress.SetPos(9);
    progress.StepIt();
    EXPECT_EQ(bar.value(), 10) << "reaching the maximum is not yet past it";
    progress.SetPos(50);
    EXPECT_EQ(progress.GetPos(), 10);
    progress.SetPos(-3);
    EXPECT_EQ(bar.value(), 0);
}

TEST(CProgressCtrl, AnEmptyRangeShowsAnEmptyBarNotABusyOne)
{
    QProgressBar bar;
    CProgressCtrl progress;
    progress.Attach(&bar);
    for (const int nBound : { 0, 5 }) {
        progress.SetRange32(nBound, nBound);
        progress.SetPos(nBound);
        EXPECT_NE(bar.minimum(), bar.maximum()) << "Qt shows min == max as busy";
        EXPECT_EQ(bar.value(), bar.minimum());
    }
    progress.SetRange32(0, 3'000'000);
    progress.SetPos(2'500'000);
    EXPECT_EQ(bar.maximum(), 3'000'000) << "no 16-bit limit";
    EXPECT_EQ(bar.value(), 2'500'000);
}

namespace {

// Sets or unsets an environment variable for a scope, and puts the old value back.
class EnvOverride
{
public:
    EnvOverride(const char* pszName, const char* pszValue)
        : m_csName(pszName)
    {
        if (const char* pszOld = std::getenv(pszName))
            m_csOld = pszOld;
        if (pszValue != nullptr)
            ::setenv(pszName, pszValue, 1);
        else
            ::unsetenv(pszName);
    }
    ~EnvOverride()
    {
        if (m_csOld)
            ::setenv(m_csName.c_str(), m_csOld->c_str(), 1);
        else
            ::unsetenv(m_csName.c_str());
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_csName;
    std::optional<std::string> m_csOld;
};

struct IniPathCase
{
    const char* pszName;
    const char* pszXdg; // nullptr: unset
    const char* pszExpected;
};

} // namespace

class InitVarsTest : public ::testing::TestWithParam<IniPathCase>
{
};

TEST_P(InitVarsTest, SettlesTheIniPathFromTheConfigFolder)
{
    const EnvOverride home("HOME", "/home/someone");
    const EnvOverride xdg("XDG_CONFIG_HOME", GetParam().pszXdg);
    GlobalVarsForDll::csSoftName = "Pindrel";
    GlobalVarsForDll::csIni.clear();
    EXPECT_EQ(GlobalVarsForDll::InitVars(1), 1);
    EXPECT_EQ(GlobalVarsForDll::csIni, GetParam().pszExpected);
}

INSTANTIATE_TEST_SUITE_P(Environments, InitVarsTest,
    ::testing::Values(IniPathCase { "XdgSet", "/tmp/cfg", "/tmp/cfg/Pindrel/Pindrel.ini" },
        IniPathCase { "XdgUnset", nullptr, "/home/someone/.config/Pindrel/Pindrel.ini" },
        IniPathCase { "XdgEmpty", "", "/home/someone/.config/Pindrel/Pindrel.ini" },
        IniPathCase { "XdgRelativeIsIgnored", "relative/cfg", "/home/someone/.config/Pindrel/Pindrel.ini" }),
    [](const ::testing::TestParamInfo<IniPathCase>& caseInfo) { return std::string(caseInfo.param.pszName); });

TEST(DisplayAboutDlg, ShowsNameDescriptionAndVersionThroughTheModalSeam)
{
    RegisterVersionInfo({ "Pindrel", "Simple statistics on your C/C++ code.", "Version 1.4", "24", "1.4.0.24" });
    RegisterString(IDS_BUTTON_OK, "&Ok");
    const std::function<int(QDialog&)> fnSaved = GlobalVarsForDll::fnExecModal;
    int nCalls = 0;
    QStringList texts;
    QString csButton;
    GlobalVarsForDll::fnExecModal = [&](QDialog& dlg) {
        ++nCalls;
        for (const QLabel* pLabel : dlg.findChildren<QLabel*>())
            texts << pLabel->text();
        if (const auto* pButtons = dlg.findChild<QDialogButtonBox*>())
            csButton = pButtons->buttons().value(0)->text();
        return IDOK;
    };
    GlobalVarsForDll::DisplayAboutDlg();
    GlobalVarsForDll::fnExecModal = fnSaved;

    EXPECT_EQ(nCalls, 1);
    const auto shows = [&texts](const char* pszPart) {
        return std::any_of(texts.begin(), texts.end(), [pszPart](const QString& t) { return t.contains(pszPart); });
    };
    EXPECT_TRUE(shows("Pindrel")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("Simple statistics on your C/C++ code.")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("Version 1.4 (build 24)")) << texts.join('|').toStdString();
    EXPECT_EQ(csButton, "&Ok");
}
