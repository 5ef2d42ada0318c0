#include "HistorySampling.h"

#include <algorithm>

std::vector<std::size_t> PickHistoryPoints(const std::vector<std::int64_t>& times, std::size_t nPoints)
{
    const std::size_t nCommits = times.size();
    std::vector<std::size_t> picked;
    if (nPoints >= nCommits) {
        for (std::size_t i = 0; i < nCommits; ++i)
            picked.push_back(i);
        return picked;
    }
    if (nPoints == 0)
        return picked;
    if (nPoints == 1)
        return { nCommits - 1 };

    std::vector<std::int64_t> placed(times);
    for (std::size_t i = 1; i < nCommits; ++i)
        placed[i] = std::max(placed[i], placed[i - 1]);
    // Targets are first + span * k / nSteps; they are compared multiplied by nSteps
    // in 128 bits, so no rounding moves a point and no product overflows.
    __extension__ typedef __int128 Wide;
    const Wide nSteps = static_cast<Wide>(nPoints - 1);
    const Wide span = static_cast<Wide>(placed.back()) - placed.front();
    const auto scaled = [&](std::size_t i) { return (static_cast<Wide>(placed[i]) - placed.front()) * nSteps; };

    picked.push_back(0);
    std::size_t nBefore = 0; // the newest commit at or before the target; targets only grow
    for (std::size_t k = 1; k + 1 < nPoints; ++k) {
        std::size_t nPick = 0;
        if (span == 0) {
            nPick = static_cast<std::size_t>((static_cast<Wide>(nCommits - 1) * k + nSteps / 2) / nSteps);
        } else {
            const Wide target = span * static_cast<Wide>(k);
            while (nBefore + 1 < nCommits && scaled(nBefore + 1) <= target)
                ++nBefore;
            nPick = nBefore;
            if (nBefore + 1 < nCommits && scaled(nBefore + 1) - target < target - scaled(nBefore))
                nPick = nBefore + 1;
        }
        if (nPick > picked.back() && nPick + 1 < nCommits)
            picked.push_back(nPick);
    }
    picked.push_back(nCommits - 1);
    return picked;
}
