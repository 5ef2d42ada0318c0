#include "GitHistory.h"

HistoryResult CountHistory(const HistoryRequest& request)
{
    HistoryResult result;
    result.csError = (request.directories.empty() ? std::string() : request.directories.front())
        + ": history is not read yet";
    return result;
}
