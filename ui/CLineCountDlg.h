#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <QIcon>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QSize>

#include "CListCtrlEx.h"
#include "CLvCoolDlg.h"
#include "CProgressCtrl.h"
#include "ProjectFileLists.h"

class CByteEdit;
class QListWidget;
class QPushButton;

// Ids of the calculation run's timers, one per kind of step.
inline constexpr int TIMER_RUN_START = 1;
inline constexpr int TIMER_PROJECT_START = 2;
inline constexpr int TIMER_NEXT_FILE = 3;
inline constexpr int TIMER_INTERVAL_MS = 15;

// The run's cursors: the selection position being processed and the next file in it.
extern int g_nCurProject;
extern int g_nCurFile;

// Pindrel's main dialog. Its members are defined by subsystem: ui/ (start-up,
// painting, Close, About, results list), projects/ (project list store and
// editing) and run/ (the calculation run).
class CLineCountDlg : public CLvCoolDlg
{
public:
    explicit CLineCountDlg(QWidget* pParent = nullptr);
    ~CLineCountDlg() override;

    // Command handlers, entered from the message map.
    void OnBrowse();
    void OnCalc();
    void OnAddProject();
    void OnDeleteProject();
    void OnChangeDirectory();
    void OnSelChangeProjects();
    void OnSelectAll();
    void OnDeselectAll();
    void OnTimer(int nIdEvent) override;
    void OnHtmlExport();
    void OnUpdateProject();
    void OnAbout();
    [[nodiscard]] QIcon OnQueryDragIcon() const;

    // Adds each directory as Add would (once: one already listed is not added
    // again) and selects exactly them. Used for the command line, a drop on
    // the list and a second start handing over its directories.
    void OpenProjects(const std::vector<std::string>& directories);

    // Project list: the list box from and to the "Projects" section of the INI file.
    void LoadProjects();
    void SaveProjects();
    // Enables Delete and Update for one selected entry, Calc for any, Add for a non-empty edit.
    void UpdateButtonStates();
    // Takes the commands away for a run (false) and gives them back (true).
    void EnableCommands(bool bEnable);
    // Writes the report of g_lineCounters into the results list.
    void FillResults();
    void InitResultsList();
    // Whether a calculation run has started and not yet ended.
    [[nodiscard]] bool IsRunPending() const { return m_bRunPending; }

    // Where a minimised window draws its icon: centred, truncating toward zero.
    [[nodiscard]] static QPoint IconicIconPosition(QSize clientSize, QSize iconSize);

    // Modal dialogs behind seams, replaced in tests. Each returns nothing on cancel.
    std::function<std::optional<std::string>()> m_fnBrowseFolder;
    std::function<std::optional<std::string>()> m_fnAskSavePath;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnPaint() override;
    void OnDestroy() override;

private:
    void MessageMap();
    // Accessible names and descriptions from the string table, and the Tab order.
    void DescribeControls();
    // Lets folders dragged onto the project list be added by OpenProjects.
    void AcceptFolderDrops();
    // Applies a change of the program's own to the project list, without a
    // selection notification, then brings the commands up to date.
    void ChangeProjectList(const std::function<void()>& fnChange);
    // Run steps.
    bool CollectSelectedProjects();
    void StartProjectStep();
    void NextFileStep();
    void FinishRun();
    // The list-box index of the entry counted at a selection position, as the list stands now
    // (-1 once it is deleted); kept in m_anSelIndex.
    int FollowRunEntry(int nPosition);
    // A message from the string table, with %1, %2 … replaced by the arguments.
    void ShowMessage(unsigned nIdText, MessageIcon icon, std::initializer_list<std::string> arguments = {});
    // Refuses an entry that would not survive the INI file, telling the user.
    bool AcceptEntryText(const std::string& csText);

    // Calculation run, written by OnCalc and read by the steps; indexed by selection position.
    std::array<int, MAX_PROJECTS> m_anFileCount {};
    int m_nSelCount = 0;
    int m_nTotalFiles = 0;
    std::array<int, MAX_PROJECTS> m_anSelIndex {};
    // The directories as Calc collected them: the list may change while the run goes on.
    std::vector<std::string> m_runDirectories;
    // The counted entries themselves: editing the list during a run moves them, and the run
    // deselects and gives back these, not whatever now stands at their old positions.
    std::vector<QPersistentModelIndex> m_runEntries;

    // The template's controls are bound once, when the dialog is built; m_csDirectory
    // is the edit's text as the data exchange last moved it.
    CListCtrlEx m_lvResults;
    CProgressCtrl m_progressProject;
    CProgressCtrl m_progressAll;
    QListWidget* const m_lbProjects;
    std::string m_csDirectory;
    QIcon m_hIcon;
    CByteEdit* const m_edDirectory;
    QPushButton* const m_btnBrowse;
    QPushButton* const m_btnCalc;
    QPushButton* const m_btnAdd;
    QPushButton* const m_btnUpdate;
    QPushButton* const m_btnDelete;
    QPushButton* const m_btnSelectAll;
    QPushButton* const m_btnDeselectAll;
    QPushButton* const m_btnHtmlExport;
    QPushButton* const m_btnAbout;

    bool m_bRunPending = false;
};
