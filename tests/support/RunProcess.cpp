#include "RunProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "TempDir.h"

extern char** environ;

ProcessResult RunProcess(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    // Files rather than pipes: nothing to drain while the child runs.
    const TempDir capture;
    const std::string csOut = capture / "out";
    const std::string csErr = capture / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, csOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, csErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<char*> argv;
    for (const std::string& csArg : args)
        argv.push_back(const_cast<char*>(csArg.c_str()));
    argv.push_back(nullptr);
    // The extra entries go first: lookups take the first of two equal names.
    std::vector<char*> envp;
    for (const std::string& csEntry : env)
        envp.push_back(const_cast<char*>(csEntry.c_str()));
    for (char** p = environ; *p != nullptr; ++p)
        envp.push_back(*p);
    envp.push_back(nullptr);

    ProcessResult result;
    pid_t pid = 0;
    const int nError = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0)
        return result;
    int nStatus = 0;
    if (::waitpid(pid, &nStatus, 0) == pid && WIFEXITED(nStatus))
        result.nExitCode = WEXITSTATUS(nStatus);
    result.csOut = ReadWholeFile(csOut);
    result.csErr = ReadWholeFile(csErr);
    return result;
}
