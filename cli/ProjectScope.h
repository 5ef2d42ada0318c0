#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FileSelection.h"
#include "ProjectRun.h"
#include "ReportArguments.h"

// The file selection one project directory is walked with: the exclude patterns
// and, with --gitignore, git's rules for the work tree it lies in. None when
// nothing limits it (the name rule alone). csProblem tells why git's rules could
// not be had, empty when they could or were not asked for.
[[nodiscard]] std::shared_ptr<const FileSelection> SelectionFor(
    const ReportArguments& arguments, const std::string& csDirectory, std::string& csProblem);

// Gives each project its selection, one per directory text; returns
// "pindrel-report: DIR: problem" once per directory text that has one.
[[nodiscard]] std::vector<std::string> SelectProjectFiles(
    std::vector<ProjectRun>& projects, const ReportArguments& arguments);
