#pragma once

#include <string>

class QPainter;
class QRect;
class QWidget;

// Paints a dialog's background: with nMode 1 a soft vertical shade of the
// window colour, otherwise the plain window colour. pRect limits the area;
// nullptr paints the whole dialog. csName names the surface being painted.
void DlgPaint(QPainter* pDC, QWidget* pWnd, int nMode, const std::string& csName, const QRect* pRect);
