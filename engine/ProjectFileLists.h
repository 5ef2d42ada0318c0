#pragma once

#include <array>
#include <string>
#include <vector>

// Number of projects one run can hold: one file list per selection position.
inline constexpr int MAX_PROJECTS = 500;

using FileList = std::vector<std::string>;

// The collected paths of the current run, one list per selection position, in
// collection order. Kept between runs until the next run's first collection.
extern std::array<FileList, MAX_PROJECTS> ProjectFileLists;
