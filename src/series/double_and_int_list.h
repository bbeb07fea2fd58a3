#pragma once

#include <cstdint>
#include <vector>

namespace vela {

class TVegaIntegerList;

// A value with two tags: as a rule vi is the position the value came from.
struct TDoubleAndInt {
    double vd = 0;
    std::int32_t vi = 0;
    std::int32_t vj = 0;
};

// A list of values with tags, used to sort values while remembering where they came from.
// Positions are 0-based; a position outside the list raises ListIndexError.
class TVegaDoubleAndIntList {
  public:
    TVegaDoubleAndIntList() = default;
    TVegaDoubleAndIntList(const TVegaDoubleAndIntList&) = default;
    TVegaDoubleAndIntList(TVegaDoubleAndIntList&&) = default;
    TVegaDoubleAndIntList& operator=(const TVegaDoubleAndIntList&) = default;
    TVegaDoubleAndIntList& operator=(TVegaDoubleAndIntList&&) = default;
    virtual ~TVegaDoubleAndIntList() = default;

    void Add(double _vd, std::int32_t _vi, std::int32_t _vj);
    std::int32_t Count() const { return static_cast<std::int32_t>(FList.size()); }
    // The item at Index, as a copy: later edits of the list cannot leave it dangling.
    TDoubleAndInt GetItem(std::int32_t Index) const;
    TDoubleAndInt operator[](std::int32_t Index) const { return GetItem(Index); }
    // Position of the first item whose vi equals _vi, or -1.
    std::int32_t IndexOf(std::int32_t _vi) const;
    void Clear();
    // As TVegaDoubleList::DeleteL.
    void DeleteL(const TVegaIntegerList& LIndex);
    // Stable sort by vd (VField 0) or vi (VField 1); Direction -1 ascending, 1 descending;
    // other values of either argument leave the list unchanged.
    void Range(std::int8_t Direction, std::uint8_t VField);
    // Stable sort by |vd|, as Range.
    void RangeAbs(std::int8_t Direction);

  private:
    std::vector<TDoubleAndInt> FList;
};

}  // namespace vela
