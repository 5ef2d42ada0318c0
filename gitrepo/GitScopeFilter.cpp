#include "GitScopeFilter.h"

GitScope OpenGitScope(const std::string&)
{
    return { nullptr, "not inside a git work tree; counted whole" };
}
