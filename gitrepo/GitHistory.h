#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CountingRules.h"
#include "LineCounters.h"

// What a history report asks for: the projects (each a folder inside a git work
// tree), how many commits to pick, and how each tree's files are counted.
struct HistoryRequest
{
    std::vector<std::string> directories;      // one project each, as the user gave them
    std::size_t nPoints = 50;                  // commits to pick at most
    CountingRules rules = CountingRules::Simple;
    std::vector<std::string> excludePatterns;  // as --exclude gives them
    unsigned nThreads = 1;
};

// One picked commit and the files of its tree below the projects' paths, summed over the projects.
struct HistoryCount
{
    std::string csCommit;     // the full id
    std::int64_t nTime = 0;   // the commit's (committer) time, seconds since the epoch (UTC)
    std::size_t nFiles = 0;
    LineCounters counters;
};

struct HistoryResult
{
    std::vector<HistoryCount> points; // oldest first
    std::string csError;              // "DIRECTORY: problem" when the history cannot be read; points then empty
    std::size_t nBlobsRead = 0;       // distinct file contents read from the object database
};

// Walks the first-parent history of HEAD of each project's repository, picks up
// to nPoints commits spread evenly over time (the first and the last always
// among them; see PickHistoryPoints) and counts each picked tree from the object
// database as a normal run would count a checkout of it (see TreeTally).
[[nodiscard]] HistoryResult CountHistory(const HistoryRequest& request);
