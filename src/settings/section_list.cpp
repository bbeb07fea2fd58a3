#include "settings/section_list.h"

#include <algorithm>
#include <cstdint>

namespace vela {

namespace {

unsigned char FoldAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

std::string FoldedCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(FoldAscii(c));
    return out;
}

// Below this many lines a scan is cheaper than keeping an index.
constexpr std::size_t kIndexThreshold = 16;

// From this many sections on the index of their names no longer fits in a fast cache.
constexpr std::size_t kSortedIndexFrom = std::size_t{1} << 15;

// FNV-1a over the folded bytes, its bits then mixed (the finalizer of MurmurHash3) so that
// the top ones, which pick an index slot, depend on every byte.
std::uint64_t NameHash(std::string_view name) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : name) {
        h ^= FoldAscii(c);
        h *= 1099511628211ull;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h;
}

std::uint32_t TagOfHash(std::uint64_t h) {
    return static_cast<std::uint32_t>(h);
}

}  // namespace

bool SameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

int CompareIniNames(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldAscii(a[i]);
        const unsigned char y = FoldAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool LineKey(std::string_view line, std::string_view& key) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = line.substr(0, eq);
    return true;
}

struct TEntryList::KeyIndex {
    std::unordered_map<std::string, std::size_t> FirstLine;  // folded key -> first line

    void Note(std::string_view line, std::size_t index) {
        std::string_view key;
        if (LineKey(line, key)) FirstLine.emplace(FoldedCopy(key), index);
    }
};

TEntryList::TEntryList(const TEntryList& other) : FLines(other.FLines) {}

TEntryList& TEntryList::operator=(const TEntryList& other) {
    if (this != &other) {
        FLines = other.FLines;
        FKeyIndex.reset();
    }
    return *this;
}

TEntryList::TEntryList(TEntryList&& other) noexcept = default;
TEntryList& TEntryList::operator=(TEntryList&& other) noexcept = default;
TEntryList::~TEntryList() = default;

std::ptrdiff_t TEntryList::IndexOfKey(std::string_view key) const {
    if (FLines.size() < kIndexThreshold) {
        for (std::size_t i = 0; i < FLines.size(); ++i) {
            std::string_view lineKey;
            if (LineKey(FLines[i], lineKey) && SameIniName(lineKey, key))
                return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }
    if (!FKeyIndex) {
        auto index = std::make_unique<KeyIndex>();
        index->FirstLine.reserve(FLines.size());
        for (std::size_t i = 0; i < FLines.size(); ++i) index->Note(FLines[i], i);
        FKeyIndex = std::move(index);
    }
    const auto it = FKeyIndex->FirstLine.find(FoldedCopy(key));
    return it == FKeyIndex->FirstLine.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

void TEntryList::Add(std::string line) {
    FLines.push_back(std::move(line));
    if (FKeyIndex) FKeyIndex->Note(FLines.back(), FLines.size() - 1);
}

void TEntryList::Put(std::size_t index, std::string line) {
    if (FKeyIndex) {
        std::string_view oldKey, newKey;
        const bool hadKey = LineKey(FLines.at(index), oldKey);
        const bool hasKey = LineKey(line, newKey);
        if (hadKey != hasKey || !SameIniName(oldKey, newKey)) FKeyIndex.reset();
    }
    FLines.at(index) = std::move(line);
}

void TEntryList::Clear() {
    FLines.clear();
    FKeyIndex.reset();
}

std::ptrdiff_t TSectionList::IndexOf(std::string_view s) {
    const std::ptrdiff_t found = Find(s, FPrevIndex);
    if (found >= 0) FPrevIndex = found;
    return found;
}

std::ptrdiff_t TSectionList::Find(std::string_view s, std::ptrdiff_t start) const {
    const std::ptrdiff_t count = Count();
    if (count == 0) return -1;
    if (start < 0 || start >= count) start = 0;
    // Runs of lookups of one section find it at once.
    if (SameIniName(FItems[static_cast<std::size_t>(start)].Name, s)) return start;
    if (FIndexStale) BuildIndex();
    if (FUnindexed > 0) {
        for (std::ptrdiff_t i = (start + 1) % count; i != start; i = (i + 1) % count)
            if (SameIniName(FItems[static_cast<std::size_t>(i)].Name, s)) return i;
        return -1;
    }
    const std::uint64_t h = NameHash(s);
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(h >> FSlotShift);; i = (i + 1) & mask) {
        const NameSlot& slot = FSlots[i];
        if (slot.Pos == kEmptySlot) return -1;
        if (slot.Tag == TagOfHash(h) && SameIniName(FItems[slot.Pos].Name, s)) return slot.Pos;
    }
}

bool TSectionList::Index(std::uint64_t hash, std::size_t pos) const {
    if (pos >= kEmptySlot) return false;
    const std::string& name = FItems[pos].Name;
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(hash >> FSlotShift);; i = (i + 1) & mask) {
        NameSlot& slot = FSlots[i];
        if (slot.Pos == kEmptySlot) {
            slot = NameSlot{TagOfHash(hash), static_cast<std::uint32_t>(pos)};
            ++FIndexed;
            return true;
        }
        if (slot.Tag == TagOfHash(hash) && SameIniName(FItems[slot.Pos].Name, name)) return false;
    }
}

