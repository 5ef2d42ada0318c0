#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One commit on the history chart: when it was made and the lines of each kind its tree held.
struct HtmlHistoryPoint
{
    std::int64_t nTime = 0;           // seconds since the epoch: the time axis is proportional to it
    std::string csDay;                // its date as the axis shows it, e.g. "2026-12-08"
    std::vector<std::int64_t> counts; // the lines of each kind, in the kinds' order
};

// The lines of each kind over a history, drawn as stacked areas, the first kind at the bottom.
struct HtmlHistory
{
    std::vector<std::string> kinds;       // coloured as the ring colours them, in this order
    std::vector<HtmlHistoryPoint> points; // oldest first
};

// What a page with a history chart adds to the page's style.
inline constexpr const char* HISTORY_STYLE = ".overview { flex-wrap: wrap; }\n"
                                             ".history { width: 640px; max-width: 100%; height: auto; }\n"
                                             ".history text { fill: currentColor; font-size: 11px; }\n"
                                             ".history .y { text-anchor: end; }\n"
                                             ".history .last { text-anchor: end; }\n"
                                             ".history .mark { text-anchor: middle; }\n"
                                             ".history .grid, .history .ticks { stroke: #c8c8c8; fill: none; }\n"
                                             "@media (prefers-color-scheme: dark) {\n"
                                             "  .history .grid, .history .ticks { stroke: #4a4a4a; }\n"
                                             "}\n";

// Appends the stacked area chart (inline SVG, described for screen readers) and a
// legend of the newest commit's lines; nothing when there is no point.
void AppendHistoryChart(std::string& out, const HtmlHistory& history);
