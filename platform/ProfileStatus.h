#pragma once

#include <string>

// Outcome of a change to a private-profile file.
struct ProfileStatus
{
    bool bOk = true;
    std::string csError; // a sentence for the user naming the path and the reason
    explicit operator bool() const { return bOk; }
};
