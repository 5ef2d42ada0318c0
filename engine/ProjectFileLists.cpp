#include "ProjectFileLists.h"

std::array<FileList, MAX_PROJECTS> ProjectFileLists;
