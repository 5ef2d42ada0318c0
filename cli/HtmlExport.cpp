#include "HtmlExport.h"

#include "HtmlTable.h"

// The same page as the dialog's export of a list in its default layout.
FileStatus WriteHtmlReport(const std::string& csPath, const Report& report)
{
    HtmlTable table;
    table.csTitle = "Pindrel";
    for (const ReportColumn& column : REPORT_COLUMNS)
        table.columns.push_back({ column.pszHeading, column.alignment == ColumnAlignment::Right, column.nWidth });
    for (const ReportRow& row : report)
        table.rows.emplace_back(row.begin(), row.end());
    for (const ReportRowColors& colors : REPORT_ROW_COLORS)
        table.rowColors.push_back({ colors.crFore, colors.crBack });
    return WriteHtmlFile(csPath, table);
}
