#pragma once

#include <cstddef>
#include <cstdint>

namespace vela {

// One price bar as the data component hands it out: a packed 84-byte record whose layout is
// fixed by the component. While it comes from the component, dtTime is a platform date-time;
// once stored in a bar list it is century time.
#pragma pack(push, 1)
struct BarData {
    double dtTime = 0;
    double dOpen = 0;
    double dHigh = 0;
    double dLow = 0;
    double dClose = 0;
    double dVolume = 0;
    double dOI = 0;
    std::int32_t bfFlags = 0;
    double dTickBid = 0;
    double dTickAsk = 0;
    double dTickTrade = 0;
};
#pragma pack(pop)

static_assert(sizeof(BarData) == 84);
static_assert(offsetof(BarData, dtTime) == 0);
static_assert(offsetof(BarData, dOpen) == 8);
static_assert(offsetof(BarData, dHigh) == 16);
static_assert(offsetof(BarData, dLow) == 24);
static_assert(offsetof(BarData, dClose) == 32);
static_assert(offsetof(BarData, dVolume) == 40);
static_assert(offsetof(BarData, dOI) == 48);
static_assert(offsetof(BarData, bfFlags) == 56);
static_assert(offsetof(BarData, dTickBid) == 60);
static_assert(offsetof(BarData, dTickAsk) == 68);
static_assert(offsetof(BarData, dTickTrade) == 76);

// The part of a bar that every feed fills and the chart reads: the first six fields of the
// record, as one list stores them. dtTime is in the record's unit: a platform date-time while
// a feed holds the bar, century time once a bar list does.
struct BarPrices {
    double dtTime = 0;
    double dOpen = 0;
    double dHigh = 0;
    double dLow = 0;
    double dClose = 0;
    double dVolume = 0;
};

static_assert(sizeof(BarPrices) == offsetof(BarData, dOI));

// A record with these prices and every other field zero.
inline BarData BarOf(const BarPrices& p) {
    BarData b;
    b.dtTime = p.dtTime;
    b.dOpen = p.dOpen;
    b.dHigh = p.dHigh;
    b.dLow = p.dLow;
    b.dClose = p.dClose;
    b.dVolume = p.dVolume;
    return b;
}

}  // namespace vela
