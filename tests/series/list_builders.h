#pragma once

#include <initializer_list>
#include <vector>

#include "series/double_list.h"
#include "series/integer_list.h"

namespace vela::test {

inline TVegaDoubleList MakeDoubleList(std::initializer_list<double> values) {
    TVegaDoubleList list;
    for (double v : values) list.Add(v);
    return list;
}

inline TVegaIntegerList MakeIntegerList(std::initializer_list<std::int32_t> values) {
    TVegaIntegerList list;
    for (std::int32_t v : values) list.Add(v);
    return list;
}

inline std::vector<double> ItemsOf(const TVegaDoubleList& list) {
    std::vector<double> items;
    for (std::int32_t i = 0; i < list.Count(); ++i) items.push_back(list.GetItem(i));
    return items;
}

inline std::vector<std::int32_t> ItemsOf(const TVegaIntegerList& list) {
    std::vector<std::int32_t> items;
    for (std::int32_t i = 0; i < list.Count(); ++i) items.push_back(list.GetItem(i));
    return items;
}

}  // namespace vela::test
