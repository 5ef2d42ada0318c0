#include "TsvReport.h"

#include <string_view>

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

} // namespace

std::string WriteTsvReport(const ReportModel& model)
{
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
