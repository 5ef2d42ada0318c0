#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "CountingRules.h"
#include "LineCounters.h"
#include "ProjectRun.h"

// Told how many files are counted and how many are known so far; the second
// grows while directories are still being listed.
using CountProgress = std::function<void(std::size_t nDone, std::size_t nKnown)>;

// Counts every file of every project with up to nThreads threads. Each project's
// counters are set to the sums of its own files and the total is returned: the
// same figures as counting the files one by one. Large files are cut into
// segments that several threads count. fnProgress is called from the calling
// thread only, last with both figures equal to the number of files. Lines are
// classified by rules.
[[nodiscard]] LineCounters CountProjects(std::vector<ProjectRun>& projects, unsigned nThreads,
    const CountProgress& fnProgress = {}, CountingRules rules = CountingRules::Simple);

// Collects every project as CollectProject does, then counts as CountProjects
// does; with more than one thread, the first files are counted while later
// directories are still being listed. The file lists come out as CollectProject
// makes them.
[[nodiscard]] LineCounters CollectAndCountProjects(std::vector<ProjectRun>& projects, unsigned nThreads,
    const CountProgress& fnProgress = {}, CountingRules rules = CountingRules::Simple);
