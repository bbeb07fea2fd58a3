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

// FNV-1a over the folded bytes.
std::uint64_t NameHash(std::string_view name) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : name) {
        h ^= FoldAscii(c);
        h *= 1099511628211ull;
    }
    return h;
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
    const std::ptrdiff_t count = Count();
    const std::ptrdiff_t start = (FPrevIndex >= 0 && FPrevIndex < count) ? FPrevIndex : 0;
    for (std::ptrdiff_t i = start; i < count; ++i) {
        if (SameIniName(FItems[static_cast<std::size_t>(i)].Name, s)) return FPrevIndex = i;
    }
    for (std::ptrdiff_t i = 0; i < start; ++i) {
        if (SameIniName(FItems[static_cast<std::size_t>(i)].Name, s)) return FPrevIndex = i;
    }
    return -1;
}

void TSectionList::Reserve(std::size_t count) {
    FItems.reserve(count);
}

std::ptrdiff_t TSectionList::Add(std::string name) {
    FItems.push_back(Item{std::move(name), TEntryList()});
    return Count() - 1;
}

bool TSectionList::EraseDuplicates(const TEraseSectionCallback& callBackProc) {
    if (FItems.size() < 2) return false;
    // Positions ordered by name, and by position within one name. Sorting by a hash of the
    // folded name keeps the sort to integers; a run of equal hashes is sorted by the names
    // themselves only when it mixes different names.
    struct Key {
        std::uint64_t hash;
        std::size_t pos;
    };
    std::vector<Key> keys(FItems.size());
    for (std::size_t i = 0; i < FItems.size(); ++i) keys[i] = Key{NameHash(FItems[i].Name), i};
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.pos < b.pos;
    });
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
    return true;
}

void TSectionList::Clear() {
    FItems.clear();
    FPrevIndex = 0;
}

}  // namespace vela
