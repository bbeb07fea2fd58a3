#include "market/price_alerts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "text/century_times.h"

namespace vela {
namespace {

// A bar at position t (the unit does not matter to the check).
BarPrices B(double t, double high, double low, double close) {
    return BarPrices{t, close, high, low, close, 1};
}

using Bars = std::vector<BarPrices>;

struct Fired {
    std::size_t Update = 0;  // which update of the case fired it
    double Level = 0;
    AlertDirection Direction = AlertDirection::FromBelow;
    double Last = 0;
    friend bool operator==(const Fired&, const Fired&) = default;
};

std::ostream& operator<<(std::ostream& out, const Fired& f) {
    return out << "{update " << f.Update << ", " << f.Level << " " << DirectionText(f.Direction)
               << ", last " << f.Last << "}";
}

struct FiringCase {
    const char* Name;
    Bars History;                 // what the run brought (the baseline)
    std::vector<double> Levels;   // alerts made after the run
    std::vector<Bars> Updates;    // each update's bars, oldest first
    std::vector<Fired> Expected;  // in order
};

constexpr auto Up = AlertDirection::FromBelow;
constexpr auto Down = AlertDirection::FromAbove;

// The newest bar at the run: time 10, high 101, low 99, close 100.
const Bars kHistory = {B(8, 100.5, 99.5, 100), B(9, 100.8, 99.2, 99.6), B(10, 101, 99, 100)};

TEST(PriceAlertsTest, FiresWhenTheMarketTradesThroughTheLevel) {
    const std::vector<FiringCase> cases = {
        {"the last price crosses up",
         kHistory,
         {102},
         {{B(10, 102.5, 99, 102.2)}},
         {{0, 102, Up, 102.2}}},
        {"the last price crosses down",
         kHistory,
         {97},
         {{B(10, 101, 96.5, 96.8)}},
         {{0, 97, Down, 96.8}}},
        {"the forming bar's high rises past it and falls back",
         kHistory,
         {102},
         {{B(10, 102.1, 99, 100.5)}},
         {{0, 102, Up, 100.5}}},
        {"the forming bar's low falls past it and comes back",
         kHistory,
         {98},
         {{B(10, 101, 97.9, 99.5)}},
         {{0, 98, Down, 99.5}}},
        {"touched exactly by the high",
         kHistory,
         {102},
         {{B(10, 102, 99, 101)}},
         {{0, 102, Up, 101}}},
        {"touched exactly by the last price",
         kHistory,
         {97},
         {{B(10, 101, 97, 97)}},
         {{0, 97, Down, 97}}},
        {"a tick short of it", kHistory, {102, 98}, {{B(10, 101.99, 98.01, 101)}}, {}},
        {"a gap through the level",
         kHistory,
         {102},
         {{B(10, 101, 99, 100), B(11, 104, 102.5, 103.5)}},
         {{0, 102, Up, 103.5}}},
        {"a gap down through the level",
         kHistory,
         {98},
         {{B(10, 101, 99, 99.2), B(11, 97.5, 96, 96.5)}},
         {{0, 98, Down, 96.5}}},
        {"several bars at once, one of them reaching it",
         kHistory,
         {102},
         {{B(10, 101, 99, 100), B(11, 100.5, 99.5, 100.2), B(12, 102.5, 100, 101),
           B(13, 101.5, 100.5, 101)}},
         {{0, 102, Up, 101}}},
        {"several bars at once, none reaching it",
         kHistory,
         {102},
         {{B(11, 101.5, 99.5, 100.2), B(12, 101.9, 100, 101)}},
         {}},
        {"a level beyond the price waits",
         kHistory,
         {150, 50},
         {{B(10, 101.5, 98.5, 101)}, {B(11, 103, 97, 98)}},
         {}},
        {"both sides at once, in the order made",
         kHistory,
         {100.5, 99.5},
         {{B(10, 101, 99, 100), B(11, 101, 99, 100.2)}},
         {{0, 100.5, Up, 100.2}, {0, 99.5, Down, 100.2}}},
        {"fires on the update that reaches it, once",
         kHistory,
         {102},
         {{B(10, 101.5, 99, 101)},
          {B(10, 102.3, 99, 102.1)},
          {B(10, 102.3, 99, 101.5)},
          {B(10, 102.3, 99, 102.2)},
          {B(11, 103, 101, 102.5)}},
         {{1, 102, Up, 102.1}}},
        {"a correction of an older bar is no trade",
         kHistory,
         {103},
         {{B(9, 104, 99, 100), B(10, 101, 99, 100)}},
         {}},
        // What the history traded does not fire: only trades after the run count.
        {"a new run's history spans the level",
         {B(8, 110, 95, 105), B(9, 106, 99, 100), B(10, 101, 99, 100)},
         {105},
         {{B(10, 101, 99, 100.5)}, {B(10, 105.2, 99, 105.1)}},
         {{1, 105, Up, 105.1}}},
    };
    for (const FiringCase& c : cases) {
        PriceAlerts alerts;
        alerts.Baseline(c.History);
        for (const double level : c.Levels) ASSERT_TRUE(alerts.Add(level)) << c.Name;
        std::vector<Fired> got;
        for (std::size_t u = 0; u < c.Updates.size(); ++u)
            for (const AlertFiring& f : alerts.Check(c.Updates[u]))
                got.push_back({u, f.Level, f.Direction, f.Last});
        EXPECT_EQ(got, c.Expected) << c.Name;
    }
}

TEST(PriceAlertsTest, WhatWasTradedBeforeTheAlertWasMadeDoesNotFireIt) {
    PriceAlerts alerts;
    alerts.Baseline(kHistory);
    // The forming bar goes to 103 and back to 100.5; then an alert is made under its high.
    EXPECT_TRUE(alerts.Check(Bars{B(10, 103, 99, 100.5)}).empty());
    const auto id = alerts.Add(102);
    ASSERT_TRUE(id);
    // The bar's high rising further is no new trade through 102 from below...
    EXPECT_TRUE(alerts.Check(Bars{B(10, 103.5, 99, 101.5)}).empty());
    EXPECT_FALSE(alerts.Find(*id)->Fired);
    // ...the last price climbing to it is.
    const auto fired = alerts.Check(Bars{B(10, 103.5, 99, 102)});
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].Id, *id);
    EXPECT_TRUE(alerts.Find(*id)->Fired);
    EXPECT_EQ(alerts.Find(*id)->Direction, AlertDirection::FromBelow);
    EXPECT_EQ(alerts.Find(*id)->Last, 102);
}

