#include "FuzzFinding.h"

#include <cstdio>
#include <cstdlib>

int AbortOnFinding(const std::string& csWhy)
{
    if (csWhy.empty())
        return 0;
    std::fprintf(stderr, "%s\n", csWhy.c_str());
    std::abort();
}