std::vector<TSectionList::Key> TSectionList::SortedKeys() const {
    std::vector<Key> keys(FItems.size());
    for (std::size_t i = 0; i < FItems.size(); ++i) keys[i] = Key{NameHash(FItems[i].Name), i};
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.pos < b.pos;
    });
    return keys;
}

void TSectionList::BuildIndex() const {
    // Room for twice as many, so at most half the slots are taken and runs stay short.
    int bits = 4;
    while ((std::size_t{1} << bits) < 2 * FItems.size()) ++bits;
    FSlots.assign(std::size_t{1} << bits, NameSlot{});
    FSlotShift = 64 - bits;
    FIndexed = 0;
    FUnindexed = 0;
    FIndexStale = false;
    // Filled in the order of the hashes, the slots of a big index are taken front to back,
    // much quicker than at random once they no longer fit in a cache; a small index is filled
    // in list order. Either way the first section of a name comes first and is the one indexed.
    if (FItems.size() >= kSortedIndexFrom) {
        for (const Key& key : SortedKeys())
            if (!Index(key.hash, key.pos)) ++FUnindexed;
    } else {
        for (std::size_t pos = 0; pos < FItems.size(); ++pos)
            if (!Index(NameHash(FItems[pos].Name), pos)) ++FUnindexed;
    }
}

void TSectionList::Reserve(std::size_t count) {
    FItems.reserve(count);
    // Many sections are coming: the index is built once they are all there.
    FIndexStale = true;
}

std::ptrdiff_t TSectionList::Add(std::string name) {
    FItems.push_back(Item{std::move(name), TEntryList()});
    if (FIndexStale) return Count() - 1;
    // Doubling the slots when half are taken keeps adding linear.
    if (2 * (FIndexed + 1) > FSlots.size())
        BuildIndex();
    else if (!Index(NameHash(FItems.back().Name), FItems.size() - 1))
        ++FUnindexed;
    return Count() - 1;
}

bool TSectionList::EraseDuplicates(const TEraseSectionCallback& callBackProc) {
    if (FItems.size() < 2) return false;
    // Building the index meets every name: with none left out there are no duplicates.
    if (FIndexStale) BuildIndex();
    if (FUnindexed == 0) return false;
    std::vector<Key> keys = SortedKeys();

    // The positions ordered by name, and by position within one name: by the hash, and a run
    // of equal hashes by the names themselves when it mixes different names.
    for (auto run = keys.begin(); run != keys.end();) {
        auto end = run + 1;
        bool mixed = false;
        while (end != keys.end() && end->hash == run->hash) {
            mixed = mixed || !SameIniName(FItems[end->pos].Name, FItems[run->pos].Name);
            ++end;
        }
        if (mixed) {
            std::stable_sort(run, end, [this](const Key& a, const Key& b) {
                return CompareIniNames(FItems[a.pos].Name, FItems[b.pos].Name) < 0;
            });
        }
        run = end;
    }

    std::vector<bool> dropped(FItems.size(), false);
    bool any = false;
    std::size_t survivor = keys[0].pos;
    for (std::size_t k = 1; k < keys.size(); ++k) {
        const std::size_t candidate = keys[k].pos;
        if (!SameIniName(FItems[candidate].Name, FItems[survivor].Name)) {
            survivor = candidate;
            continue;
        }
        // The survivor always stands earlier: members of a group come in list order.
        any = true;
        if (!callBackProc ||
            callBackProc(FItems[survivor].Name, FItems[survivor].Lines, FItems[candidate].Lines)) {
            dropped[candidate] = true;
        } else {
            dropped[survivor] = true;
            survivor = candidate;
        }
    }
    if (!any) return false;

    std::size_t kept = 0;
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (dropped[i]) continue;
        if (kept != i) FItems[kept] = std::move(FItems[i]);
        ++kept;
    }
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(kept), FItems.end());
    BuildIndex();
    return true;
}

void TSectionList::Clear() {
    FItems.clear();
    FPrevIndex = 0;
    FSlots.clear();
    FIndexed = 0;
    FUnindexed = 0;
    FIndexStale = true;
}

}  // namespace vela
