#pragma once

#include <cstdint>

namespace vela {

// One bar as an exchange hands it out: opening instant in UTC milliseconds, prices and
// volume, and how many trades it holds so far (a later state of the same bar never holds
// fewer).
struct Kline {
    std::int64_t OpenMs = 0;
    double Open = 0;
    double High = 0;
    double Low = 0;
    double Close = 0;
    double Volume = 0;
    std::int64_t Trades = 0;
    bool Closed = false;  // the exchange said the bar is final
};

}  // namespace vela
