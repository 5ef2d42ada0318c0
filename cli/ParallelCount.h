#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "LineCounters.h"

// Counts the files with up to nThreads threads, each taking the next uncounted
// file and summing into counters of its own; the sums are added at the end, so
// the result equals counting the files one by one. fnProgress, when set, is told
// the number of files done; it is called from the calling thread only.
[[nodiscard]] LineCounters CountFilesInParallel(const std::vector<const std::string*>& files, unsigned nThreads,
    const std::function<void(std::size_t)>& fnProgress = {});

// The thread count to use: the value of THREADS_VARIABLE when it holds a number
// from 1 to 256, otherwise one per core.
[[nodiscard]] unsigned DefaultThreadCount();
