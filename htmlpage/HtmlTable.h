#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FileFailure.h"
#include "HistoryChart.h"
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

// One part of the ring chart.
struct HtmlSlice
{
    std::string csLabel;
    std::int64_t nCount = 0;
};

// A table below the main one, with a bar showing its share of the whole.
struct HtmlSection
{
    std::string csTitle;
    std::vector<std::vector<std::string>> rows; // same columns and colours as the main table
    std::int64_t nShare = 0;
};

// What a report page shows around its table. Left empty, the page is the list alone.
struct HtmlPage
{
    std::string csHeading;              // the page's first heading
    std::string csDate;                 // when the figures were made, as shown
    std::vector<std::string> projects;  // the directories counted
    std::vector<HtmlSlice> slices;      // the ring chart, clockwise from the top
    std::string csShareUnit;            // what the sections' shares count, e.g. "code lines"
    std::vector<HtmlSection> sections;
    HtmlHistory history;                // a stacked area chart of the kinds over time, in place of the ring

    [[nodiscard]] bool IsEmpty() const;
};

// A list in report view, as plain data: what the HTML export writes.
struct HtmlTable
{
    std::string csTitle;
    std::vector<HtmlColumn> columns;              // in display order
    std::vector<std::vector<std::string>> rows;   // one cell per column, display order
    std::vector<HtmlRowColors> rowColors;         // row i uses entry i % size; none: no colours
    HtmlPage page;                                // heading, chart and sections around the table
};

// Renders a standalone UTF-8 HTML page of the table, with its page parts when
// there are any. Text is escaped; bytes that are not UTF-8 become U+FFFD. No
// script, no external file: the page opens anywhere.
[[nodiscard]] std::string RenderHtml(const HtmlTable& table);

// Writes the page to csPath as a careful editor would: atomically, through a symbolic link, keeping an
// existing file's mode, refusing one the user may not write. A missing folder is not created.
[[nodiscard]] FileStatus WriteHtmlFile(const std::string& csPath, const HtmlTable& table);
