// CLineCountDlg: the results list — set-up, layout storage, the report and its HTML export.
#include "CLineCountDlg.h"

#include <algorithm>

#include <QDateTime>
#include <QFileDialog>

#include "ByteText.h"
#include "CAttribute.h"
#include "GlobalVarsForDll.h"
#include "LineCounters.h"
#include "LineKinds.h"
#include "Resource.h"
#include "StatisticsReport.h"
#include "StringTable.h"

namespace {

std::optional<std::string> askHtmlSavePath()
{
    QFileDialog dlg(nullptr);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(QStringLiteral("HTML Files (*.html; *.htm) (*.html *.htm)"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    // Show the filter as "HTML Files (*.html; *.htm)"; the trailing group is only for matching.
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return ToBytes(dlg.selectedFiles().front());
}

} // namespace

void CLineCountDlg::InitResultsList()
{
    m_lvResults.SetPersistStorage(GlobalVarsForDll::csIni, std::string("lvResults"));
    if (!m_lvResults.RestorePersistStorage()) {
        for (int nCol = 0; nCol < REPORT_COLUMN_COUNT; ++nCol) {
            const ReportColumn& column = REPORT_COLUMNS[static_cast<std::size_t>(nCol)];
            // The default widths suit a narrower font than most desktops have: scale
            // them, and never let a heading be cut off.
            const int nWidth
                = std::max(ScaleDesignPixelsX(column.nWidth), m_lvResults.GetHeadingWidth(column.pszHeading));
            m_lvResults.InsertColumn(nCol, column.pszHeading, static_cast<int>(column.alignment), nWidth, -1);
        }
    }
    for (const ReportRowColors& colors : REPORT_ROW_COLORS) {
        CAttribute attribute;
        attribute.SetForeColor(colors.crFore);
        attribute.SetBackColor(colors.crBack);
        m_lvResults.AddAttribute(attribute);
    }
    m_lvResults.SetFullRowSel(true);
}

void CLineCountDlg::FillResults()
{
    m_lvResults.DeleteAllItems();
    const Report report = BuildReport(g_lineCounters);
    for (int nRow = 0; nRow < REPORT_ROW_COUNT; ++nRow) {
        const ReportRow& cells = report[static_cast<std::size_t>(nRow)];
        m_lvResults.InsertItem(nRow, cells[0].c_str());
        for (int nCol = 1; nCol < REPORT_COLUMN_COUNT; ++nCol) {
            const std::string& csCell = cells[static_cast<std::size_t>(nCol)];
            if (!csCell.empty())
                m_lvResults.SetItemText(nRow, nCol, csCell.c_str());
        }
    }
    // The page exported later shows this run: its directories, its date and its chart.
    HtmlPage page;
    page.csHeading = "Pindrel report";
    page.csDate = ToBytes(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")));
    page.projects = m_runDirectories;
    for (const LineKind& kind : SplitLineKinds(g_lineCounters))
        page.slices.push_back({ kind.pszLabel, kind.nLines });
    m_lvResults.SetHtmlPage(std::move(page));
}

void CLineCountDlg::OnHtmlExport()
{
    const std::optional<std::string> csPath = m_fnAskSavePath ? m_fnAskSavePath() : askHtmlSavePath();
    if (!csPath)
        return;
    FileFailure failure;
    if (!m_lvResults.Save(*csPath, 1, &failure))
        ShowMessage(IDS_EXPORT_FAILED, MessageIcon::Warning, { FormatFileFailure(failure) });
}

void CLineCountDlg::OnDestroy()
{
    // A run still pending is abandoned: the window's timers are already gone.
    m_bRunPending = false;
    // Losing the column widths is not worth a message on the way out.
    static_cast<void>(m_lvResults.StorePersistStorage());
}
