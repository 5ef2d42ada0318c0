#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <git2.h>

// The pack files of one object folder, opened without libgit2 so that their
// objects can be inflated by a faster inflater than the zlib libgit2 is bound to.
// It offers only what it reads with certainty: version 2 indexes of SHA-1 packs
// whose pack file carries the checksum the index names, in the folder and in the
// folders it borrows objects from. Loose objects and other formats stay libgit2's to read.
//
// Nothing changes after construction: any number of threads may ask at once.
class PackStore
{
public:
    struct Pack;

    // Where one object's bytes lie in its pack: header, then the zlib stream, up to nEnd.
    struct Entry
    {
        const Pack* pPack = nullptr;
        std::uint64_t nOffset = 0;
        std::uint64_t nEnd = 0;
    };

    // Opens the packs it can read below csObjectsDir/pack and the folders it borrows
    // from, the largest first, at most 128 of them; leaves out the rest.
    explicit PackStore(const std::string& csObjectsDir);
    ~PackStore();
    PackStore(const PackStore&) = delete;
    PackStore& operator=(const PackStore&) = delete;

    [[nodiscard]] bool IsEmpty() const { return m_packs.empty(); }
    [[nodiscard]] std::optional<Entry> Find(const git_oid& id) const;
    // The object that starts at nOffset of pack: a delta names its base that way.
    [[nodiscard]] std::optional<Entry> At(const Pack& pack, std::uint64_t nOffset) const;
    // Reads the entry's bytes into bytes; false when the file fails.
    [[nodiscard]] bool ReadBytes(const Entry& entry, std::vector<unsigned char>& bytes) const;

private:
    std::vector<std::unique_ptr<Pack>> m_packs;
};
