#include "GitDeltaProperty.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "GitDelta.h"

namespace {

// Results past this size are only checked for safety, not built.
constexpr std::uint64_t LARGEST_RESULT = 1 << 20;

// At most nine groups: a size that needs more is out of any model's reach.
std::optional<std::uint64_t> modelSize(std::string_view& delta)
{
    std::uint64_t nValue = 0;
    for (unsigned nGroup = 0; nGroup < 9 && !delta.empty(); ++nGroup) {
        const auto c = static_cast<unsigned char>(delta.front());
        delta.remove_prefix(1);
        nValue += std::uint64_t { c & 0x7fU } << (7 * nGroup);
        if (c < 0x80)
            return nValue;
    }
    return std::nullopt;
}

std::size_t takeByte(std::string_view& delta)
{
    const auto c = static_cast<unsigned char>(delta.at(0));
    delta.remove_prefix(1);
    return c;
}

// What git makes of base by delta, or none when it is no delta of base.
std::optional<std::string> modelDelta(const std::string& base, std::string_view delta, std::uint64_t& nResult)
{
    const std::optional<std::uint64_t> nBase = modelSize(delta);
    const std::optional<std::uint64_t> nSize = modelSize(delta);
    if (!nBase || !nSize)
        throw std::invalid_argument("sizes beyond the model");
    nResult = *nSize;
    if (*nBase != base.size())
        return std::nullopt;
    std::string csResult;
    try {
        while (!delta.empty()) {
            const std::size_t nCommand = takeByte(delta);
            if (nCommand >= 0x80) {
                std::size_t nFrom = 0;
                std::size_t nLength = 0;
                for (int nBit = 0; nBit < 4; ++nBit)
                    nFrom += ((nCommand >> nBit) & 1) != 0 ? takeByte(delta) << (8 * nBit) : 0;
                for (int nBit = 4; nBit < 7; ++nBit)
                    nLength += ((nCommand >> nBit) & 1) != 0 ? takeByte(delta) << (8 * (nBit - 4)) : 0;
                if (nLength == 0)
                    nLength = 0x10000;
                if (nFrom + nLength > base.size())
                    return std::nullopt;
                csResult += base.substr(nFrom, nLength);
            } else if (nCommand > 0) {
                if (nCommand > delta.size())
                    return std::nullopt;
                csResult += delta.substr(0, nCommand);
                delta.remove_prefix(nCommand);
            } else {
                return std::nullopt;
            }
            if (csResult.size() > *nSize)
                return std::nullopt;
        }
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
    if (csResult.size() != *nSize)
        return std::nullopt;
    return csResult;
}

} // namespace

std::string CheckGitDelta(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return {};
    const std::string_view input(reinterpret_cast<const char*>(pData), nSize);
    const std::size_t nBase = std::min<std::size_t>(pData[0], nSize - 1);
    const std::string base(input.substr(1, nBase));
    const std::string_view delta = input.substr(1 + nBase);

    const std::optional<std::uint64_t> nNamed = DeltaResultSize(delta);
    std::uint64_t nModelResult = 0;
    std::optional<std::string> expected;
    try {
        expected = modelDelta(base, delta, nModelResult);
    } catch (const std::invalid_argument&) {
        // Only safety is checked below.
        nModelResult = LARGEST_RESULT + 1;
    }
    if (nModelResult <= LARGEST_RESULT && nNamed != nModelResult)
        return "DeltaResultSize read another size than the model";
    if (!nNamed || *nNamed > LARGEST_RESULT)
        return {};
    std::vector<char> result(static_cast<std::size_t>(*nNamed));
    const bool bApplied = ApplyDelta(base, delta, result.data(), result.size());
    if (nModelResult > LARGEST_RESULT)
        return {};
    if (bApplied != expected.has_value())
        return bApplied ? "ApplyDelta took a delta the model refuses" : "ApplyDelta refused a delta the model takes";
    if (bApplied && std::string_view(result.data(), result.size()) != *expected)
        return "ApplyDelta made other bytes than the model";
    return {};
}
