#include "DataExchange.h"

#include <QProgressBar>
#include <QTableWidget>

#include "ByteText.h"
#include "CListCtrlEx.h"
#include "CLvCoolDlg.h"
#include "CProgressCtrl.h"

QWidget* DlgItemOf(CDataExchange* pDX, int nIdc)
{
    return pDX->m_pDlgWnd->GetDlgItem(nIdc);
}

void DDX_Text(CDataExchange* pDX, int nIdc, std::string& csValue)
{
    auto* const pEdit = dynamic_cast<CByteEdit*>(DlgItemOf(pDX, nIdc));
    if (pEdit == nullptr)
        return;
    if (pDX->m_bSaveAndValidate)
        csValue = pEdit->GetBytes();
    else
        pEdit->SetBytes(csValue);
}

void DDX_Control(CDataExchange* pDX, int nIdc, CListCtrlEx& control)
{
    if (control.GetWidget() == nullptr)
        control.Attach(qobject_cast<QTableWidget*>(DlgItemOf(pDX, nIdc)));
}

void DDX_Control(CDataExchange* pDX, int nIdc, CProgressCtrl& control)
{
    if (control.GetWidget() == nullptr)
        control.Attach(qobject_cast<QProgressBar*>(DlgItemOf(pDX, nIdc)));
}
