#pragma once

#include "HtmlTable.h"

// Colours of a row of a CListCtrlEx. Rows take the list's attributes in turn.
class CAttribute
{
public:
    void SetForeColor(COLORREF cr) { m_crFore = cr; }
    void SetBackColor(COLORREF cr) { m_crBack = cr; }
    [[nodiscard]] COLORREF GetForeColor() const { return m_crFore; }
    [[nodiscard]] COLORREF GetBackColor() const { return m_crBack; }

private:
    COLORREF m_crFore = 0x000000;
    COLORREF m_crBack = 0xFFFFFF;
};
