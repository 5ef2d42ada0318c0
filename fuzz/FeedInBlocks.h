#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

// Feeds csText to stream in blocks of the sizes given, in turn (the rest in one
// block when none are given). Empty blocks are fed too, but never more in a row
// than there are sizes, so the feed always ends. Each block is copied into an
// allocation of exactly its size, so a read past it is caught.
template <typename Stream>
void FeedInBlocks(Stream& stream, std::string_view csText, const std::vector<std::size_t>& blockSizes)
{
    std::size_t nPos = 0;
    std::size_t nBlock = 0;
    std::size_t nEmptyInRow = 0;
    while (nPos < csText.size()) {
        std::size_t nTake = csText.size() - nPos;
        if (!blockSizes.empty() && nEmptyInRow < blockSizes.size()) {
            nTake = std::min(nTake, blockSizes[nBlock++ % blockSizes.size()]);
            nEmptyInRow = nTake == 0 ? nEmptyInRow + 1 : 0;
        }
        const std::unique_ptr<char[]> pBlock(new char[nTake]);
        std::memcpy(pBlock.get(), csText.data() + nPos, nTake);
        stream.Feed(pBlock.get(), nTake);
        nPos += nTake;
    }
    stream.Finish();
}
