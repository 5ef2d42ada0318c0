#pragma once

#include <string>
#include <vector>

#include "ProjectRun.h"

// One project per directory, in the order given; at most MAX_PROJECTS are taken.
[[nodiscard]] std::vector<ProjectRun> ProjectsOf(const std::vector<std::string>& directories);

// "pindrel-report: DIR: reason" for each directory that could not be listed
// itself, once per directory text, in the order given.
[[nodiscard]] std::vector<std::string> ListErrorMessages(const std::vector<ProjectRun>& projects);
