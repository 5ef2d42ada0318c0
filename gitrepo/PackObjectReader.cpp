#include "PackObjectReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include <libdeflate.h>

#include "GitDelta.h"

namespace {

constexpr int OBJECT_OFS_DELTA = 6;
constexpr int OBJECT_REF_DELTA = 7;
constexpr std::size_t HASH = 20;
// The longest header: a 64-bit size in 7-bit groups, then a base's id.
constexpr std::size_t LONGEST_HEADER = 10 + HASH;
// git writes chains of at most 4095 deltas; a longer one only a damaged pack holds.
constexpr std::size_t LONGEST_CHAIN = 4096;
// Rebuilt bases kept for the deltas that follow them, per reader; a large one
// is rebuilt each time rather than held.
constexpr std::size_t CACHE_BYTES = 4 * 1024 * 1024;
constexpr std::size_t CACHE_ENTRIES = 1024;
constexpr std::size_t LARGEST_CACHED = 1024 * 1024;
// Buffers past this size are given back rather than kept for the next object.
constexpr std::size_t LARGE_BUFFER = 4 * 1024 * 1024;

bool sameEntry(const PackStore::Entry& a, const PackStore::Entry& b)
{
    return a.pPack == b.pPack && a.nOffset == b.nOffset;
}

} // namespace

struct PackObjectReader::Header
{
    int nType = 0;
    std::uint64_t nSize = 0; // what the zlib stream inflates to: the content, or a delta's instructions
    std::size_t nDataStart = 0; // where the zlib stream starts in the entry
    std::optional<PackStore::Entry> base;
};

PackObjectReader::PackObjectReader(const PackStore& store)
    : m_store(store)
    , m_pDecompressor(libdeflate_alloc_decompressor())
{
}

PackObjectReader::~PackObjectReader()
{
    libdeflate_free_decompressor(m_pDecompressor);
}

bool PackObjectReader::Load(const PackStore::Entry& entry)
{
    if (m_loaded && sameEntry(*m_loaded, entry))
        return true;
    m_loaded.reset();
    if (!m_store.ReadBytes(entry, m_compressed))
        return false;
    m_loaded = entry;
    return true;
}

std::optional<PackObjectReader::Header> PackObjectReader::ReadHeader(const PackStore::Entry& entry)
{
    if (!Load(entry))
        return std::nullopt;
    const unsigned char* const pStart = m_compressed.data();
    const unsigned char* const pEnd = pStart + std::min(m_compressed.size(), LONGEST_HEADER);
    const unsigned char* p = pStart;
    if (p == pEnd)
        return std::nullopt;
    Header header;
    unsigned char c = *p++;
    header.nType = (c >> 4) & 7;
    header.nSize = c & 15U;
    for (unsigned nShift = 4; (c & 0x80U) != 0; nShift += 7) {
        if (p == pEnd || nShift > 57)
            return std::nullopt;
        c = *p++;
        header.nSize |= std::uint64_t { c & 0x7fU } << nShift;
    }
    if (header.nType == OBJECT_OFS_DELTA) {
        if (p == pEnd)
            return std::nullopt;
        c = *p++;
        std::uint64_t nBack = c & 0x7fU;
        while ((c & 0x80U) != 0) {
            if (p == pEnd || nBack >= (std::uint64_t { 1 } << 56))
                return std::nullopt;
            c = *p++;
            nBack = ((nBack + 1) << 7) | (c & 0x7fU);
        }
        if (nBack == 0 || nBack > entry.nOffset || !(header.base = m_store.At(*entry.pPack, entry.nOffset - nBack)))
            return std::nullopt;
    } else if (header.nType == OBJECT_REF_DELTA) {
        if (static_cast<std::size_t>(pEnd - p) < HASH)
            return std::nullopt;
        git_oid baseId {};
        std::memcpy(baseId.id, p, HASH);
        p += HASH;
        if (!(header.base = m_store.Find(baseId)))
            return std::nullopt;
    } else if (header.nType < 1 || header.nType > 4) {
        return std::nullopt;
    }
    // Sizes past what memory can hold are left to libgit2 to refuse.
    if (header.nSize > std::numeric_limits<std::size_t>::max() / 2)
        return std::nullopt;
    header.nDataStart = static_cast<std::size_t>(p - pStart);
    return header;
}

