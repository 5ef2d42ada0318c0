#include "RunAsNobody.h"

#include <filesystem>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

bool isRoot()
{
    return ::geteuid() == 0;
}

} // namespace

ProcessResult RunAsNobody(const std::string& csProgram, const std::vector<std::string>& args, const NobodyRun& how)
{
    // The build may lie in a folder only its owner can enter (a clone under /root or in a
    // mktemp -d folder): nobody could not even start the program there.
    const TempDir bin;
    const std::string csCopy = bin / fs::path(csProgram).filename().string();
    std::error_code ec;
    fs::copy_file(csProgram, csCopy, ec);
    if (ec || ::chmod(bin.Path().c_str(), 0755) != 0 || ::chmod(csCopy.c_str(), 0755) != 0)
        return { -1, "", "RunAsNobody: cannot copy " + csProgram + " to " + csCopy + "\n" };

    std::vector<std::string> command;
    if (isRoot())
        command = { "/usr/bin/setpriv", "--reuid=" + std::to_string(NOBODY_ID),
            "--regid=" + std::to_string(NOBODY_ID), "--clear-groups", "--" };
    const char* pszScript = how.csWorkDir.empty() ? "umask \"$1\" && shift 2 && exec \"$@\""
                                                  : "umask \"$1\" && cd \"$2\" && shift 2 && exec \"$@\"";
    command.insert(command.end(), { "/bin/sh", "-c", pszScript, "sh", how.csUmask, how.csWorkDir, csCopy });
    command.insert(command.end(), args.begin(), args.end());
    return RunProcess(command, how.env);
}

bool BecomeNobody()
{
    if (!isRoot())
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(NOBODY_ID) == 0 && ::setuid(NOBODY_ID) == 0;
}

bool GiveToNobody(const std::string& csPath)
{
    if (!isRoot())
        return true;
    if (::lchown(csPath.c_str(), NOBODY_ID, NOBODY_ID) != 0)
        return false;
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(csPath, ec)))
        return true;
    for (fs::recursive_directory_iterator it(csPath, ec), end; !ec && it != end; it.increment(ec)) {
        if (::lchown(it->path().c_str(), NOBODY_ID, NOBODY_ID) != 0)
            return false;
    }
    return !ec;
}
