#include "series/double_list.h"

#include <algorithm>
#include <cmath>

#include "platform/pseudo_random.h"
#include "series/angles.h"
#include "series/delete_listed.h"
#include "series/exchange_order.h"
#include "series/integer_list.h"
#include "series/list_error.h"
#include "series/text_to_float.h"
#include "series/word_walk.h"
#include "text/number_text.h"
#include "text/words.h"

namespace vela {

namespace {

// Strict running extremes, as every minimum/maximum member takes them.
void TakeExtremes(double v, double& XMin, double& XMax) {
    if (v < XMin) XMin = v;
    if (v > XMax) XMax = v;
}

}  // namespace

TVegaDoubleList TVegaDoubleList::Create1(const TVegaDoubleList& L) {
    TVegaDoubleList list;
    list.UserV1 = 0;
    list.FList = L.FList;
    list.PP = L.PP;
    return list;
}

TVegaDoubleList TVegaDoubleList::Create10(std::int32_t NRecords, std::int32_t NValue) {
    TVegaDoubleList list;
    list.UserV1 = 0;
    if (NRecords > 0) list.FList.assign(static_cast<std::size_t>(NRecords), NValue);
    return list;
}

double TVegaDoubleList::GetItem(std::int32_t Index) const {
    detail::CheckIndex(Index, FList.size());
    return FList[static_cast<std::size_t>(Index)];
}

void TVegaDoubleList::SetItem(std::int32_t Index, double Value) {
    detail::CheckIndex(Index, FList.size());
    FList[static_cast<std::size_t>(Index)] = Value;
}

std::int32_t TVegaDoubleList::Add(double Value) {
    detail::CheckRoomForOne(FList.size());
    FList.push_back(Value);
    return Count() - 1;
}

void TVegaDoubleList::Insert(std::int32_t Index, double Value) {
    detail::CheckIndex(Index, FList.size() + 1);
    detail::CheckRoomForOne(FList.size());
    FList.insert(FList.begin() + Index, Value);
}

void TVegaDoubleList::AddAsStack(double d, std::int32_t StackSize) {
    Insert(0, d);
    if (Count() > StackSize) Delete(Count() - 1);
}

void TVegaDoubleList::Clear() {
    FList.clear();
}

void TVegaDoubleList::Delete(std::int32_t Index) {
    detail::CheckIndex(Index, FList.size());
    FList.erase(FList.begin() + Index);
}

void TVegaDoubleList::DeleteL(const TVegaIntegerList& LIndex) {
    detail::DeleteListed(FList, LIndex);
}

void TVegaDoubleList::Fill(double V) {
    std::fill(FList.begin(), FList.end(), V);
}

void TVegaDoubleList::AssignA(const TVegaDoubleList& L1000) {
    // Assigning a list to itself keeps its items instead of clearing them away.
    if (&L1000 == this) return;
    Clear();
    FList = L1000.FList;
}

void TVegaDoubleList::Range(std::int8_t Direction) {
    if (Direction != -1 && Direction != 1) return;
    detail::SortLikeExchange(FList.begin(), FList.end(), Direction == -1,
                             [](double v) { return v; });
}

void TVegaDoubleList::ShiftArray(std::int32_t Shift) {
    const std::vector<double> old = FList;
    const auto n = static_cast<std::int64_t>(old.size());
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t from = i + Shift;
        FList[static_cast<std::size_t>(i)] =
            from >= 0 && from < n ? old[static_cast<std::size_t>(from)] : kNullValue;
    }
}

void TVegaDoubleList::Inverse() {
    std::reverse(FList.begin(), FList.end());
}

bool TVegaDoubleList::Only_Null() const {
    return Only_Value(kNullValue);
}

bool TVegaDoubleList::Only_Value(double V) const {
    return std::all_of(FList.begin(), FList.end(), [V](double x) { return x == V; });
}

void TVegaDoubleList::Randomize(double VMin, double VMax) {
    for (double& x : FList) x = VMin + (VMax - VMin) * PseudoRandomUnit();
}

std::int32_t TVegaDoubleList::IndexOf(double II) const {
    const auto it = std::find(FList.begin(), FList.end(), II);
    return it == FList.end() ? -1 : static_cast<std::int32_t>(it - FList.begin());
}

bool TVegaDoubleList::PresentNear(double Value, double Delta) const {
    return std::any_of(FList.begin(), FList.end(),
                       [&](double x) { return std::fabs(Value - x) <= Delta; });
}

bool TVegaDoubleList::PresentNear360(double Value, double Delta) const {
    return std::any_of(FList.begin(), FList.end(),
                       [&](double x) { return std::fabs(Difference_360(Value, x)) <= Delta; });
}

