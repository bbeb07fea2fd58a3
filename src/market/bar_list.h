#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "market/bar_data.h"

namespace vela {

// An ordered list of bars, oldest first, times in century time. Stored contiguously, and in
// two parts: the times, prices and volumes of every bar, and the record's other fields only
// once some bar has one of them set (no feed of ours does), so a million bars take 48 MB
// instead of 84.
class TLBarList {
  public:
    std::int32_t Count() const { return static_cast<std::int32_t>(prices_.size()); }
    void Add1(const BarData& BD);
    // Empties the list; its storage is kept for the next fill.
    void Clear();
    // Gives storage back that the bars held do not need.
    void ShrinkToFit();
    // Index outside 0..Count()-1 throws std::out_of_range.
    BarData GetItem(std::int32_t Index) const;
    void SetItem(std::int32_t Index, const BarData& Value);
    BarData operator[](std::int32_t Index) const { return GetItem(Index); }

    // Keeps the held bars strictly older than L1's first bar and appends all of L1's bars.
    void Update(const TLBarList& L1);

    // Room for n bars in all, so a known download grows the storage once.
    void Reserve(std::int32_t n);
    // The times, prices and volumes of the bars, oldest first.
    std::span<const BarPrices> Prices() const { return prices_; }
    std::size_t CapacityBytes() const {
        return prices_.capacity() * sizeof(BarPrices) + rest_.capacity() * sizeof(Rest);
    }

  private:
    // The record's fields after the prices, as bytes.
    using Rest = std::array<unsigned char, sizeof(BarData) - sizeof(BarPrices)>;

    bool OutOfOrder(std::size_t i) const;  // pair (i, i+1) is not ascending
    void MakeRoomFor(std::size_t extra);
    // Makes room for the other fields of every bar held (all zero so far).
    void KeepRest();

    std::vector<BarPrices> prices_;
    // Empty while every bar's other fields are zero; else one entry per bar.
    std::vector<Rest> rest_;
    // Adjacent pairs that are not in ascending order (a NaN counts as out of order). While
    // it is 0, Update may search instead of scanning and still find exactly the same index.
    std::size_t unordered_ = 0;
};

}  // namespace vela
