#pragma once

#include <string>
#include <vector>

struct ProcessResult
{
    int nExitCode = -1; // -1 when the process did not exit normally
    std::string csOut;
    std::string csErr;
};

// Runs a program with the given arguments (argv[0] first) and extra "NAME=value"
// environment entries, stdin from /dev/null, and returns what it printed.
[[nodiscard]] ProcessResult RunProcess(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
