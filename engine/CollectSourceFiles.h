#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ProjectFileLists.h"

// Told to the user when a run's selected directories hold no matching file.
inline constexpr std::string_view NO_VALID_FILES_MESSAGE = "No valid files (*.c*, *.h*) in selected directories !";

// Appends to list every path below csDir whose name matches "*." + csExt: a
// directory's own matches (name order) before those of its subdirectories,
// depth first. Matching entries are taken whatever they are (a directory named
// cache.c too); links to directories are not descended into. The directory text
// is used verbatim, joined to names with '/'. Returns how many paths it appended.
std::size_t CollectMatchingPaths(const std::string& csDir, std::string_view csExt, FileList& list);

// Appends the matching paths below csDir to slot nProject of ProjectFileLists and
// returns how many. With bReset it first clears g_lineCounters and all slots, as
// the first collection of a run must. An out-of-range slot collects nothing.
int CollectSourceFiles(int nProject, const std::string& csDir, const std::string& csExt, bool bReset);
