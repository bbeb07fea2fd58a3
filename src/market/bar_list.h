#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "market/bar_data.h"
#include "platform/prefaulted_allocator.h"

namespace vela {

// An ordered list of bars, oldest first, times in century time. Stored contiguously.
class TLBarList {
  public:
    std::int32_t Count() const { return static_cast<std::int32_t>(L.size()); }
    void Add1(const BarData& BD);
    // Empties the list; its storage is kept for the next fill.
    void Clear();
    // Gives storage back that the bars held do not need.
    void ShrinkToFit() { L.shrink_to_fit(); }
    // Index outside 0..Count()-1 throws std::out_of_range.
    BarData GetItem(std::int32_t Index) const;
    void SetItem(std::int32_t Index, const BarData& Value);
    BarData operator[](std::int32_t Index) const { return GetItem(Index); }

    // Keeps the held bars strictly older than L1's first bar and appends all of L1's bars.
    void Update(const TLBarList& L1);

    // Room for n bars in all, so a known download grows the storage once.
    void Reserve(std::int32_t n);
    std::span<const BarData> Bars() const { return L; }
    std::size_t CapacityBytes() const { return L.capacity() * sizeof(BarData); }

  private:
    bool OutOfOrder(std::size_t i) const;  // pair (i, i+1) is not ascending
    void MakeRoomFor(std::size_t extra);

    std::vector<BarData, PrefaultedAllocator<BarData>> L;
    // Adjacent pairs that are not in ascending order (a NaN counts as out of order). While
    // it is 0, Update may search instead of scanning and still find exactly the same index.
    std::size_t unordered_ = 0;
};

}  // namespace vela
