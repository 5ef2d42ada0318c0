#pragma once
#include <string>
#include "LineCounters.h"
#include "ProjectFileLists.h"
// One project of a run: its directory, the files collected below it and their sums.
struct ProjectRun
{
    std::string csDirectory;    // as the user gave it
    FileList files;             // the "h*" matches, then the "c*" matches
    LineCounters counters;      // this project's own sums, filled by counting
    int nListError = 0;         // errno when csDirectory itself could not be listed, else 0
};
