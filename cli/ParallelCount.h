#pragma once

// The thread count to use: the value of THREADS_VARIABLE when it holds a number
// from 1 to 256, otherwise one per core.
[[nodiscard]] unsigned DefaultThreadCount();
