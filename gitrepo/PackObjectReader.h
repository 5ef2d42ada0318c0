#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <git2.h>

#include "PackStore.h"

struct libdeflate_decompressor;

// Rebuilds objects from a PackStore's packs: inflates them with libdeflate, in
// about half of zlib's time, and applies their deltas. One per thread.
//
// When it cannot give an object (not in a pack the store reads, or damaged),
// it says so and the caller asks libgit2, which reads everything git writes and
// words the failure.
class PackObjectReader
{
public:
    // An object found in a pack, with the size of its content and about what
    // rebuilding it holds at once: a delta's result and the object its chain starts from.
    struct Located
    {
        PackStore::Entry entry;
        std::uint64_t nSize = 0;
        std::uint64_t nRebuildBytes = 0;
    };

    explicit PackObjectReader(const PackStore& store);
    ~PackObjectReader();
    PackObjectReader(const PackObjectReader&) = delete;
    PackObjectReader& operator=(const PackObjectReader&) = delete;

    [[nodiscard]] std::optional<Located> Locate(const git_oid& id);
    // The object's content, valid until the next call.
    [[nodiscard]] std::optional<std::string_view> Read(const Located& object);
    // Frees what a large object left behind, so that only the reader holding
    // the turn for large ones holds that much memory.
    void GiveBackLargeBuffers();

private:
    struct Header;
    struct Rebuilt
    {
        const PackStore::Pack* pPack;
        std::uint64_t nOffset;
        std::vector<char> content;
    };

    [[nodiscard]] bool Load(const PackStore::Entry& entry);
    [[nodiscard]] std::optional<Header> ReadHeader(const PackStore::Entry& entry);
    [[nodiscard]] bool Inflate(const PackStore::Entry& entry, const Header& header, char* pOut);
    [[nodiscard]] bool InflateDelta(const PackStore::Entry& entry, const Header& header);
    // The size of what the delta last inflated makes.
    [[nodiscard]] std::optional<std::uint64_t> DeltaTarget() const;
    // The size of the object a delta's chain starts from: one stored whole, or one still cached.
    [[nodiscard]] std::optional<std::uint64_t> ChainStartSize(const PackStore::Entry& base);
    [[nodiscard]] std::optional<std::string_view> RebuildDelta(const PackStore::Entry& top);
    [[nodiscard]] const Rebuilt* Cached(const PackStore::Entry& entry);
    // Keeps a rebuilt object for later deltas, unless it is too large; null then, and content left as it was.
    const Rebuilt* Keep(const PackStore::Entry& entry, std::vector<char>&& content);
    [[nodiscard]] char* Output(std::size_t nSize);

    const PackStore& m_store;
    libdeflate_decompressor* const m_pDecompressor;
    std::vector<unsigned char> m_compressed; // the entry last read from its pack
    std::optional<PackStore::Entry> m_loaded;
    std::vector<char> m_delta; // the instructions of the delta last inflated
    std::optional<PackStore::Entry> m_deltaOf;
    std::unique_ptr<char[]> m_pOutput; // the content handed out, reused without clearing
    std::size_t m_nOutputCapacity = 0;
    std::vector<char> m_rebuilt; // a rebuilt object handed out that the cache does not hold
    std::list<Rebuilt> m_cache; // delta bases rebuilt lately, the latest first
    std::size_t m_nCachedBytes = 0;
};
