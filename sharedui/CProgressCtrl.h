#pragma once

class QProgressBar;

// Progress bar with range, position and step. An empty range (0 to 0) shows an
// empty bar rather than a busy indicator.
class CProgressCtrl
{
public:
    void Attach(QProgressBar* pBar);
    [[nodiscard]] QProgressBar* GetWidget() const { return m_pBar; }

    void SetRange32(int nLower, int nUpper);
    void SetPos(int nPos);
    void SetStep(int nStep);
    // Adds the step to the position; past the maximum it starts over from the minimum.
    void StepIt();

    [[nodiscard]] int GetPos() const { return m_nPos; }

private:
    void Show();

    QProgressBar* m_pBar = nullptr;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
    int m_nStep = 10;
};
