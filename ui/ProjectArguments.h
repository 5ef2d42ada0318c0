#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The directories named on pindrel's command line, as the project list keeps them.
struct ProjectArguments
{
    std::vector<std::string> directories;
    // Set when the command line is not usable; the message names the argument.
    std::string csError;
};

// Reads the arguments Qt left over (argv[0] excluded): each is a directory,
// made absolute against csWorkingDir; "--" ends the options, and no other
// option exists.
[[nodiscard]] ProjectArguments ParseProjectArguments(const std::vector<std::string>& arguments,
    const std::string& csWorkingDir);

// A directory argument as the list keeps it: absolute, without "." parts,
// doubled or trailing slashes. ".." stays: it may cross a symbolic link.
[[nodiscard]] std::string AbsoluteDirectory(std::string_view csArgument, const std::string& csWorkingDir);

// The process's working directory; empty when it cannot be named.
[[nodiscard]] std::string CurrentWorkingDirectory();
