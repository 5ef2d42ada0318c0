#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Which commits of a first-parent history a history report counts.
//
// times holds each commit's time, oldest commit first. The result holds the
// indices of at most nPoints of them, ascending:
// - every commit when nPoints is at least the history's length; none for nPoints 0;
//   the newest alone for nPoints 1; otherwise always the first and the last;
// - between them, nPoints - 2 target times spaced evenly from the first commit's
//   time to the last's, each taking the commit nearest in time. A commit whose time
//   lies before an older one's (a rebase, a wrong clock) is placed at the newest
//   time seen before it, so the line's times never go back. A tie, and a run of
//   commits with the same time, resolve to the newest commit at or before the
//   target: the tree as it stood then;
// - a target that falls nearest to a commit already taken adds nothing, so a
//   history with quiet stretches gives fewer points than asked;
// - when all commits have the same time, the points are spread evenly over the
//   commits' positions instead.
[[nodiscard]] std::vector<std::size_t> PickHistoryPoints(const std::vector<std::int64_t>& times, std::size_t nPoints);
