#include "market/bar_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "market/market_test_support.h"

namespace vela {
namespace {

using testing_support::Bar;

TLBarList ListOf(const std::vector<double>& times, double close = 1) {
    TLBarList l;
    for (const double t : times) l.Add1(Bar(t, close));
    return l;
}

std::vector<double> Times(const TLBarList& l) {
    std::vector<double> t;
    for (const BarPrices& b : l.Prices()) t.push_back(+b.dtTime);
    return t;
}

// The merge as the record defines it: a scan from the start for the first bar >= T.
std::vector<double> ReferenceUpdate(std::vector<double> held, const std::vector<double>& fresh) {
    if (fresh.empty()) return held;
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i] >= fresh[0]) {
            held.resize(i);
            break;
        }
    }
    held.insert(held.end(), fresh.begin(), fresh.end());
    return held;
}

struct UpdateCase {
    const char* name;
    std::vector<double> held;
    std::vector<double> fresh;
    std::vector<double> expected;
};

TEST(TLBarList, UpdateKeepsOlderBarsAndReplacesFromTheFirstNewOne) {
    const std::vector<UpdateCase> cases = {
        {"overlap", {1, 2, 3, 4}, {3, 4, 5}, {1, 2, 3, 4, 5}},
        {"all older", {3, 4, 5}, {1, 2}, {1, 2}},
        {"all newer", {1, 2}, {3, 4}, {1, 2, 3, 4}},
        {"empty held", {}, {7, 8}, {7, 8}},
        {"empty fresh", {1, 2}, {}, {1, 2}},
        {"forming bar", {1, 2, 3}, {3}, {1, 2, 3}},
    };
    for (const UpdateCase& c : cases) {
        TLBarList held = ListOf(c.held, 1);
        const TLBarList fresh = ListOf(c.fresh, 2);
        held.Update(fresh);
        EXPECT_EQ(Times(held), c.expected) << c.name;
        // The replaced bars are the new records, the kept ones the old.
        for (const BarPrices& b : held.Prices()) {
            const bool isNew = !c.fresh.empty() && b.dtTime >= c.fresh[0];
            EXPECT_EQ(+b.dClose, isNew ? 2 : 1) << c.name << " at " << +b.dtTime;
        }
        EXPECT_EQ(fresh.Count(), static_cast<std::int32_t>(c.fresh.size())) << c.name;
    }
}

TEST(TLBarList, UpdateMatchesTheScanOnAnyContent) {
    // Sorted and unsorted lists, repeats, NaN and infinities: the cut point must always be
    // the one the scan from the start finds.
    std::mt19937 rng(7);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> pool = {-inf, -1, 0, -0.0, 1, 1, 2, 3, 5, 8, inf, nan};
    for (int round = 0; round < 3000; ++round) {
        std::vector<double> held(rng() % 12);
        for (double& t : held) t = pool[rng() % pool.size()];
        if (rng() % 2) {
            std::erase_if(held, [](double t) { return std::isnan(t); });
            std::sort(held.begin(), held.end());
        }
        std::vector<double> fresh(rng() % 4);
        for (double& t : fresh) t = pool[rng() % pool.size()];
        TLBarList list = ListOf(held);
        // Items written in place must keep the list's order bookkeeping right.
        if (!held.empty() && rng() % 3 == 0) {
            const auto i = static_cast<std::int32_t>(rng() % held.size());
            held[static_cast<std::size_t>(i)] = pool[rng() % pool.size()];
            list.SetItem(i, Bar(held[static_cast<std::size_t>(i)]));
        }
        const std::vector<double> expected = ReferenceUpdate(held, fresh);
        list.Update(ListOf(fresh));
        // Twice, so the bookkeeping after the first merge is checked too.
        const std::vector<double> expected2 = ReferenceUpdate(expected, fresh);
        const std::vector<double> got = Times(list);
        list.Update(ListOf(fresh));
        const std::vector<double> got2 = Times(list);
        ASSERT_EQ(got.size(), expected.size()) << "round " << round;
        ASSERT_EQ(got2.size(), expected2.size()) << "round " << round;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(got[i] == expected[i] || (std::isnan(got[i]) && std::isnan(expected[i])))
                << "round " << round << " index " << i;
        }
    }
}