TEST(PriceAlertsTest, AnAlertAtTheLastPriceWaitsForThePriceToLeaveAndComeBack) {
    PriceAlerts alerts;
    alerts.Baseline(kHistory);
    ASSERT_TRUE(alerts.Add(100));
    EXPECT_TRUE(alerts.Check(Bars{B(10, 101.5, 99, 100.7)}).empty());
    const auto fired = alerts.Check(Bars{B(11, 100.9, 99.9, 100.2)});
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].Direction, AlertDirection::FromAbove);
}

TEST(PriceAlertsTest, ReArmedAndMovedAlertsWaitForTheNextTrade) {
    PriceAlerts alerts;
    alerts.Baseline(kHistory);
    const auto a = alerts.Add(102);
    const auto b = alerts.Add(98);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(alerts.Check(Bars{B(10, 102.5, 99, 102.4)}).size(), 1u);
    // Re-armed above the price it waits for a new crossing...
    ASSERT_TRUE(alerts.Rearm(*a));
    EXPECT_FALSE(alerts.Find(*a)->Fired);
    EXPECT_TRUE(alerts.Check(Bars{B(10, 102.6, 99, 102.5)}).empty());
    const auto down = alerts.Check(Bars{B(11, 102.5, 101.5, 101.8)});
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].Direction, AlertDirection::FromAbove);
    // ...and a moved one is armed at its new level.
    ASSERT_TRUE(alerts.SetLevel(*b, 101.45));
    EXPECT_EQ(alerts.Find(*b)->Level, 101.45);
    const auto moved = alerts.Check(Bars{B(11, 102.5, 101.4, 101.6)});
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].Id, *b);
    EXPECT_TRUE(alerts.Remove(*a));
    EXPECT_FALSE(alerts.Remove(*a));
    EXPECT_EQ(alerts.Items().size(), 1u);
    EXPECT_FALSE(alerts.Rearm(*a));
}

TEST(PriceAlertsTest, ANewRunKeepsTheAlertsArmedAndFiresNothingFromItsHistory) {
    PriceAlerts alerts;
    alerts.Baseline(kHistory);
    ASSERT_TRUE(alerts.Add(105));
    // A run of another symbol, whose history went through 105 and closed above it.
    alerts.Baseline(Bars{B(20, 120, 90, 110)});
    EXPECT_FALSE(alerts.Items()[0].Fired);
    EXPECT_TRUE(alerts.Check(Bars{B(20, 120, 90, 108)}).empty());
    ASSERT_EQ(alerts.Check(Bars{B(21, 106, 104.5, 105)}).size(), 1u);
}

