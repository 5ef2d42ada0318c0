#include "CProgressCtrl.h"

#include <QProgressBar>

void CProgressCtrl::Attach(QProgressBar* pBar)
{
    m_pBar = pBar;
    Show();
}

void CProgressCtrl::SetRange32(int nLower, int nUpper)
{
    m_nLower = nLower;
    m_nUpper = nUpper;
    if (m_nPos < m_nLower)
        m_nPos = m_nLower;
    if (m_nPos > m_nUpper)
        m_nPos = m_nUpper;
    Show();
}

void CProgressCtrl::SetPos(int nPos)
{
    m_nPos = nPos < m_nLower ? m_nLower : (nPos > m_nUpper ? m_nUpper : nPos);
    Show();
}

void CProgressCtrl::SetStep(int nStep)
{
    m_nStep = nStep;
}

void CProgressCtrl::StepIt()
{
    const long long nNext = static_cast<long long>(m_nPos) + m_nStep;
    m_nPos = nNext > m_nUpper ? m_nLower : static_cast<int>(nNext);
    Show();
}

void CProgressCtrl::Show()
{
    if (m_pBar == nullptr)
        return;
    if (m_nUpper <= m_nLower) {
        // Qt shows a busy indicator for an empty range; an empty bar is what is meant.
        m_pBar->setRange(0, 1);
        m_pBar->setValue(0);
        return;
    }
    m_pBar->setRange(m_nLower, m_nUpper);
    m_pBar->setValue(m_nPos);
}
