#include "DataExchange.h"

#include <QLineEdit>
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
    auto* const pEdit = qobject_cast<QLineEdit*>(DlgItemOf(pDX, nIdc));
    if (pEdit == nullptr)
        return;
    // The bytes last shown are kept with the edit: while the user leaves the text
    // alone, a name that the locale cannot spell comes back exactly.
    static constexpr const char* PROPERTY_BYTES = "pindrelBytes";
    static constexpr const char* PROPERTY_SHOWN = "pindrelShown";
    if (pDX->m_bSaveAndValidate) {
        if (pEdit->property(PROPERTY_SHOWN).toString() == pEdit->text() && pEdit->property(PROPERTY_BYTES).isValid()) {
            const QByteArray bytes = pEdit->property(PROPERTY_BYTES).toByteArray();
            csValue.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        } else {
            csValue = ToBytes(pEdit->text());
        }
        return;
    }
    const QString csText = FromBytes(csValue);
    pEdit->setProperty(PROPERTY_BYTES, QByteArray(csValue.data(), static_cast<qsizetype>(csValue.size())));
    pEdit->setProperty(PROPERTY_SHOWN, csText);
    if (pEdit->text() != csText)
        pEdit->setText(csText);
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
