#pragma once

#include <string>

// What every fuzz entry does with a property's verdict: nothing when it is empty,
// else print why and abort, so that libFuzzer keeps the input as a reproducer.
int AbortOnFinding(const std::string& csWhy);