TEST(PriceAlertsTest, WithoutABaselineTheFirstUpdateOnlySetsIt) {
    PriceAlerts alerts;
    ASSERT_TRUE(alerts.Add(102));
    EXPECT_FALSE(alerts.LastPrice());
    EXPECT_TRUE(alerts.Check(Bars{B(10, 103, 99, 101)}).empty());
    EXPECT_EQ(alerts.LastPrice(), 101);
    EXPECT_EQ(alerts.Check(Bars{B(10, 103, 99, 102)}).size(), 1u);
    EXPECT_TRUE(alerts.Check(Bars{}).empty());
}

TEST(PriceAlertsTest, LevelsThatAreNoFiniteNumberAreRefused) {
    PriceAlerts alerts;
    std::string why;
    EXPECT_FALSE(alerts.Add(std::numeric_limits<double>::infinity(), &why));
    EXPECT_EQ(why, "the level is not a finite number");
    EXPECT_FALSE(alerts.Add(std::nan(""), &why));
    EXPECT_FALSE(alerts.Restore(PriceAlert{0, std::nan(""), true}));
    const auto id = alerts.Add(10);
    ASSERT_TRUE(id);
    EXPECT_FALSE(alerts.SetLevel(*id, -std::numeric_limits<double>::infinity(), &why));
    EXPECT_EQ(alerts.Find(*id)->Level, 10);
    EXPECT_EQ(alerts.Items().size(), 1u);

    struct TextCase {
        const char* Text;
        std::optional<double> Level;
        const char* Why;
    };
    const TextCase texts[] = {
        {"3830", 3830, ""},
        {" 3830.25 ", 3830.25, ""},
        {"+0.5", 0.5, ""},
        {"-2", -2, ""},
        {"1e3", 1000, ""},
        {"", std::nullopt, "no level given"},
        {"abc", std::nullopt, "\"abc\" is not a number"},
        {"38,30", std::nullopt, "\"38,30\" is not a number"},
        {"3830x", std::nullopt, "\"3830x\" is not a number"},
        {"inf", std::nullopt, "\"inf\" is not a finite number"},
        {"nan", std::nullopt, "\"nan\" is not a finite number"},
        {"1e999", std::nullopt, "\"1e999\" is not a finite number"},
    };
    for (const TextCase& t : texts) {
        std::string reason;
        EXPECT_EQ(ParseAlertLevel(t.Text, &reason), t.Level) << t.Text;
        EXPECT_EQ(reason, t.Why) << t.Text;
    }
}

TEST(PriceAlertsTest, TheLineSaysWhatWasReachedFromWhereAndWhen) {
    CenturyTimeEncoder times;
    // 20 June 2024, 15:01:05 in platform days.
    const double when = *times.Encode(45463.0 + (15 * 3600 + 65) / 86400.0);
    EXPECT_EQ(AlertLine("BTCUSDT", "1 min", AlertFiring{1, 3830, AlertDirection::FromBelow, 3830.8},
                        when),
              "ALERT BTCUSDT 1 min: 3830 reached from below at 03:01:05 PM (last 3830.8)");
    EXPECT_EQ(
        AlertLine("$INDU", "5 min", AlertFiring{1, 0.25, AlertDirection::FromAbove, 0.2}, when),
        "ALERT $INDU 5 min: 0.25 reached from above at 03:01:05 PM (last 0.2)");
}

TEST(PriceAlertsTest, AnAlertFiresAtTheMarketsTime) {
    CenturyTimeEncoder times;
    const double now = *times.Encode(45463.0 + (15 * 3600 + 65) / 86400.0);
    const double minute = 1.0 / 36525 / 1440;
    // A live market: its newest bar is the present, and the clock gives the second.
    EXPECT_EQ(
        AlertTime(Bars{B(now - 2 * minute, 1, 1, 1), B(now - 5.0 / 86400 / 36525, 1, 1, 1)}, now),
        now);
    // A replay or a simulated past: the newest bar's own time.
    const double past = now - 700 / 36525.0;
    EXPECT_EQ(AlertTime(Bars{B(past - minute, 1, 1, 1), B(past, 1, 1, 1)}, now), past);
    EXPECT_EQ(AlertTime(Bars{}, now), now);
}

}  // namespace
}  // namespace vela
