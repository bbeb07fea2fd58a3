#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vela {

// Section names and keys are compared without regard to the case of the ASCII letters; every
// other byte (UTF-8 sequences included) must match exactly, so the result never depends on the
// user's locale.
bool SameIniName(std::string_view a, std::string_view b);

// Orders names the same way: byte by byte after folding ASCII letters to lower case.
int CompareIniNames(std::string_view a, std::string_view b);

// The key of an entry line: the text before its first "=". False for a line without "=", which
// no key ever matches.
bool LineKey(std::string_view line, std::string_view& key);

// The lines of one section in file order, kept verbatim. Lookups of a key scan the lines of a
// small section; a larger one builds an index of its keys on first use, so reading every key of
// a big section stays linear.
class TEntryList {
  public:
    TEntryList() = default;
    TEntryList(const TEntryList& other);
    TEntryList& operator=(const TEntryList& other);
    TEntryList(TEntryList&& other) noexcept;
    TEntryList& operator=(TEntryList&& other) noexcept;
    ~TEntryList();

    std::size_t Count() const { return FLines.size(); }
    bool Empty() const { return FLines.empty(); }
    const std::string& operator[](std::size_t index) const { return FLines[index]; }
    const std::vector<std::string>& Lines() const { return FLines; }

    // The first line whose key equals key (letter case ignored), or -1.
    std::ptrdiff_t IndexOfKey(std::string_view key) const;

    void Add(std::string line);
    // Replaces the line at index (which must exist).
    void Put(std::size_t index, std::string line);
    void Clear();

  private:
    struct KeyIndex;

    std::vector<std::string> FLines;
    mutable std::unique_ptr<KeyIndex> FKeyIndex;  // built on demand, dropped when stale
};

// The callback that decides between two sections of the same name found while loading: true
// keeps the first (the one standing earlier) and drops the second, false the other way round.
using TEraseSectionCallback =
    std::function<bool(const std::string& name, const TEntryList& first, const TEntryList& second)>;

// The sections of an INI file in list order, each a name with its entry list. Names are unique
// (letter case ignored) once duplicates have been erased. An index of the names (letter case
// ignored too) finds a section, or its absence, in constant time however many there are.
class TSectionList {
  public:
    std::ptrdiff_t Count() const { return static_cast<std::ptrdiff_t>(FItems.size()); }
    const std::string& Strings(std::ptrdiff_t index) const { return FItems.at(Slot(index)).Name; }

    // The section named s (letter case ignored), or -1; remembered as the previous hit.
    std::ptrdiff_t IndexOf(std::string_view s);
    // The same without remembering it. While a load holds duplicates it has not erased yet,
    // the search starts at `start` and wraps around, and finds the first match from there.
    std::ptrdiff_t Find(std::string_view s, std::ptrdiff_t start) const;

    const TEntryList& GetSectionItems(std::ptrdiff_t index) const {
        return FItems.at(Slot(index)).Lines;
    }
    TEntryList& GetSectionItems(std::ptrdiff_t index) { return FItems.at(Slot(index)).Lines; }

    // Room for count sections in all, so that loading a big file does not move them again
    // and again.
    void Reserve(std::size_t count);

    // Appends a section with an empty entry list, even when the name is present already;
    // returns its index.
    std::ptrdiff_t Add(std::string name);

    // Drops every section whose name (letter case ignored) occurs earlier in the list, or as
    // the callback decides; the lines of a dropped section are discarded. True when any was
    // dropped.
    bool EraseDuplicates(const TEraseSectionCallback& callBackProc);

    void Clear();

  private:
    struct Item {
        std::string Name;
        TEntryList Lines;
    };

    static std::size_t Slot(std::ptrdiff_t index) {
        return index < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(index);
    }

    // Open addressing: a slot holds the position of a section in FItems and a tag from its
    // name's hash (which spares most name comparisons); the top bits of the hash pick the
    // slot a name's search starts at.
    struct NameSlot {
        std::uint32_t Tag = 0;
        std::uint32_t Pos = kEmptySlot;
    };
    static constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;

    // Puts the section at pos, whose name has the hash given, into the index unless one of its
    // name is there already (or pos lies beyond the index's reach); false then. The index must
    // have room.
    bool Index(std::uint64_t hash, std::size_t pos) const;
    // A section's position with the hash of its name.
    struct Key {
        std::uint64_t hash;
        std::size_t pos;
    };
    // All positions with the hashes of their names, ordered by hash and then by position.
    std::vector<Key> SortedKeys() const;
    void BuildIndex() const;

    std::vector<Item> FItems;
    std::ptrdiff_t FPrevIndex = 0;
    // The index, built when first needed after sections were added in bulk (a load).
    mutable std::vector<NameSlot> FSlots;
    mutable int FSlotShift = 64;
    mutable std::size_t FIndexed = 0;
    // Sections left out of the index: those whose name an earlier one has, while a load has
    // not erased them yet. Lookups walk the list while there are any.
    mutable std::size_t FUnindexed = 0;
    mutable bool FIndexStale = true;
};

}  // namespace vela
