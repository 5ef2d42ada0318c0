#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FileFailure.h"
#include "Utf8Text.h"

// Colours laid out 0x00BBGGRR, as the list control's row attributes hold them.
using COLORREF = std::uint32_t;

struct HtmlColumn
{
    std::string csHeading;
    bool bRightAligned = false;
    int nWidth = 0; // pixels
};

struct HtmlRowColors
{
    COLORREF crFore = 0x000000;
    COLORREF crBack = 0xFFFFFF;
};

// A list in report view, as plain data: what the HTML export writes.
struct HtmlTable
{
    std::string csTitle;
    std::vector<HtmlColumn> columns;              // in display order
    std::vector<std::vector<std::string>> rows;   // one cell per column, display order
    std::vector<HtmlRowColors> rowColors;         // row i uses entry i % size; none: no colours
};

// Renders a standalone UTF-8 HTML page of the table. Text is escaped; bytes that
// are not UTF-8 become U+FFFD.
[[nodiscard]] std::string RenderHtml(const HtmlTable& table);

// Writes the page to csPath as a careful editor would: atomically, through a symbolic link, keeping an
// existing file's mode, refusing one the user may not write. A missing folder is not created.
[[nodiscard]] FileStatus WriteHtmlFile(const std::string& csPath, const HtmlTable& table);
