#include "series/integer_list.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "series/list_error.h"
#include "series/word_walk.h"
#include "text/words.h"

namespace vela {

namespace {

// The reading of a bound that is not an integer; a bound written as this number is refused
// as well.
constexpr std::int32_t kNotAnInteger = -1000000000;

// A single range never adds more than this many values, so a text like
// "-2147483647..2147483647" cannot exhaust memory.
constexpr std::int64_t kMaxValuesPerRange = 1000000;

bool ReadBound(std::string_view text, std::int32_t& value) {
    return ParseInt32(text, value) && value != kNotAnInteger;
}

}  // namespace

TVegaIntegerList TVegaIntegerList::Create1(const TVegaIntegerList& L) {
    TVegaIntegerList list;
    list.FList = L.FList;
    return list;
}

TVegaIntegerList TVegaIntegerList::Create10(std::int32_t NRecords, std::int32_t NValue) {
    TVegaIntegerList list;
    if (NRecords > 0) list.FList.assign(static_cast<std::size_t>(NRecords), NValue);
    return list;
}

std::int32_t TVegaIntegerList::GetItem(std::int32_t Index) const {
    detail::CheckIndex(Index, FList.size());
    return FList[static_cast<std::size_t>(Index)];
}

void TVegaIntegerList::SetItem(std::int32_t Index, std::int32_t Value) {
    detail::CheckIndex(Index, FList.size());
    FList[static_cast<std::size_t>(Index)] = Value;
}

std::int32_t TVegaIntegerList::Add(std::int32_t Value) {
    detail::CheckRoomForOne(FList.size());
    FList.push_back(Value);
    return Count() - 1;
}

void TVegaIntegerList::Insert(std::int32_t Index, std::int32_t Value) {
    detail::CheckIndex(Index, FList.size() + 1);
    detail::CheckRoomForOne(FList.size());
    FList.insert(FList.begin() + Index, Value);
}

void TVegaIntegerList::Clear() {
    FList.clear();
}

void TVegaIntegerList::Delete(std::int32_t Index) {
    detail::CheckIndex(Index, FList.size());
    FList.erase(FList.begin() + Index);
}

void TVegaIntegerList::Fill(std::int32_t filler) {
    std::fill(FList.begin(), FList.end(), filler);
}

void TVegaIntegerList::InitFromString(std::string_view s1) {
    Clear();
    const CharSet wordDelims = MakeCharSet(" ,;");
    const CharSet rangeDelims = MakeCharSet(".");
    detail::ForEachWord(s1, wordDelims, [&](std::string_view word) {
        if (word.find("..") == std::string_view::npos) {
            std::int32_t v = 0;
            if (ReadBound(word, v)) Add(v);
            return;
        }
        std::int32_t low = 0;
        std::int32_t high = 0;
        if (!ReadBound(ExtractWord(1, word, rangeDelims), low) ||
            !ReadBound(ExtractWord(2, word, rangeDelims), high))
            return;
        if (low > high) std::swap(low, high);
        std::int32_t step = 1;
        if (!ParseInt32(ExtractWord(3, word, rangeDelims), step)) step = 1;
        // The first value of the range is tested against the step before anything is added.
        if (step == 0) throw ListDivisionByZeroError();
        // 64 bits: the distance between the bounds and the absolute step may exceed 32 bits.
        const std::int64_t stride = std::abs(static_cast<std::int64_t>(step));
        std::int64_t added = 0;
        for (std::int64_t v = low; v <= high && added < kMaxValuesPerRange; v += stride, ++added)
            Add(static_cast<std::int32_t>(v));
    });
}

void TVegaIntegerList::Range(std::int8_t Direction) {
    // Equal integers cannot be told apart, so any sort gives the exchange sort's order.
    if (Direction == -1)
        std::sort(FList.begin(), FList.end());
    else if (Direction == 1)
        std::sort(FList.begin(), FList.end(), std::greater<>());
}

std::int32_t TVegaIntegerList::IndexOf(std::int32_t II) const {
    const auto it = std::find(FList.begin(), FList.end(), II);
    return it == FList.end() ? -1 : static_cast<std::int32_t>(it - FList.begin());
}

bool TVegaIntegerList::PresentNear(std::int32_t Value, std::int32_t Delta) const {
    return std::any_of(FList.begin(), FList.end(), [&](std::int32_t x) {
        return std::abs(static_cast<std::int64_t>(Value) - x) <= Delta;
    });
}

std::int32_t TVegaIntegerList::PresentsAmount(std::int32_t Value) const {
    return static_cast<std::int32_t>(std::count(FList.begin(), FList.end(), Value));
}

}  // namespace vela
