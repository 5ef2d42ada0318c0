#include "DlgPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

void DlgPaint(QPainter* pDC, QWidget* pWnd, int nMode, const std::string& /*csName*/, const QRect* pRect)
{
    if (pDC == nullptr || pWnd == nullptr)
        return;
    const QRect area = pRect != nullptr ? *pRect : pWnd->rect();
    const QColor window = pWnd->palette().color(QPalette::Window);
    if (nMode != 1) {
        pDC->fillRect(area, window);
        return;
    }
    QLinearGradient shade(area.topLeft(), area.bottomLeft());
    shade.setColorAt(0.0, window.lighter(106));
    shade.setColorAt(1.0, window.darker(103));
    pDC->fillRect(area, shade);
}
