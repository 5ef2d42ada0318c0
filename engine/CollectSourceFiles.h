#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "DirectoryListing.h"
#include "ProjectFileLists.h"
#include "ProjectRun.h"

// Told to the user when a run's selected directories hold no matching file.
inline constexpr std::string_view NO_VALID_FILES_MESSAGE = "No valid files (*.c*, *.h*) in selected directories !";

// The patterns one project is collected with, in collection order: headers, then sources.
inline constexpr std::array<std::string_view, 2> PROJECT_PATTERNS { "h*", "c*" };

// csDir + '/' + csName in a string of exactly that size: a path built with
// operator+ keeps twice its length, which deep trees of long paths pay for.
[[nodiscard]] std::string JoinPath(const std::string& csDir, const std::string& csName);

// Visits csRoot and every real directory below it, depth first: a directory
// before its subdirectories, siblings in name order. fnVisit gets each
// directory's path (csRoot verbatim, names joined with '/') and its entries.
// Each directory is opened relative to its parent's descriptor and never through
// a link, so a folder swapped for a link while the walk runs is not entered, and
// the walk never leaves the tree it entered. Returns errno when csRoot itself
// cannot be listed, else 0; a deeper directory that cannot be opened or listed
// is counted in pUnreadable (when given) and visited with the entries it gave.
// One that is gone or no longer a directory when reached is skipped silently.
// fnEnters, when given, is asked with each subdirectory's path before it is
// entered; one it refuses is not listed, nor anything below it.
int WalkSourceTree(const std::string& csRoot,
    const std::function<void(const std::string& csDir, const std::vector<DirectoryEntry>& entries)>& fnVisit,
    UnreadableFolders* pUnreadable = nullptr, const std::function<bool(const std::string& csPath)>& fnEnters = {});

// Walks project.csDirectory as WalkSourceTree does and hands fnTake each file
// project.selection keeps (the name rule alone without one), with the index of
// the pattern in PROJECT_PATTERNS it fell under, in walk order; fnAfterDirectory,
// when given, is called after each directory's files. Directories the selection
// refuses are not entered. Sets project.nListError, project.unreadable and
// project.leftOut.
void WalkProject(ProjectRun& project, const std::function<void(std::string&& csPath, std::size_t nPattern)>& fnTake,
    const std::function<void()>& fnAfterDirectory = {});

// Test seam: called on the walking thread after each directory was visited, so a
// test can change the tree at a chosen point of a walk. Not thread-safe: set it
// between runs; an empty function removes it.
void SetWalkStepHook(std::function<void(const std::string& csDir)> fnHook);

// Appends to list every path below csDir whose name matches "*." + csExt: a
// directory's own matches (name order) before those of its subdirectories,
// depth first. Matching entries are taken whatever they are (a directory named
// cache.c too); links to directories are not descended into. The directory text
// is used verbatim, joined to names with '/'. Returns how many paths it appended.
std::size_t CollectMatchingPaths(const std::string& csDir, std::string_view csExt, FileList& list);

// Fills project.files with every "h*" match below project.csDirectory, then
// every "c*" match, each pattern in the order CollectMatchingPaths gives, in a
// single walk of the tree. Sets project.nListError and project.unreadable as
// WalkSourceTree reports them.
void CollectProject(ProjectRun& project);

// Appends the matching paths below csDir to slot nProject of ProjectFileLists and
// returns how many. With bReset it first clears g_lineCounters and all slots, as
// the first collection of a run must. An out-of-range slot collects nothing.
int CollectSourceFiles(int nProject, const std::string& csDir, const std::string& csExt, bool bReset);

// Collects one project as CollectProject does into slot nProject of
// ProjectFileLists, with CollectSourceFiles' reset, and returns how many paths
// it appended.
int CollectProjectSourceFiles(int nProject, const std::string& csDir, bool bReset);
