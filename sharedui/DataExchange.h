#pragma once

#include <string>

#include <QWidget>

class CLvCoolDlg;
class CListCtrlEx;
class CProgressCtrl;

// Direction and dialog of one data exchange.
class CDataExchange
{
public:
    CDataExchange(CLvCoolDlg* pDlgWnd, bool bSaveAndValidate)
        : m_pDlgWnd(pDlgWnd)
        , m_bSaveAndValidate(bSaveAndValidate)
    {
    }

    CLvCoolDlg* const m_pDlgWnd;
    const bool m_bSaveAndValidate; // true: controls to members
};

// The control of an id in the exchange's dialog.
[[nodiscard]] QWidget* DlgItemOf(CDataExchange* pDX, int nIdc);

// Exchanges an edit's text with a byte string (local 8-bit encoding, unlimited length).
void DDX_Text(CDataExchange* pDX, int nIdc, std::string& csValue);
// Binds a member to the control of an id, unless it is bound already.
void DDX_Control(CDataExchange* pDX, int nIdc, CListCtrlEx& control);
void DDX_Control(CDataExchange* pDX, int nIdc, CProgressCtrl& control);

// A widget member is bound once, when its dialog is built; the exchange only
// checks that it is the control of its id.
template <typename TWidget>
void DDX_Control(CDataExchange* pDX, int nIdc, TWidget* const& pWidget)
{
    Q_ASSERT_X(pWidget != nullptr && pWidget == DlgItemOf(pDX, nIdc), "DDX_Control", "member bound to another control");
    Q_UNUSED(pDX);
    Q_UNUSED(nIdc);
    Q_UNUSED(pWidget);
}
