#include "HtmlExport.h"

#include "HtmlTable.h"
#include "LineKinds.h"

namespace {

std::vector<std::vector<std::string>> tableRows(const Report& report)
{
    std::vector<std::vector<std::string>> rows;
    for (const ReportRow& row : report)
        rows.emplace_back(row.begin(), row.end());
    return rows;
}

} // namespace

// The same page as the dialog's export of a list in its default layout.
FileStatus WriteHtmlReport(
    const std::string& csPath, const ReportSummary& summary, bool bByProject, const std::string& csDate)
{
    HtmlTable table;
    table.csTitle = "Pindrel";
    for (const ReportColumn& column : REPORT_COLUMNS)
        table.columns.push_back({ column.pszHeading, column.alignment == ColumnAlignment::Right, column.nWidth });
    table.rows = tableRows(summary.report);
    for (const ReportRowColors& colors : REPORT_ROW_COLORS)
        table.rowColors.push_back({ colors.crFore, colors.crBack });

    HtmlPage& page = table.page;
    page.csHeading = "Pindrel report";
    page.csDate = csDate;
    for (const ProjectRun& project : summary.projects)
        page.projects.push_back(project.csDirectory);
    for (const LineKind& kind : SplitLineKinds(summary.counters))
        page.slices.push_back({ kind.pszLabel, kind.nLines });
    if (bByProject) {
        page.csShareUnit = "code lines";
        for (const ProjectRun& project : summary.projects)
            page.sections.push_back(
                { project.csDirectory, tableRows(BuildReport(project.counters)), project.counters.nCodeLines });
    }
    return WriteHtmlFile(csPath, table);
}
