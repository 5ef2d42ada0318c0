#include "DataExchange.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>

#include "CListCtrlEx.h"
#include "CLvCoolDlg.h"
#include "CProgressCtrl.h"

QWidget* DlgItemOf(CDataExchange* pDX, int nIdc)
{
    return pDX->m_pDlgWnd->GetDlgItem(nIdc);
}

void DDX_Text(CDataExchange* pDX, int nIdc, std::string& csValue)
{
    auto* const pEdit = qobject_cast<QLineEdit*>(DlgItemOf(pDX, nIdc));
    if (pEdit == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        const QByteArray text = pEdit->text().toLocal8Bit();
        csValue.assign(text.constData(), static_cast<std::size_t>(text.size()));
    } else {
        const QString csText = QString::fromLocal8Bit(csValue.data(), static_cast<qsizetype>(csValue.size()));
        if (pEdit->text() != csText)
            pEdit->setText(csText);
    }
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
