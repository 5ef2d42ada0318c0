#include "ParallelCount.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "ReportArguments.h"

unsigned DefaultThreadCount()
{
    if (const char* pszValue = std::getenv(THREADS_VARIABLE)) {
        unsigned nValue = 0;
        const char* const pszEnd = pszValue + std::strlen(pszValue);
        const auto [pEnd, ec] = std::from_chars(pszValue, pszEnd, nValue);
        if (ec == std::errc() && pEnd == pszEnd && nValue >= 1 && nValue <= 256)
            return nValue;
    }
    return std::max(1u, std::thread::hardware_concurrency());
}
