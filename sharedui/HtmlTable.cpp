#include "HtmlTable.h"

#include <cstdio>

#include "AtomicFile.h"

namespace {

void appendEscaped(std::string& out, const std::string& csText)
{
    for (const char c : ToValidUtf8(csText)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
}

std::string cssColor(COLORREF cr)
{
    char acText[8];
    std::snprintf(acText, sizeof acText, "#%02x%02x%02x", cr & 0xFFu, (cr >> 8) & 0xFFu, (cr >> 16) & 0xFFu);
    return acText;
}

const char* alignOf(const HtmlColumn& column)
{
    return column.bRightAligned ? "right" : "left";
}

} // namespace

std::string RenderHtml(const HtmlTable& table)
{
    std::string out;
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    appendEscaped(out, table.csTitle);
    out += "</title>\n<style>\n"
           "body { font-family: sans-serif; font-size: 10pt; }\n"
           "table { border-collapse: collapse; }\n"
           "th, td { padding: 2px 6px; border: 1px solid #c0c0c0; white-space: pre; }\n"
           "th { background: #e8e8e8; font-weight: normal; }\n"
           "</style>\n</head>\n<body>\n<table>\n<tr>";
    for (const HtmlColumn& column : table.columns) {
        out += "<th style=\"text-align: ";
        out += alignOf(column);
        out += "; min-width: " + std::to_string(column.nWidth) + "px\">";
        appendEscaped(out, column.csHeading);
        out += "</th>";
    }
    out += "</tr>\n";
    for (std::size_t nRow = 0; nRow < table.rows.size(); ++nRow) {
        out += "<tr";
        if (!table.rowColors.empty()) {
            const HtmlRowColors& colors = table.rowColors[nRow % table.rowColors.size()];
            out += " style=\"color: " + cssColor(colors.crFore) + "; background: " + cssColor(colors.crBack) + "\"";
        }
        out += ">";
        const std::vector<std::string>& cells = table.rows[nRow];
        for (std::size_t nCol = 0; nCol < table.columns.size(); ++nCol) {
            out += "<td style=\"text-align: ";
            out += alignOf(table.columns[nCol]);
            out += "\">";
            if (nCol < cells.size())
                appendEscaped(out, cells[nCol]);
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

FileStatus WriteHtmlFile(const std::string& csPath, const HtmlTable& table)
{
    return WriteFileAtomically(csPath, RenderHtml(table), MissingFolders::Fail);
}