void TVegaDoubleList::GetMinMax(double& XMin, double& XMax) const {
    double lo = kMinSearchStart;
    double hi = kMaxSearchStart;
    for (double v : FList)
        if (v != kNullValue) TakeExtremes(v, lo, hi);
    XMin = lo;
    XMax = hi;
}

void TVegaDoubleList::GetMinMax1(std::int32_t imin, std::int32_t imax, double& XMin,
                                 double& XMax) const {
    XMin = kMinSearchStart;
    XMax = kMaxSearchStart;
    // 64-bit position: imax may be the largest 32-bit value.
    for (std::int64_t i = imin; i <= imax; ++i) {
        const double v = GetItem(static_cast<std::int32_t>(i));
        if (v != kNullValue) TakeExtremes(v, XMin, XMax);
    }
}

void TVegaDoubleList::GetMinMax1Rescaled(double TTMin, double TTMax,
                                         const TVegaDoubleList& TimeList, double& XMin,
                                         double& XMax) const {
    double lo = kMinSearchStart;
    double hi = kMaxSearchStart;
    const std::size_t n = std::min(FList.size(), TimeList.FList.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double v = FList[i];
        const double t = TimeList.FList[i];
        // The time lies between the bounds, ends included, whichever bound is the larger.
        const bool inWindow = (TTMin <= t && t <= TTMax) || (TTMax <= t && t <= TTMin);
        if (v != kNullValue && inWindow) TakeExtremes(v, lo, hi);
    }
    XMin = lo;
    XMax = hi;
}

void TVegaDoubleList::GetMinMaxIndex(std::int32_t& XMinIndex, std::int32_t& XMaxIndex) const {
    std::int32_t minIndex = -1;
    std::int32_t maxIndex = -1;
    double lo = kMinSearchStart;
    double hi = kMaxSearchStart;
    for (std::size_t i = 0; i < FList.size(); ++i) {
        const double v = FList[i];
        if (v < lo) {
            lo = v;
            minIndex = static_cast<std::int32_t>(i);
        }
        if (v > hi) {
            hi = v;
            maxIndex = static_cast<std::int32_t>(i);
        }
    }
    XMinIndex = minIndex;
    XMaxIndex = maxIndex;
}

void TVegaDoubleList::GetMinMaxWithNull(double& XMin, double& XMax, double VNull) const {
    double lo = kMinSearchStart;
    double hi = kMaxSearchStart;
    for (double v : FList)
        if (v != VNull) TakeExtremes(v, lo, hi);
    XMin = lo;
    XMax = hi;
}

void TVegaDoubleList::GetMinMaxWithNullSpan(double& XMin, double& XMax, double VNull,
                                            std::int32_t IndexMin, std::int32_t IndexMax) const {
    XMin = kMinSearchStart;
    XMax = kMaxSearchStart;
    if (FList.empty() || IndexMax < IndexMin) return;
    const std::int32_t last = Count() - 1;
    const std::int32_t from = std::clamp(IndexMin, 0, last);
    const std::int32_t to = std::clamp(IndexMax, 0, last);
    if (to < from) return;
    for (std::int32_t i = from; i <= to; ++i) {
        const double v = FList[static_cast<std::size_t>(i)];
        if (v != VNull) TakeExtremes(v, XMin, XMax);
    }
}

std::string TVegaDoubleList::ProfStr() const {
    std::string text;
    for (double v : FList) {
        text += RealToText(0, v);
        text += ' ';
    }
    return text;
}

std::int32_t TVegaDoubleList::FromProfStr(std::string_view s) {
    Clear();
    detail::ForEachWord(s, MakeCharSet(" ;"), [&](std::string_view word) {
        double v = 0;
        if (TryTextToFloat(word, v, 0.0)) Add(v);
    });
    return Count();
}

std::int32_t TVegaDoubleList::FromProfStrMatrix(std::string_view s, std::int32_t ICol) {
    Clear();
    // Word numbers count from 1; a column past the 32-bit range exists in no row.
    const std::int64_t word = static_cast<std::int64_t>(ICol) + 1;
    if (word > INT32_MAX) return Count();
    const CharSet columnDelims = MakeCharSet(",");
    detail::ForEachWord(s, MakeCharSet("()"), [&](std::string_view row) {
        double v = 0;
        if (TryTextToFloat(ExtractWord(static_cast<std::int32_t>(word), row, columnDelims), v, 0.0))
            Add(v);
    });
    return Count();
}

}  // namespace vela
