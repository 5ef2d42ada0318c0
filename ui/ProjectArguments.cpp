#include "ProjectArguments.h"

#include <cerrno>
#include <unistd.h>

ProjectArguments ParseProjectArguments(const std::vector<std::string>& arguments, const std::string& csWorkingDir)
{
    ProjectArguments result;
    bool bOptionsEnded = false;
    for (const std::string& csArgument : arguments) {
        if (!bOptionsEnded && csArgument == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (csArgument.empty() || (!bOptionsEnded && csArgument.front() == '-')) {
            result.csError = "pindrel: '" + csArgument + "' is not a directory argument\nusage: pindrel [--] [DIRECTORY...]";
            result.directories.clear();
            return result;
        }
        // A relative name means nothing to a window started elsewhere.
        if (csArgument.front() != '/' && csWorkingDir.empty()) {
            result.csError = "pindrel: cannot make '" + csArgument + "' absolute: the working directory has no name";
            result.directories.clear();
            return result;
        }
        result.directories.push_back(AbsoluteDirectory(csArgument, csWorkingDir));
    }
    return result;
}

std::string AbsoluteDirectory(std::string_view csArgument, const std::string& csWorkingDir)
{
    std::string csJoined;
    if (csArgument.empty() || csArgument.front() != '/') {
        csJoined = csWorkingDir;
        csJoined += '/';
    }
    csJoined += csArgument;

    // Rebuilt part by part; bytes are never re-encoded.
    std::string csPath;
    std::size_t nStart = 0;
    while (nStart <= csJoined.size()) {
        std::size_t nEnd = csJoined.find('/', nStart);
        if (nEnd == std::string::npos)
            nEnd = csJoined.size();
        const std::string_view part(csJoined.data() + nStart, nEnd - nStart);
        if (!part.empty() && part != ".") {
            csPath += '/';
            csPath += part;
        }
        nStart = nEnd + 1;
    }
    return csPath.empty() ? std::string("/") : csPath;
}

std::string CurrentWorkingDirectory()
{
    std::string csBuffer(256, '\0');
    while (::getcwd(csBuffer.data(), csBuffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        csBuffer.resize(csBuffer.size() * 2);
    }
    csBuffer.resize(csBuffer.find('\0'));
    return csBuffer;
}
