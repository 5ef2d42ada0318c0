#include "HistoryChart.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "NumberText.h"
#include "PageText.h"

namespace {

// The drawing in viewBox units: the plot, and the margins left for its labels.
constexpr const char* VIEW_BOX = "0 0 640 300";
constexpr double PLOT_LEFT = 56.0;
constexpr double PLOT_RIGHT = 628.0;
constexpr double PLOT_TOP = 10.0;
constexpr double PLOT_BOTTOM = 270.0;
constexpr std::int64_t MAX_GRID_STEPS = 5;
// How many dates the time axis names between its ends, at most, and how far
// from an end one must stand to stay clear of the end's own label.
constexpr std::size_t MAX_TIME_MARKS = 5;
constexpr double END_LABEL_ROOM = 95.0;

std::string coordinate(double dValue) { return FixedDecimalText(dValue, 1); }

std::string shareText(std::int64_t nPart, std::int64_t nWhole)
{
    const double dPercent = nWhole <= 0 ? 0.0 : 100.0 * static_cast<double>(nPart) / static_cast<double>(nWhole);
    return FixedDecimalText(dPercent, 1) + " %";
}

// The smallest of 1, 2 and 5 times a power of ten that reaches nMax in at most five steps.
std::int64_t gridStep(std::int64_t nMax)
{
    for (std::int64_t nPower = 1;; nPower *= 10) {
        for (const std::int64_t nFactor : { 1, 2, 5 }) {
            const std::int64_t nStep = nFactor * nPower;
            if (nMax / nStep + (nMax % nStep != 0 ? 1 : 0) <= MAX_GRID_STEPS)
                return nStep;
        }
    }
}

std::string scaledText(std::int64_t nValue, std::int64_t nUnit, const char* pszSuffix)
{
    std::string csText = std::to_string(nValue / nUnit);
    if (const std::int64_t nTenths = nValue % nUnit / (nUnit / 10); nTenths != 0) {
        csText += '.';
        csText += std::to_string(nTenths);
    }
    csText += pszSuffix;
    return csText;
}

// A gridline's label, short enough for the margin: 2.5M, 40k, 350.
std::string axisText(std::int64_t nValue)
{
    if (nValue >= 1'000'000 && nValue % 100'000 == 0)
        return scaledText(nValue, 1'000'000, "M");
    if (nValue >= 1'000 && nValue % 100 == 0)
        return scaledText(nValue, 1'000, "k");
    return std::to_string(nValue);
}

std::int64_t totalOf(const HtmlHistoryPoint& point)
{
    std::int64_t nTotal = 0;
    for (const std::int64_t nCount : point.counts)
        nTotal += nCount;
    return nTotal;
}

std::int64_t countAt(const HtmlHistoryPoint& point, std::size_t nKind)
{
    return nKind < point.counts.size() ? point.counts[nKind] : 0;
}

// Where each point stands across the plot, proportional to its time. A commit dated
// before its parent (a rebase keeps the old dates) stands where its parent stands,
// so no area folds back over itself. One point alone spans the whole plot.
struct Column
{
    double dX;
    const HtmlHistoryPoint* pPoint;
};

std::vector<Column> columnsOf(const std::vector<HtmlHistoryPoint>& points)
{
    if (points.size() == 1)
        return { { PLOT_LEFT, &points[0] }, { PLOT_RIGHT, &points[0] } };
    const auto [pFirst, pLast] = std::minmax_element(points.begin(), points.end(),
        [](const HtmlHistoryPoint& a, const HtmlHistoryPoint& b) { return a.nTime < b.nTime; });
    const double dSpan = static_cast<double>(pLast->nTime - pFirst->nTime);
    const double dWidth = PLOT_RIGHT - PLOT_LEFT;
    std::vector<Column> columns;
    double dX = PLOT_LEFT;
    for (std::size_t i = 0; i < points.size(); ++i) {
        // All at one moment: side by side, in history order.
        const double dAt = dSpan > 0 ? static_cast<double>(points[i].nTime - pFirst->nTime) / dSpan
                                     : static_cast<double>(i) / static_cast<double>(points.size() - 1);
        dX = std::max(dX, PLOT_LEFT + dAt * dWidth);
        columns.push_back({ dX, &points[i] });
    }
    return columns;
}

class Scale
{
public:
    explicit Scale(std::int64_t nTop)
        : m_nTop(nTop)
    {
    }
    [[nodiscard]] double Y(std::int64_t nValue) const
    {
        return PLOT_BOTTOM - static_cast<double>(nValue) / static_cast<double>(m_nTop) * (PLOT_BOTTOM - PLOT_TOP);
    }

private:
    std::int64_t m_nTop;
};

// Each kind is the area between the sum of the kinds below it and that sum plus its own lines.
void appendBands(std::string& out, const std::vector<Column>& columns, std::size_t nKinds, const Scale& scale)
{
    std::vector<std::int64_t> below(columns.size(), 0);
    for (std::size_t nKind = 0; nKind < nKinds; ++nKind) {
        std::string csUpper;
        std::string csLower;
        bool bAny = false;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::int64_t nCount = countAt(*columns[i].pPoint, nKind);
            bAny = bAny || nCount != 0;
            const std::string csX = coordinate(columns[i].dX);
            csUpper += (i > 0 ? " " : "") + csX + "," + coordinate(scale.Y(below[i] + nCount));
            // The lower edge runs back from right to left.
            csLower = csX + "," + coordinate(scale.Y(below[i])) + (i > 0 ? " " : "") + csLower;
            below[i] += nCount;
        }
        if (bAny) {
            out += "<polygon fill=\"";
            out += SLICE_COLORS[nKind % SLICE_COLORS.size()];
            out += "\" points=\"" + csUpper + " " + csLower + "\"/>\n";
        }
    }
}

// Labelled gridlines, drawn first so that the areas cover them.
void appendGrid(std::string& out, std::int64_t nStep, std::int64_t nTop, const Scale& scale)
{
    std::string csGrid;
    std::string csLabels;
    for (std::int64_t nValue = 0; nValue <= nTop; nValue += nStep) {
        const std::string csY = coordinate(scale.Y(nValue));
        csGrid += (nValue > 0 ? " M" : "M") + coordinate(PLOT_LEFT) + " " + csY + " H" + coordinate(PLOT_RIGHT);
        csLabels += "<text class=\"y\" x=\"" + coordinate(PLOT_LEFT - 6.0) + "\" y=\""
            + coordinate(scale.Y(nValue) + 4.0) + "\">" + axisText(nValue) + "</text>\n";
    }
    out += "<path class=\"grid\" d=\"" + csGrid + "\"/>\n" + csLabels;
}

// A date the time axis names: a new year, month or day, in UTC as the table's dates.
struct TimeMark
{
    std::int64_t nTime;
    std::string csText;
};

// The first moment of each year, month or day after nFirst up to nLast, stepping
// nStep units; the unit is 0 for years, 1 for months, 2 for days.
std::vector<TimeMark> calendarStarts(std::int64_t nFirst, std::int64_t nLast, int nUnit, int nStep)
{
    std::vector<TimeMark> marks;
    const auto firstTime = static_cast<std::time_t>(nFirst);
    std::tm at {};
    if (gmtime_r(&firstTime, &at) == nullptr)
        return marks;
    at.tm_hour = at.tm_min = at.tm_sec = 0;
    if (nUnit < 2)
        at.tm_mday = 1;
    if (nUnit < 1)
        at.tm_mon = 0;
    for (;;) {
        int* const pField = nUnit == 0 ? &at.tm_year : nUnit == 1 ? &at.tm_mon : &at.tm_mday;
        ++*pField;
        const std::int64_t nTime = timegm(&at); // carries a 13th month or 32nd day over, too
        if (nTime > nLast || nTime < nFirst)
            return marks;
        // Steps fall on round values: every 5th year, every quarter, every other day.
        const int nRound = nUnit == 0 ? at.tm_year + 1900 : nUnit == 1 ? at.tm_mon : at.tm_mday - 1;
        if (nRound % nStep != 0)
            continue;
        char szText[32];
        if (nUnit == 0)
            std::snprintf(szText, sizeof szText, "%04d", at.tm_year + 1900);
        else if (nUnit == 1)
            std::snprintf(szText, sizeof szText, "%04d-%02d", at.tm_year + 1900, at.tm_mon + 1);
        else
            std::snprintf(szText, sizeof szText, "%04d-%02d-%02d", at.tm_year + 1900, at.tm_mon + 1, at.tm_mday);
        marks.push_back({ nTime, szText });
        if (marks.size() > MAX_TIME_MARKS * 31)
            return marks; // enough to know this step is too fine
    }
}

// The coarsest calendar unit with at least two boundaries inside the span, at the
// smallest round step that names at most MAX_TIME_MARKS of them.
std::vector<TimeMark> calendarMarks(std::int64_t nFirst, std::int64_t nLast)
{
    static constexpr std::initializer_list<int> STEPS[] = { { 1, 2, 5, 10, 20, 50, 100 }, { 1, 2, 3, 6 },
        { 1, 2, 5, 10 } };
    for (int nUnit = 0; nUnit < 3; ++nUnit) {
        if (calendarStarts(nFirst, nLast, nUnit, 1).size() < 2)
            continue;
        for (const int nStep : STEPS[nUnit]) {
            std::vector<TimeMark> marks = calendarStarts(nFirst, nLast, nUnit, nStep);
            if (marks.size() <= MAX_TIME_MARKS)
                return marks;
        }
    }
    return {};
}

// A tick below the plot for every commit drawn, the first and last day, and the
// new years, months or days between them.
void appendTimeAxis(std::string& out, const std::vector<Column>& columns)
{
    std::string csTicks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        csTicks += (i > 0 ? " M" : "M") + coordinate(columns[i].dX) + " " + coordinate(PLOT_BOTTOM) + " v5";
    }
    out += "<path class=\"ticks\" d=\"" + csTicks + "\"/>\n";
    const std::string csDateY = coordinate(PLOT_BOTTOM + 20.0);
    const HtmlHistoryPoint& first = *columns.front().pPoint;
    const HtmlHistoryPoint& last = *columns.back().pPoint;
    out += "<text x=\"" + coordinate(columns.front().dX) + "\" y=\"" + csDateY + "\">";
    AppendHtmlEscaped(out, first.csDay);
    out += "</text>\n";
    if (&first != &last && first.csDay != last.csDay) {
        out += "<text class=\"last\" x=\"" + coordinate(columns.back().dX) + "\" y=\"" + csDateY + "\">";
        AppendHtmlEscaped(out, last.csDay);
        out += "</text>\n";
    }
    const auto [pEarliest, pLatest] = std::minmax_element(columns.begin(), columns.end(),
        [](const Column& a, const Column& b) { return a.pPoint->nTime < b.pPoint->nTime; });
    const std::int64_t nFirst = pEarliest->pPoint->nTime;
    const std::int64_t nLast = pLatest->pPoint->nTime;
    if (nLast <= nFirst)
        return;
    const double dScale = (PLOT_RIGHT - PLOT_LEFT) / static_cast<double>(nLast - nFirst);
    for (const TimeMark& mark : calendarMarks(nFirst, nLast)) {
        const double dX = PLOT_LEFT + static_cast<double>(mark.nTime - nFirst) * dScale;
        // The day an end already names would read as a second end.
        if (dX < PLOT_LEFT + END_LABEL_ROOM || dX > PLOT_RIGHT - END_LABEL_ROOM || mark.csText == first.csDay
            || mark.csText == last.csDay)
            continue;
        out += "<text class=\"mark\" x=\"" + coordinate(dX) + "\" y=\"" + csDateY + "\">" + mark.csText + "</text>\n";
    }
}

// What a screen reader says for the chart: its span and the newest commit's lines; the
// table below the chart lists every commit.
std::string chartLabel(const HtmlHistory& history)
{
    const HtmlHistoryPoint& first = history.points.front();
    const HtmlHistoryPoint& last = history.points.back();
    const std::int64_t nTotal = totalOf(last);
    std::string csLabel = "Stacked area chart of the lines of " + std::to_string(history.points.size())
        + (history.points.size() == 1 ? " commit" : " commits") + ", " + first.csDay + " to " + last.csDay
        + "; the newest has " + std::to_string(nTotal) + " lines: ";
    for (std::size_t nKind = 0; nKind < history.kinds.size(); ++nKind) {
        csLabel += (nKind > 0 ? "; " : "") + history.kinds[nKind] + " " + std::to_string(countAt(last, nKind)) + " ("
            + shareText(countAt(last, nKind), nTotal) + ")";
    }
    return csLabel;
}

void appendLegend(std::string& out, const HtmlHistory& history)
{
    const HtmlHistoryPoint& last = history.points.back();
    const std::int64_t nTotal = totalOf(last);
    out += "<div>\n<p class=\"meta\">The newest commit, ";
    AppendHtmlEscaped(out, last.csDay);
    out += ":</p>\n<ul class=\"legend\">\n";
    for (std::size_t nKind = 0; nKind < history.kinds.size(); ++nKind) {
        out += "<li><span class=\"swatch\" style=\"color: ";
        out += SLICE_COLORS[nKind % SLICE_COLORS.size()];
        out += "\" aria-hidden=\"true\">\xE2\x96\xA0</span><span>";
        AppendHtmlEscaped(out, history.kinds[nKind]);
        out += "</span><span class=\"num\">" + std::to_string(countAt(last, nKind)) + "</span><span class=\"num\">"
            + shareText(countAt(last, nKind), nTotal) + "</span></li>\n";
    }
    out += "</ul>\n</div>\n";
}

} // namespace

void AppendHistoryChart(std::string& out, const HtmlHistory& history)
{
    if (history.points.empty())
        return;
    std::int64_t nMax = 0;
    for (const HtmlHistoryPoint& point : history.points)
        nMax = std::max(nMax, totalOf(point));
    const std::int64_t nStep = gridStep(std::max<std::int64_t>(nMax, 1));
    const std::int64_t nTop = (std::max<std::int64_t>(nMax, 1) + nStep - 1) / nStep * nStep;
    const Scale scale(nTop);
    const std::vector<Column> columns = columnsOf(history.points);

    out += "<div class=\"overview\">\n<svg class=\"history\" viewBox=\"";
    out += VIEW_BOX;
    out += "\" role=\"img\" aria-label=\"";
    AppendHtmlEscaped(out, chartLabel(history));
    out += "\">\n";
    appendGrid(out, nStep, nTop, scale);
    appendBands(out, columns, history.kinds.size(), scale);
    appendTimeAxis(out, columns);
    out += "</svg>\n";
    appendLegend(out, history);
    out += "</div>\n";
}