TEST(TLBarList, ItemsAreCopiesAndIndexesAreChecked) {
    TLBarList l = ListOf({1, 2});
    BarData copy = l.GetItem(0);
    copy.dClose = 99;
    EXPECT_EQ(+l[0].dClose, 1);
    l.SetItem(1, copy);
    EXPECT_EQ(+l.GetItem(1).dClose, 99);
    EXPECT_THROW(l.GetItem(2), std::out_of_range);
    EXPECT_THROW(l.GetItem(-1), std::out_of_range);
    EXPECT_THROW(l.SetItem(2, copy), std::out_of_range);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    l.Add1(copy);
    EXPECT_EQ(l.Count(), 1);
}

// The record's fields beyond the prices are kept apart and only once some bar sets one:
// every record must still come back to the bit, whichever way it came in (added, set,
// merged from a list with or without such fields), -0.0 and NaN included.
TEST(TLBarList, RecordsComeBackWholeWithOrWithoutTheirOtherFields) {
    auto full = [](double t, double oi) {
        BarData b = Bar(t, t * 2);
        b.dOpen = -0.0;
        b.dOI = oi;
        b.bfFlags = static_cast<std::int32_t>(t);
        b.dTickBid = -0.0;
        b.dTickAsk = std::numeric_limits<double>::quiet_NaN();
        b.dTickTrade = t / 3;
        return b;
    };
    auto same = [](const BarData& a, const BarData& b) {
        return std::memcmp(&a, &b, sizeof(BarData)) == 0;
    };
    std::vector<BarData> expected;
    TLBarList l;
    for (int i = 1; i <= 4; ++i) expected.push_back(Bar(i)), l.Add1(expected.back());
    expected.push_back(full(5, 7)), l.Add1(expected.back());  // first bar with other fields
    expected.push_back(Bar(6)), l.Add1(expected.back());
    expected[1] = full(2, -0.0), l.SetItem(1, expected[1]);
    TLBarList plain;
    plain.Add1(Bar(5.5));
    plain.Add1(Bar(7));
    l.Update(plain);  // cuts 6, keeps 5
    expected.resize(5);
    expected.push_back(Bar(5.5));
    expected.push_back(Bar(7));
    ASSERT_EQ(l.Count(), static_cast<std::int32_t>(expected.size()));
    for (std::int32_t i = 0; i < l.Count(); ++i)
        EXPECT_TRUE(same(l.GetItem(i), expected[static_cast<std::size_t>(i)])) << i;

    TLBarList withRest;
    withRest.Add1(full(6.5, 1));
    TLBarList noRest;
    for (int i = 1; i <= 3; ++i) noRest.Add1(Bar(i));
    noRest.Update(withRest);
    ASSERT_EQ(noRest.Count(), 4);
    EXPECT_TRUE(same(noRest.GetItem(0), Bar(1)));
    EXPECT_TRUE(same(noRest.GetItem(3), full(6.5, 1)));
    noRest.Clear();
    noRest.Add1(Bar(9));
    EXPECT_TRUE(same(noRest.GetItem(0), Bar(9)));
}

TEST(BarData, RecordKeepsItsPackedLayout) {
    BarData b;
    b.dTickBid = 1.5;
    b.bfFlags = 0x01020304;
    unsigned char raw[sizeof(BarData)];
    std::memcpy(raw, &b, sizeof raw);
    double bid = 0;
    std::memcpy(&bid, raw + 60, sizeof bid);
    EXPECT_EQ(bid, 1.5);
    EXPECT_EQ(raw[56], 0x04);  // little-endian flags at offset 56
}

}  // namespace
}  // namespace vela
