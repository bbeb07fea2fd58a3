#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "series/double_list.h"
#include "series/integer_list.h"
#include "series/list_error.h"

namespace vela::test {

inline TVegaDoubleList MakeDoubleList(std::initializer_list<double> values) {
    TVegaDoubleList list;
    for (double v : values) list.Add(v);
    return list;
}

inline TVegaDoubleList MakeDoubleList(const std::vector<double>& values) {
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

// Runs f and expects the list index error for `index`, with its message.
inline void ExpectIndexError(const std::function<void()>& f, std::int32_t index) {
    try {
        f();
        ADD_FAILURE() << "no error for index " << index;
    } catch (const ListIndexError& e) {
        EXPECT_EQ(e.Index(), index);
        EXPECT_EQ(std::string(e.what()),
                  "List index out of bounds (" + std::to_string(index) + ")");
    }
}

}  // namespace vela::test
