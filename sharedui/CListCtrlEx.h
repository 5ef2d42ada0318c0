#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CAttribute.h"
#include "HtmlTable.h"

class QTableWidget;

// A list in report view over a QTableWidget: columns with heading, alignment and
// width, rows of text, rows coloured by the attributes in turn, the column layout
// kept in a section of an INI file, and an HTML export.
class CListCtrlEx
{
public:
    CListCtrlEx();
    virtual ~CListCtrlEx();
    CListCtrlEx(const CListCtrlEx&) = delete;
    CListCtrlEx& operator=(const CListCtrlEx&) = delete;

    void Attach(QTableWidget* pTable);
    [[nodiscard]] QTableWidget* GetWidget() const { return m_pTable; }

    // Where the layout is kept: INI file path and section name.
    void SetPersistStorage(const std::string& csIniPath, const std::string& csKey);
    // Applies the stored layout, columns included; true when one was applied.
    [[nodiscard]] bool RestorePersistStorage();
    // Stores headings, alignments, widths and order; true when they were written.
    [[nodiscard]] bool StorePersistStorage();

    // nFormat: 0 left, 1 right. Returns the new column's index, -1 on failure.
    int InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth, int nSubItem);
    // Inserts a row with its first cell; returns its index, -1 on failure.
    int InsertItem(int nItem, const char* pszText);
    bool SetItemText(int nItem, int nSubItem, const char* pszText);
    bool DeleteAllItems();
    [[nodiscard]] int GetItemCount() const;
    [[nodiscard]] int GetColumnCount() const;
    // The width a column needs to show its heading whole, in pixels.
    [[nodiscard]] int GetHeadingWidth(const char* pszHeading) const;
    [[nodiscard]] std::string GetItemText(int nItem, int nSubItem) const;

    // Turns full-row selection on or off. Returns the previous setting.
    bool SetFullRowSel(bool bFullRow);

    // Appends a row attribute; rows take the attributes in turn.
    void AddAttribute(const CAttribute& attribute);

    // The selected rows, or every row when none is selected, as lines of
    // tab-separated cells after a line of headings, in display order.
    [[nodiscard]] std::string CopyText() const;
    // Puts CopyText on the clipboard; Ctrl+C and the list's context menu call it.
    void Copy() const;

    // What the HTML page shows around the list: heading, chart, sections.
    void SetHtmlPage(HtmlPage page);
    // The list as it stands, in display order, with the row colours and the page.
    [[nodiscard]] HtmlTable ToHtmlTable() const;
    // Writes the list as a standalone HTML page. False, with what failed in
    // *pFailure, when the file cannot be written.
    [[nodiscard]] bool Save(const std::string& csPath, int nMode, FileFailure* pFailure = nullptr) const;

private:
    // Shared with the table's row painter, which may outlive the list.
    std::shared_ptr<std::vector<CAttribute>> m_pAttributes = std::make_shared<std::vector<CAttribute>>();
    QTableWidget* m_pTable = nullptr;
    // Points back at this list while it lives; the table's copy handler holds it too.
    std::shared_ptr<const CListCtrlEx*> m_ppSelf = std::make_shared<const CListCtrlEx*>(this);
    std::string m_csIniPath;
    std::string m_csKey;
    HtmlPage m_htmlPage;
};