bool PackObjectReader::Inflate(const PackStore::Entry& entry, const Header& header, char* pOut)
{
    if (m_pDecompressor == nullptr || !Load(entry))
        return false;
    return libdeflate_zlib_decompress(m_pDecompressor, m_compressed.data() + header.nDataStart,
               m_compressed.size() - header.nDataStart, pOut, static_cast<std::size_t>(header.nSize), nullptr)
        == LIBDEFLATE_SUCCESS;
}

bool PackObjectReader::InflateDelta(const PackStore::Entry& entry, const Header& header)
{
    if (m_deltaOf && sameEntry(*m_deltaOf, entry))
        return true;
    m_deltaOf.reset();
    m_delta.resize(static_cast<std::size_t>(header.nSize) + 1); // never empty, so never a null buffer
    if (!Inflate(entry, header, m_delta.data()))
        return false;
    m_delta.pop_back();
    m_deltaOf = entry;
    return true;
}

std::optional<std::uint64_t> PackObjectReader::DeltaTarget() const
{
    return DeltaResultSize(std::string_view(m_delta.data(), m_delta.size()));
}

std::optional<PackObjectReader::Located> PackObjectReader::Locate(const git_oid& id)
{
    try {
        const std::optional<PackStore::Entry> entry = m_store.Find(id);
        if (!entry)
            return std::nullopt;
        const std::optional<Header> header = ReadHeader(*entry);
        if (!header)
            return std::nullopt;
        if (!header->base)
            return Located { *entry, header->nSize, header->nSize };
        if (!InflateDelta(*entry, *header))
            return std::nullopt;
        const std::optional<std::uint64_t> nTarget = DeltaTarget();
        if (!nTarget || *nTarget > std::numeric_limits<std::size_t>::max() / 2)
            return std::nullopt;
        const std::optional<std::uint64_t> nStart = ChainStartSize(*header->base);
        if (!nStart)
            return std::nullopt;
        return Located { *entry, *nTarget, *nTarget + *nStart };
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<std::string_view> PackObjectReader::Read(const Located& object)
{
    m_rebuilt = {};
    try {
        if (const Rebuilt* pCached = Cached(object.entry))
            return std::string_view(pCached->content.data(), pCached->content.size());
        const std::optional<Header> header = ReadHeader(object.entry);
        if (!header)
            return std::nullopt;
        if (header->base)
            return RebuildDelta(object.entry);
        char* const pOut = Output(static_cast<std::size_t>(header->nSize));
        if (!Inflate(object.entry, *header, pOut))
            return std::nullopt;
        return std::string_view(pOut, static_cast<std::size_t>(header->nSize));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<std::uint64_t> PackObjectReader::ChainStartSize(const PackStore::Entry& base)
{
    PackStore::Entry at = base;
    for (std::size_t nLinks = 0; nLinks <= LONGEST_CHAIN; ++nLinks) {
        if (const Rebuilt* pCached = Cached(at))
            return pCached->content.size();
        const std::optional<Header> header = ReadHeader(at);
        if (!header)
            return std::nullopt;
        if (!header->base)
            return header->nSize;
        at = *header->base;
    }
    return std::nullopt;
}

std::optional<std::string_view> PackObjectReader::RebuildDelta(const PackStore::Entry& top)
{
    // Down the chain to a base at hand: one rebuilt lately, or one stored whole.
    std::vector<PackStore::Entry> links { top };
    std::vector<char> held;
    std::string_view base;
    for (PackStore::Entry at = top;;) {
        const std::optional<Header> header = ReadHeader(at);
        if (!header || links.size() > LONGEST_CHAIN)
            return std::nullopt;
        if (!header->base) {
            held.resize(static_cast<std::size_t>(header->nSize) + 1);
            if (!Inflate(at, *header, held.data()))
                return std::nullopt;
            held.pop_back();
            links.pop_back();
            const Rebuilt* const pKept = Keep(at, std::move(held));
            base = pKept != nullptr ? std::string_view(pKept->content.data(), pKept->content.size())
                                    : std::string_view(held.data(), held.size());
            break;
        }
        if (const Rebuilt* pCached = Cached(*header->base)) {
            base = std::string_view(pCached->content.data(), pCached->content.size());
            break;
        }
        at = *header->base;
        links.push_back(at);
    }
    // Then up again, each delta applied to the object below it.
    while (!links.empty()) {
        const PackStore::Entry at = links.back();
        links.pop_back();
        const std::optional<Header> header = ReadHeader(at);
        if (!header || !InflateDelta(at, *header))
            return std::nullopt;
        const std::optional<std::uint64_t> nTarget = DeltaTarget();
        if (!nTarget || *nTarget > std::numeric_limits<std::size_t>::max() / 2)
            return std::nullopt;
        std::vector<char> made(static_cast<std::size_t>(*nTarget) + 1);
        if (!ApplyDelta(base, std::string_view(m_delta.data(), m_delta.size()), made.data(), made.size() - 1))
            return std::nullopt;
        made.pop_back();
        if (const Rebuilt* pKept = Keep(at, std::move(made))) {
            base = std::string_view(pKept->content.data(), pKept->content.size());
        } else {
            held = std::move(made);
            base = std::string_view(held.data(), held.size());
        }
    }
    m_rebuilt = std::move(held);
    return base.data() == m_rebuilt.data() ? std::string_view(m_rebuilt.data(), m_rebuilt.size()) : base;
}

const PackObjectReader::Rebuilt* PackObjectReader::Cached(const PackStore::Entry& entry)
{
    const auto it = std::find_if(m_cache.begin(), m_cache.end(),
        [&](const Rebuilt& kept) { return kept.pPack == entry.pPack && kept.nOffset == entry.nOffset; });
    if (it == m_cache.end())
        return nullptr;
    m_cache.splice(m_cache.begin(), m_cache, it);
    return &m_cache.front();
}

const PackObjectReader::Rebuilt* PackObjectReader::Keep(const PackStore::Entry& entry, std::vector<char>&& content)
{
    if (content.size() > LARGEST_CACHED)
        return nullptr;
    while (!m_cache.empty() && (m_nCachedBytes + content.size() > CACHE_BYTES || m_cache.size() >= CACHE_ENTRIES)) {
        m_nCachedBytes -= m_cache.back().content.size();
        m_cache.pop_back();
    }
    m_nCachedBytes += content.size();
    m_cache.push_front(Rebuilt { entry.pPack, entry.nOffset, std::move(content) });
    return &m_cache.front();
}

char* PackObjectReader::Output(std::size_t nSize)
{
    if (nSize > m_nOutputCapacity || !m_pOutput) {
        m_pOutput.reset();
        m_nOutputCapacity = std::max<std::size_t>(nSize, 1);
        m_pOutput = std::make_unique_for_overwrite<char[]>(m_nOutputCapacity);
    }
    return m_pOutput.get();
}

void PackObjectReader::GiveBackLargeBuffers()
{
    m_rebuilt = {};
    if (m_nOutputCapacity > LARGE_BUFFER) {
        m_pOutput.reset();
        m_nOutputCapacity = 0;
    }
    if (m_compressed.capacity() > LARGE_BUFFER) {
        m_compressed = {};
        m_loaded.reset();
    }
    if (m_delta.capacity() > LARGE_BUFFER) {
        m_delta = {};
        m_deltaOf.reset();
    }
}
