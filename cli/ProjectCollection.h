#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct CollectedProject
{
    std::string csDirectory; // as given on the command line
    std::size_t nFiles = 0;
};

// Collects every directory into its slot of ProjectFileLists exactly as a Calc run
// does: headers, then sources, the first call resetting the run. At most
// MAX_PROJECTS directories are taken.
[[nodiscard]] std::vector<CollectedProject> CollectProjects(const std::vector<std::string>& directories);

// The paths of the first nProjects slots, in run order. They point into
// ProjectFileLists and stay valid until the next collection.
[[nodiscard]] std::vector<const std::string*> CollectedFiles(std::size_t nProjects);
