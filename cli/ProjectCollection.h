#pragma once

#include <string>
#include <vector>

#include "ProjectRun.h"

// One project per directory, in the order given; at most MAX_PROJECTS are taken.
[[nodiscard]] std::vector<ProjectRun> ProjectsOf(const std::vector<std::string>& directories);

// "pindrel-report: DIR: reason" for each directory that could not be listed
// itself, once per directory text, in the order given; then "pindrel-report:
// FILE: reason" for each file whose reading failed part way.
[[nodiscard]] std::vector<std::string> ListErrorMessages(const std::vector<ProjectRun>& projects);

// The folders below the projects that could not be read, each project directory
// text taken once (as ListErrorMessages does); csFirst is the first met.
[[nodiscard]] UnreadableFolders TotalUnreadable(const std::vector<ProjectRun>& projects);

// What the projects' scopes left out, each project directory text taken once.
[[nodiscard]] ScopeCounts TotalLeftOut(const std::vector<ProjectRun>& projects);

// "pindrel-report: N folders could not be read (not counted); the first: PATH: reason",
// or empty when every folder was read.
[[nodiscard]] std::string UnreadableFoldersMessage(const UnreadableFolders& unreadable);
