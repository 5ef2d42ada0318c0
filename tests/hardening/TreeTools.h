#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Helpers for trees the ordinary TempDir cleanup cannot take: deeper than the open-file
// limit, longer than PATH_MAX, or with names no path string can carry safely.

// Removes a tree of any depth and path length, holding one directory open at a time.
// Returns false when something could not be removed.
bool RemoveTree(const std::string& csRoot);

// Removes a tree when it goes out of scope, before the TempDir that holds it.
class TreeRemover
{
public:
    explicit TreeRemover(std::string csRoot)
        : m_csRoot(std::move(csRoot))
    {
    }
    ~TreeRemover() { RemoveTree(m_csRoot); }
    TreeRemover(const TreeRemover&) = delete;
    TreeRemover& operator=(const TreeRemover&) = delete;

private:
    std::string m_csRoot;
};

// Creates (or truncates) the file name in the open directory dirFd with the given bytes.
bool WriteFileAt(int dirFd, const std::string& csName, std::string_view csContent);

// Ends the process with SIGALRM when a test runs longer than it may: a hang becomes a
// failure that names the test instead of a silent wait for the ctest timeout.
class Watchdog
{
public:
    explicit Watchdog(unsigned nSeconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
};

// Restarts the process's peak resident size from its current size; false where the
// kernel does not allow it.
bool ResetPeakResidentSize();
// The process's peak resident size in KiB since the last reset (VmHWM).
[[nodiscard]] std::int64_t PeakResidentKiB();

// A steady clock reading in seconds, for timing the work under test.
[[nodiscard]] double SteadySeconds();
