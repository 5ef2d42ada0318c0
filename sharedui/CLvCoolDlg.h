#pragma once

#include <functional>
#include <map>
#include <string>

#include <QBasicTimer>
#include <QDialog>

#include "DataExchange.h"

struct DialogTemplate;

// Results of a modal dialog.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

enum class MessageIcon
{
    Information,
    Warning,
    Error,
};

// Dialog base: builds its controls from a registered template (in the user's
// language), exchanges data with them, keeps timers under caller-chosen ids and
// shows message boxes titled from the string table.
class CLvCoolDlg : public QDialog
{
public:
    explicit CLvCoolDlg(unsigned nIdTemplate, QWidget* pParent = nullptr);
    ~CLvCoolDlg() override;

    // Initialises the dialog (once) and runs it modally; returns IDOK or IDCANCEL.
    int DoModal();
    // Initialises the dialog (once) and shows it without a modal loop.
    void Create();
    // Ends the dialog with a result: timers stop and OnDestroy runs.
    void EndDialog(int nResult);

    // The control created for an id; nullptr when the template has none.
    [[nodiscard]] QWidget* GetDlgItem(int nId) const;
    // Moves values from the controls into the members (true) or back (false).
    bool UpdateData(bool bSaveAndValidate = true);

    // Starts (or restarts) the timer nIdEvent; its ticks call OnTimer(nIdEvent).
    bool SetTimer(int nIdEvent, int nElapseMs);
    bool KillTimer(int nIdEvent);
    [[nodiscard]] bool IsTimerActive(int nIdEvent) const;

    // Shows a message box titled with string nIdTitle; returns IDOK.
    int MessageBox(const std::string& csText, unsigned nIdTitle, MessageIcon icon);
    // Shows the message boxes; tests replace it. Gets the title, text and icon.
    std::function<void(const std::string&, const std::string&, MessageIcon)> m_fnShowMessage;

    // QDialog's public slots, kept public: Enter and Escape reach OnOK and OnCancel.
    void accept() override;
    void reject() override;

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnTimer(int nIdEvent);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnPaint();
    virtual void OnDestroy();
    // Runs OnDestroy if the window has not been ended yet; a derived destructor
    // calls it, since the base destructor cannot reach the derived OnDestroy.
    void DestroyWindow();

    void paintEvent(QPaintEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;

    // Size of a dialog unit in pixels, from the template font: x per 4 units, y per 8.
    [[nodiscard]] int DluToPixelsX(int nDlu) const;
    [[nodiscard]] int DluToPixelsY(int nDlu) const;
    // The control of a template id as its widget type, for a member bound once
    // when the dialog is built; a missing or different control stops a debug build.
    template <typename TWidget>
    [[nodiscard]] TWidget* BindControl(int nId) const
    {
        auto* const pControl = dynamic_cast<TWidget*>(GetDlgItem(nId));
        Q_ASSERT_X(pControl != nullptr, "CLvCoolDlg::BindControl", "the template has no control of that kind for the id");
        return pControl;
    }

    // A horizontal pixel size chosen for the classic 8-point dialog font (6-pixel
    // base unit), scaled to the font this dialog really has.
    [[nodiscard]] int ScaleDesignPixelsX(int nPixels) const;

private:
    void BuildFromTemplate(const DialogTemplate& dlgTemplate);
    void InitDialogOnce();

    std::map<int, QWidget*> m_controls;
    std::map<int, QBasicTimer> m_timers;
    int m_nBaseUnitX = 6;
    int m_nBaseUnitY = 13;
    bool m_bInitialized = false;
    bool m_bDestroyed = false;
};
