#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/graphics_types.h"

namespace vela {

class Canvas;

// An ordered list of 32-bit integers: lists of item positions (deletions, signals, turning
// points) and small integer series. Positions are 0-based; a position outside the list
// raises ListIndexError.
class TVegaIntegerList {
  public:
    // Create: an empty list.
    TVegaIntegerList() = default;
    // Create1: a copy of L's items.
    static TVegaIntegerList Create1(const TVegaIntegerList& L);
    // Create10: NRecords items equal to NValue (none when NRecords <= 0).
    static TVegaIntegerList Create10(std::int32_t NRecords, std::int32_t NValue);

    TVegaIntegerList(const TVegaIntegerList&) = default;
    TVegaIntegerList(TVegaIntegerList&&) = default;
    TVegaIntegerList& operator=(const TVegaIntegerList&) = default;
    TVegaIntegerList& operator=(TVegaIntegerList&&) = default;
    virtual ~TVegaIntegerList() = default;

    std::int32_t Count() const { return static_cast<std::int32_t>(FList.size()); }
    std::int32_t GetCount() const { return Count(); }
    std::int32_t GetItem(std::int32_t Index) const;
    void SetItem(std::int32_t Index, std::int32_t Value);
    std::int32_t operator[](std::int32_t Index) const { return GetItem(Index); }

    // Appends Value; returns its position.
    virtual std::int32_t Add(std::int32_t Value);
    // Inserts Value so that it becomes the item at Index (0..Count).
    void Insert(std::int32_t Index, std::int32_t Value);
    virtual void Clear();
    virtual void Delete(std::int32_t Index);
    void Fill(std::int32_t filler);

    // Replaces the items by the integers and ranges of s1: words at runs of spaces, commas
    // and semicolons; "low..high" or "low..high..step" adds every step-th value from low to
    // high (bounds in either order, at most 1,000,000 values per range). A step of 0 raises
    // ListDivisionByZeroError; the items added before it stay.
    void InitFromString(std::string_view s1);

    // -1 ascending, 1 descending; other values leave the list unchanged.
    void Range(std::int8_t Direction);
    std::int32_t IndexOf(std::int32_t II) const;
    // Whether some item x has |Value - x| <= Delta.
    bool PresentNear(std::int32_t Value, std::int32_t Delta) const;
    std::int32_t PresentsAmount(std::int32_t Value) const;

    // A strip of columns tiling the width of R, one per item, coloured by the gradient from
    // ColorMin at ValueMin to ColorMax at ValueMax (items clamped into that range; white when
    // the range is empty). Local: positions LMin..LMax only, tiling the width between them.
    void DrawColoredBar(Canvas& Canv, const TRect& R, std::int32_t ValueMin, std::int32_t ValueMax,
                        TColor ColorMin, TColor ColorMax) const;
    void DrawColoredBarLocal(Canvas& Canv, const TRect& R, std::int32_t ValueMin,
                             std::int32_t ValueMax, TColor ColorMin, TColor ColorMax,
                             std::int32_t LMin, std::int32_t LMax) const;

    // Statistics (integer_list_statistics.cpp).

    // The sum of all items, wrapping around on overflow as 32-bit arithmetic does.
    std::int32_t Sum() const;
    // Strict extremes of all items, starting from 2147483647 and -2147483648 (which an empty
    // list keeps).
    void GetMinMax(std::int32_t& XMin, std::int32_t& XMax) const;
    // The value other than NullValue that occurs most often, the one met first on a tie, with
    // its count in Occurance; NullValue with a count of 0 when every item is NullValue. An empty
    // list gives NullValue and leaves Occurance as it was.
    std::int32_t TheMostCommonValue(std::int32_t& Occurance, std::int32_t NullValue) const;

  private:
    std::vector<std::int32_t> FList;
};

}  // namespace vela
