#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// git's delta format: the size of the base and of the result, each in 7-bit
// groups, the lowest first; then instructions that either copy a run of the
// base or insert bytes the delta carries.

// The size of what delta makes, read from its start; none when that is malformed.
[[nodiscard]] std::optional<std::uint64_t> DeltaResultSize(std::string_view delta);

// Writes what delta makes of base into pOut, which holds exactly nOut bytes, the
// result's size. False when the delta is not one of base, or asks for bytes past
// the end of the base, the delta or the result: packs come from anywhere.
[[nodiscard]] bool ApplyDelta(std::string_view base, std::string_view delta, char* pOut, std::size_t nOut);
