#include "ProgressBar.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr std::size_t MAX_BAR_WIDTH = 40;
constexpr std::size_t MIN_BAR_WIDTH = 10; // narrower than this, the bar goes and the figures stay
constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(100);

volatile sig_atomic_t g_bResized = 0;

extern "C" void noteResize(int) { g_bResized = 1; }

} // namespace

ProgressBar::ProgressBar(std::FILE* pStream, std::size_t nTotal)
    : m_pStream(pStream)
    , m_nTotal(nTotal)
{
    const char* const pszTerm = std::getenv("TERM");
    m_bDumb = pszTerm == nullptr || std::strcmp(pszTerm, "dumb") == 0;
    TakeWidth();
    struct sigaction action {};
    action.sa_handler = noteResize;
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGWINCH, &action, &m_previousWinch);
}

ProgressBar::~ProgressBar()
{
    Clear();
    ::sigaction(SIGWINCH, &m_previousWinch, nullptr);
}

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
    if (m_bDumb)
        std::fprintf(m_pStream, "\r%*s\r", static_cast<int>(m_nShownLength), "");
    else
        std::fputs("\r\x1b[K", m_pStream);
    std::fflush(m_pStream);
    m_bShown = false;
    m_nShownLength = 0;
}

void ProgressBar::TakeWidth()
{
    g_bResized = 0;
    winsize size {};
    if (::ioctl(::fileno(m_pStream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        m_nColumns = size.ws_col;
}

void ProgressBar::Draw(std::size_t nDone)
{
    if (g_bResized != 0)
        TakeWidth();
    // One column short of the width: a line that fills the last column wraps on some terminals.
    const std::size_t nRoom = m_nColumns > 1 ? m_nColumns - 1 : 1;
    const std::string csFigures = std::to_string(nDone) + "/" + std::to_string(m_nTotal) + " files";
    // Sized for the total on both sides, so the bar keeps its width while the count grows.
    const std::string csFrame = "Counting [] " + std::to_string(m_nTotal) + "/" + std::to_string(m_nTotal) + " files";
    std::string csLine;
    if (nRoom >= csFrame.size() + MIN_BAR_WIDTH) {
        const std::size_t nWidth = std::min(MAX_BAR_WIDTH, nRoom - csFrame.size());
        const std::size_t nFilled = m_nTotal == 0 ? 0 : std::min(nDone, m_nTotal) * nWidth / m_nTotal;
        csLine = "Counting [" + std::string(nFilled, '#') + std::string(nWidth - nFilled, '.') + "] " + csFigures;
    } else {
        csLine = "Counting " + csFigures;
    }
    csLine.resize(std::min(csLine.size(), nRoom));
    if (m_bDumb) {
        // No erase-line code: blanks cover what a longer line left.
        const std::size_t nShown = csLine.size();
        csLine.resize(std::max(nShown, m_nShownLength), ' ');
        std::fprintf(m_pStream, "\r%s", csLine.c_str());
        m_nShownLength = nShown;
    } else {
        std::fprintf(m_pStream, "\r%s\x1b[K", csLine.c_str());
    }
    std::fflush(m_pStream);
    m_bShown = true;
}
