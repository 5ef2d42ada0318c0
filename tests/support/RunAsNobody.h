#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "RunProcess.h"

// Root ignores permission bits, so a test of them acts as the unprivileged user nobody
// when the suite runs as root. Any other user is bound by them already and acts as itself.

// nobody's user and group id.
constexpr uid_t NOBODY_ID = 65534;

// Where, and under which umask, RunAsNobody starts the program.
struct NobodyRun
{
    std::string csWorkDir; // empty: the test's own
    std::string csUmask = "022";
    std::vector<std::string> env {}; // extra "NAME=value" entries
};

// Runs the program with the arguments as nobody, from a copy in a folder everyone may
// enter, so the outcome depends only on the permissions the test sets up and not on
// where the build lies.
[[nodiscard]] ProcessResult RunAsNobody(
    const std::string& csProgram, const std::vector<std::string>& args, const NobodyRun& how = {});

// Takes nobody's identity in this process (a forked child); false when that fails.
[[nodiscard]] bool BecomeNobody();

// Gives a file, or a folder and everything in it, to nobody (links themselves, not their
// targets), as if nobody had made them.
[[nodiscard]] bool GiveToNobody(const std::string& csPath);
