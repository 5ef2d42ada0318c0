#include "ProgressBar.h"

#include <string>

namespace {

constexpr std::size_t BAR_WIDTH = 40;
constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(100);

} // namespace

ProgressBar::ProgressBar(std::FILE* pStream, std::size_t nTotal)
    : m_pStream(pStream)
    , m_nTotal(nTotal)
{
}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Update(std::size_t nDone)
{
    const auto now = std::chrono::steady_clock::now();
    if (m_bShown && now - m_lastDraw < REDRAW_INTERVAL)
        return;
    m_lastDraw = now;
    Draw(nDone);
}

void ProgressBar::Clear()
{
    if (!m_bShown)
        return;
    std::fputs("\r\x1b[K", m_pStream);
    std::fflush(m_pStream);
    m_bShown = false;
}

void ProgressBar::Draw(std::size_t nDone)
{
    const std::size_t nFilled = m_nTotal == 0 ? 0 : std::min(nDone, m_nTotal) * BAR_WIDTH / m_nTotal;
    const std::string csBar = std::string(nFilled, '#') + std::string(BAR_WIDTH - nFilled, '.');
    std::fprintf(m_pStream, "\rCounting [%s] %zu/%zu files", csBar.c_str(), nDone, m_nTotal);
    std::fflush(m_pStream);
    m_bShown = true;
}
