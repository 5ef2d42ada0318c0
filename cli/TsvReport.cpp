#include "TsvReport.h"

#include <string_view>

#include "HistoryTable.h"

namespace {

// A TSV cell holds no tab or line end: those in a directory name are written as
// \t, \n and \r, and a backslash as \\, so every line keeps its six cells.
void appendTsvCell(std::string& csOut, std::string_view csText)
{
    for (const char c : csText) {
        switch (c) {
        case '\t': csOut += "\\t"; break;
        case '\n': csOut += "\\n"; break;
        case '\r': csOut += "\\r"; break;
        case '\\': csOut += "\\\\"; break;
        default: csOut += c; break;
        }
    }
}

void appendRows(std::string& csOut, const ReportRows& rows, const std::string* pcsFirstCell)
{
    for (const ReportRow& row : rows) {
        if (pcsFirstCell != nullptr) {
            appendTsvCell(csOut, *pcsFirstCell);
            csOut += '\t';
        }
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                csOut += '\t';
            csOut += row[i];
        }
        csOut += '\n';
    }
}

void appendLine(std::string& csOut, const std::vector<std::string>& cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            csOut += '\t';
        csOut += cells[i];
    }
    csOut += '\n';
}

// A line of headings, then one line per picked commit, oldest first.
std::string historyTsv(const ReportModel& model)
{
    std::vector<std::string> headings;
    for (const HistoryColumn& column : HistoryColumns(model.rules))
        headings.push_back(column.csHeading);
    std::string csOut;
    appendLine(csOut, headings);
    for (const HistoryPoint& point : model.history)
        appendLine(csOut, HistoryCells(point, model.rules));
    return csOut;
}

} // namespace

std::string WriteTsvReport(const ReportModel& model)
{
    if (!model.history.empty())
        return historyTsv(model);
    std::string csOut;
    if (!model.bByProject) {
        appendRows(csOut, model.rows, nullptr);
        return csOut;
    }
    for (std::size_t i = 0; i < model.projects.size(); ++i)
        appendRows(csOut, model.projectRows[i], &model.projects[i].csDirectory);
    const std::string csTotal = "*";
    appendRows(csOut, model.rows, &csTotal);
    return csOut;
}
