#include "PackStore.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileHandle.h"

namespace {

constexpr std::size_t HASH = 20;
constexpr std::size_t INDEX_HEADER = 8;
constexpr std::size_t FANOUT = 256 * 4;
constexpr std::size_t PACK_HEADER = 12;
// Each pack holds a descriptor open. A repository never repacked may have
// thousands: the largest are kept, and libgit2 is left the descriptors it needs
// for the rest.
constexpr std::size_t MAX_PACKS = 128;

std::uint32_t bigEndian32(const unsigned char* p)
{
    return (std::uint32_t { p[0] } << 24) | (std::uint32_t { p[1] } << 16) | (std::uint32_t { p[2] } << 8) | p[3];
}

std::uint64_t bigEndian64(const unsigned char* p)
{
    return (std::uint64_t { bigEndian32(p) } << 32) | bigEndian32(p + 4);
}

bool readAt(int fd, unsigned char* pOut, std::size_t nBytes, std::uint64_t nOffset)
{
    while (nBytes > 0) {
        const ssize_t nRead = pread(fd, pOut, nBytes, static_cast<off_t>(nOffset));
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            return false;
        pOut += nRead;
        nBytes -= static_cast<std::size_t>(nRead);
        nOffset += static_cast<std::uint64_t>(nRead);
    }
    return true;
}

// A regular file opened for reading, with its size; none for anything else.
std::optional<std::pair<FileHandle, std::uint64_t>> openRegular(const std::string& csPath)
{
    FileHandle file(open(csPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (!file.IsOpen() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return std::make_pair(std::move(file), static_cast<std::uint64_t>(st.st_size));
}

// The object folders whose packs are read: this one, then those it borrows from
// (what git clone --shared or --reference lists in info/alternates), and theirs.
std::vector<std::string> objectFolders(const std::string& csObjectsDir)
{
    constexpr std::size_t MAX_FOLDERS = 16; // git follows five levels; a loop of them stops here too
    std::vector<std::string> folders { csObjectsDir };
    for (std::size_t n = 0; n < folders.size(); ++n) {
        auto list = openRegular(folders[n] + "/info/alternates");
        if (!list || list->second > 1024 * 1024)
            continue;
        std::string csList(static_cast<std::size_t>(list->second), '\0');
        if (!readAt(list->first.Get(), reinterpret_cast<unsigned char*>(csList.data()), csList.size(), 0))
            continue;
        for (std::size_t nStart = 0; nStart < csList.size() && folders.size() < MAX_FOLDERS;) {
            const std::size_t nEnd = std::min(csList.find('\n', nStart), csList.size());
            std::string csLine = csList.substr(nStart, nEnd - nStart);
            nStart = nEnd + 1;
            // A quoted path is left to libgit2, which reads every alternate as well.
            if (csLine.empty() || csLine[0] == '#' || csLine[0] == '"')
                continue;
            std::string csFolder = csLine[0] == '/' ? std::move(csLine) : folders[n] + "/" + csLine;
            if (std::find(folders.begin(), folders.end(), csFolder) == folders.end())
                folders.push_back(std::move(csFolder));
        }
    }
    return folders;
}

// The packs of one object folder, each named by its path without ".idx", with its pack's size.
void listPacks(const std::string& csObjectsDir, std::vector<std::pair<std::uint64_t, std::string>>& packs)
{
    const std::string csPackDir = csObjectsDir + "/pack/";
    DIR* const pDir = opendir(csPackDir.c_str());
    if (pDir == nullptr)
        return;
    while (const dirent* pEntry = readdir(pDir)) {
        const std::string_view name(pEntry->d_name);
        if (name.size() <= 9 || name.substr(0, 5) != "pack-" || name.substr(name.size() - 4) != ".idx")
            continue;
        std::string csPath = csPackDir;
        csPath += name.substr(0, name.size() - 4);
        struct stat st {};
        const std::uint64_t nSize
            = ::stat((csPath + ".pack").c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        packs.emplace_back(nSize, std::move(csPath));
    }
    closedir(pDir);
}

} // namespace

struct PackStore::Pack
{
    FileHandle file;
    std::uint64_t nDataEnd = 0; // where the objects end and the pack's checksum starts
    const unsigned char* pIndex = nullptr; // the whole index, mapped
    std::size_t nIndexSize = 0;
    std::uint32_t nObjects = 0;
    std::size_t nLargeOffsets = 0;
    std::vector<std::uint64_t> sortedOffsets; // where each object starts, so where the one before it ends

    Pack() = default;
    Pack(const Pack&) = delete;
    Pack& operator=(const Pack&) = delete;
    ~Pack()
    {
        if (pIndex != nullptr)
            munmap(const_cast<unsigned char*>(pIndex), nIndexSize);
    }

    [[nodiscard]] const unsigned char* Names() const { return pIndex + INDEX_HEADER + FANOUT; }
    [[nodiscard]] const unsigned char* SmallOffsets() const { return Names() + std::size_t { nObjects } * (HASH + 4); }
    [[nodiscard]] const unsigned char* LargeOffsets() const { return SmallOffsets() + std::size_t { nObjects } * 4; }

    [[nodiscard]] std::optional<std::uint64_t> OffsetOf(std::uint32_t n) const
    {
        const std::uint32_t nSmall = bigEndian32(SmallOffsets() + std::size_t { n } * 4);
        if ((nSmall & 0x80000000U) == 0)
            return nSmall;
        const std::size_t nLarge = nSmall & 0x7fffffffU;
        if (nLarge >= nLargeOffsets)
            return std::nullopt;
        return bigEndian64(LargeOffsets() + nLarge * 8);
    }

    [[nodiscard]] bool Open(const std::string& csIndexPath, const std::string& csPackPath);
};

bool PackStore::Pack::Open(const std::string& csIndexPath, const std::string& csPackPath)
{
    auto index = openRegular(csIndexPath);
    auto pack = openRegular(csPackPath);
    if (!index || !pack)
        return false;
    const std::uint64_t nIndexBytes = index->second;
    const std::uint64_t nPackBytes = pack->second;
    if (nIndexBytes < INDEX_HEADER + FANOUT + 2 * HASH || nPackBytes < PACK_HEADER + HASH)
        return false;
    void* const pMapped = mmap(nullptr, nIndexBytes, PROT_READ, MAP_PRIVATE, index->first.Get(), 0);
    if (pMapped == MAP_FAILED)
        return false;
    pIndex = static_cast<const unsigned char*>(pMapped);
    nIndexSize = nIndexBytes;

    static constexpr unsigned char INDEX_V2[] = { 0xff, 't', 'O', 'c', 0, 0, 0, 2 };
    if (std::memcmp(pIndex, INDEX_V2, sizeof INDEX_V2) != 0)
        return false;
    nObjects = bigEndian32(pIndex + INDEX_HEADER + FANOUT - 4);
    const std::uint64_t nFixed = INDEX_HEADER + FANOUT + std::uint64_t { nObjects } * (HASH + 8) + 2 * HASH;
    if (nIndexBytes < nFixed || (nIndexBytes - nFixed) % 8 != 0 || (nIndexBytes - nFixed) / 8 > nObjects)
        return false;
    nLargeOffsets = static_cast<std::size_t>((nIndexBytes - nFixed) / 8);
    for (std::size_t n = 1; n < 256; ++n) {
        if (bigEndian32(pIndex + INDEX_HEADER + 4 * n) < bigEndian32(pIndex + INDEX_HEADER + 4 * (n - 1)))
            return false;
    }

    // The pack must be the one the index describes: same count, same checksum.
    unsigned char header[PACK_HEADER];
    unsigned char checksum[HASH];
    if (!readAt(pack->first.Get(), header, sizeof header, 0)
        || !readAt(pack->first.Get(), checksum, sizeof checksum, nPackBytes - HASH))
        return false;
    const std::uint32_t nVersion = bigEndian32(header + 4);
    if (std::memcmp(header, "PACK", 4) != 0 || (nVersion != 2 && nVersion != 3) || bigEndian32(header + 8) != nObjects
        || std::memcmp(checksum, pIndex + nIndexBytes - 2 * HASH, HASH) != 0)
        return false;
    file = std::move(pack->first);
    nDataEnd = nPackBytes - HASH;

    sortedOffsets.reserve(nObjects);
    for (std::uint32_t n = 0; n < nObjects; ++n) {
        const std::optional<std::uint64_t> nOffset = OffsetOf(n);
        if (!nOffset || *nOffset < PACK_HEADER || *nOffset >= nDataEnd)
            return false;
        sortedOffsets.push_back(*nOffset);
    }
    std::sort(sortedOffsets.begin(), sortedOffsets.end());
    return std::adjacent_find(sortedOffsets.begin(), sortedOffsets.end()) == sortedOffsets.end();
}

PackStore::PackStore(const std::string& csObjectsDir)
{
    std::vector<std::pair<std::uint64_t, std::string>> packs;
    for (const std::string& csFolder : objectFolders(csObjectsDir))
        listPacks(csFolder, packs);
    // The largest first: they hold most objects, so a lookup ends there soonest.
    std::sort(packs.begin(), packs.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    for (const auto& [nSize, csPath] : packs) {
        if (m_packs.size() == MAX_PACKS)
            break;
        auto pack = std::make_unique<Pack>();
        if (pack->Open(csPath + ".idx", csPath + ".pack"))
            m_packs.push_back(std::move(pack));
    }
}

PackStore::~PackStore() = default;

std::optional<PackStore::Entry> PackStore::Find(const git_oid& id) const
{
    for (const std::unique_ptr<Pack>& pPack : m_packs) {
        const unsigned char* const pFanout = pPack->pIndex + INDEX_HEADER;
        const std::uint32_t nLow = id.id[0] == 0 ? 0 : bigEndian32(pFanout + 4 * (id.id[0] - 1U));
        const std::uint32_t nHigh = bigEndian32(pFanout + 4 * std::size_t { id.id[0] });
        std::uint32_t nFirst = nLow;
        std::uint32_t nLast = std::min(nHigh, pPack->nObjects);
        while (nFirst < nLast) {
            const std::uint32_t nMiddle = nFirst + (nLast - nFirst) / 2;
            const int nOrder = std::memcmp(pPack->Names() + std::size_t { nMiddle } * HASH, id.id, HASH);
            if (nOrder == 0) {
                const std::optional<std::uint64_t> nOffset = pPack->OffsetOf(nMiddle);
                return nOffset ? At(*pPack, *nOffset) : std::nullopt;
            }
            if (nOrder < 0)
                nFirst = nMiddle + 1;
            else
                nLast = nMiddle;
        }
    }
    return std::nullopt;
}

std::optional<PackStore::Entry> PackStore::At(const Pack& pack, std::uint64_t nOffset) const
{
    const auto it = std::lower_bound(pack.sortedOffsets.begin(), pack.sortedOffsets.end(), nOffset);
    if (it == pack.sortedOffsets.end() || *it != nOffset)
        return std::nullopt;
    const std::uint64_t nEnd = it + 1 == pack.sortedOffsets.end() ? pack.nDataEnd : *(it + 1);
    return Entry { &pack, nOffset, nEnd };
}

bool PackStore::ReadBytes(const Entry& entry, std::vector<unsigned char>& bytes) const
{
    const auto nBytes = static_cast<std::size_t>(entry.nEnd - entry.nOffset);
    bytes.resize(nBytes);
    return readAt(entry.pPack->file.Get(), bytes.data(), nBytes, entry.nOffset);
}
