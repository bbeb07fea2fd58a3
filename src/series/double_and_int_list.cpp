#include "series/double_and_int_list.h"

#include <algorithm>
#include <cmath>

#include "series/delete_listed.h"
#include "series/exchange_order.h"
#include "series/integer_list.h"
#include "series/list_error.h"

namespace vela {

void TVegaDoubleAndIntList::Add(double _vd, std::int32_t _vi, std::int32_t _vj) {
    detail::CheckRoomForOne(FList.size());
    FList.push_back(TDoubleAndInt{_vd, _vi, _vj});
}

TDoubleAndInt TVegaDoubleAndIntList::GetItem(std::int32_t Index) const {
    detail::CheckIndex(Index, FList.size());
    return FList[static_cast<std::size_t>(Index)];
}

std::int32_t TVegaDoubleAndIntList::IndexOf(std::int32_t _vi) const {
    const auto it = std::find_if(FList.begin(), FList.end(),
                                 [_vi](const TDoubleAndInt& x) { return x.vi == _vi; });
    return it == FList.end() ? -1 : static_cast<std::int32_t>(it - FList.begin());
}

void TVegaDoubleAndIntList::Clear() {
    FList.clear();
}

void TVegaDoubleAndIntList::DeleteL(const TVegaIntegerList& LIndex) {
    detail::DeleteListed(FList, LIndex);
}

void TVegaDoubleAndIntList::Range(std::int8_t Direction, std::uint8_t VField) {
    if (Direction != -1 && Direction != 1) return;
    const bool ascending = Direction == -1;
    if (VField == 0) {
        detail::SortLikeExchange(FList.begin(), FList.end(), ascending,
                                 [](const TDoubleAndInt& x) { return x.vd; });
    } else if (VField == 1) {
        if (ascending)
            std::stable_sort(FList.begin(), FList.end(),
                             [](const auto& a, const auto& b) { return a.vi < b.vi; });
        else
            std::stable_sort(FList.begin(), FList.end(),
                             [](const auto& a, const auto& b) { return a.vi > b.vi; });
    }
}

void TVegaDoubleAndIntList::RangeAbs(std::int8_t Direction) {
    if (Direction != -1 && Direction != 1) return;
    detail::SortLikeExchange(FList.begin(), FList.end(), Direction == -1,
                             [](const TDoubleAndInt& x) { return std::fabs(x.vd); });
}

}  // namespace vela
