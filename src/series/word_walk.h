#pragma once

#include <string_view>

#include "text/words.h"

namespace vela::detail {

// Calls f on each word of s in order: the words WordCount and ExtractWord number, found in
// one pass so that long texts are read in linear time.
template <class F>
void ForEachWord(std::string_view s, const CharSet& delims, F f) {
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && InCharSet(delims, s[i])) ++i;
        if (i >= s.size()) break;
        const std::size_t start = i;
        while (i < s.size() && !InCharSet(delims, s[i])) ++i;
        f(s.substr(start, i - start));
    }
}

}  // namespace vela::detail
