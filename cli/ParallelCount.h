#pragma once

#include <string>

// The thread count to use: the value of THREADS_VARIABLE when it holds a number
// from 1 to 256, otherwise one per core this process may run on (its affinity
// mask, which containers and taskset narrow). A value that is set but unusable
// is named in pcsWarning (when given), else pcsWarning is left empty.
[[nodiscard]] unsigned DefaultThreadCount(std::string* pcsWarning = nullptr);
