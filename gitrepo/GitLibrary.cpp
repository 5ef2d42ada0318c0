#include "GitLibrary.h"

std::string LastGitError()
{
    const git_error* pError = git_error_last();
    return pError != nullptr && pError->message != nullptr ? std::string(pError->message) : std::string("unknown error");
}
