#pragma once

#include <string>

#include "FileFailure.h"

// What failed, as pindrel-report says it on standard error: 'cannot write "out.html": Permission denied'.
[[nodiscard]] std::string DescribeFileFailure(const FileFailure& failure);
