#include "ParallelCount.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <system_error>
#include <thread>

#include "ReportArguments.h"

namespace {

unsigned usableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

unsigned DefaultThreadCount(std::string* pcsWarning)
{
    if (pcsWarning != nullptr)
        pcsWarning->clear();
    if (const char* pszValue = std::getenv(THREADS_VARIABLE); pszValue != nullptr && *pszValue != '\0') {
        unsigned nValue = 0;
        const char* const pszEnd = pszValue + std::strlen(pszValue);
        const auto [pEnd, ec] = std::from_chars(pszValue, pszEnd, nValue);
        if (ec == std::errc() && pEnd == pszEnd && nValue >= 1 && nValue <= 256)
            return nValue;
        if (pcsWarning != nullptr)
            *pcsWarning = std::string(THREADS_VARIABLE) + "=" + pszValue
                + " is not a number from 1 to 256; counting with one thread per core";
    }
    return usableCores();
}
