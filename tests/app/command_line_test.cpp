#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vela::app {
namespace {

TEST(CommandLine, SnapshotOptions) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(
        {"--feed", "csv:/tmp/x,replay=100", "--snapshot", "out", "--size", "1200x700", "--symbol",
         "IBM", "--interval", "1 day", "--bars", "250", "--period", "0", "--hl"},
        cl, error))
        << error;
    EXPECT_EQ(cl.Feeds, std::vector<std::string>{"csv:/tmp/x,replay=100"});
    EXPECT_EQ(cl.SnapshotDir, "out");
    EXPECT_EQ(cl.Width, 1200);
    EXPECT_EQ(cl.Height, 700);
    EXPECT_EQ(cl.Symbol, "IBM");
    EXPECT_EQ(cl.IntervalIndex, 9);
    EXPECT_EQ(cl.Bars, 250);
    EXPECT_EQ(cl.Period, 0);
    EXPECT_TRUE(cl.HighLow);
}

TEST(CommandLine, FeedsInOrderAndAStreamingSnapshot) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(
        {"--feed", "binance,tz=UTC", "--feed", "sim:3", "--snapshot", "o", "--stream", "20"}, cl,
        error))
        << error;
    EXPECT_EQ(cl.Feeds, (std::vector<std::string>{"binance,tz=UTC", "sim:3"}));
    EXPECT_EQ(cl.StreamSeconds, 20);
    ASSERT_TRUE(ParseCommandLine({"--view", "100@20"}, cl, error)) << error;
    EXPECT_EQ(cl.ViewBars, 100);
    EXPECT_EQ(cl.ViewBack, 20);
}

TEST(CommandLine, ChartExtras) {
    struct Case {
        std::vector<std::string> args;
        ChartExtras expected;
    } cases[] = {
        {{}, ChartExtras{}},
        {{"--style", "candles"}, ChartExtras{BarStyle::Candles, false, {}, 0, false}},
        {{"--style", "ohlc", "--volume"}, ChartExtras{BarStyle::Ohlc, true, {}, 0, false}},
        {{"--style", "ohlc", "--style", "line"}, ChartExtras{}},
        {{"--overlay", "sma:20,ema:50,rsi:14"},
         ChartExtras{BarStyle::Line, false, {{0, 20}, {1, 50}}, 14, false}},
        {{"--overlay", "rsi:3,ema:7,ema:7,sma:1"},
         ChartExtras{BarStyle::Line, false, {{1, 7}, {1, 7}, {0, 1}}, 3, false}},
        // The last --overlay wins as a whole.
        {{"--overlay", "rsi:9", "--overlay", "sma:5"},
         ChartExtras{BarStyle::Line, false, {{0, 5}}, 0, false}},
    };
    for (const auto& c : cases) {
        CommandLine cl;
        std::string error;
        ASSERT_TRUE(ParseCommandLine(c.args, cl, error)) << error;
        EXPECT_EQ(cl.Extras, c.expected) << (c.args.empty() ? "" : c.args.back());
    }
}

TEST(CommandLine, Defaults) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({}, cl, error));
    EXPECT_TRUE(cl.Feeds.empty());
    EXPECT_FALSE(cl.StreamSeconds);
    EXPECT_FALSE(cl.SnapshotDir);
    EXPECT_EQ(cl.Width, 800);
    EXPECT_EQ(cl.Height, 500);
}

TEST(CommandLine, AlertsAndTheirCommand) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--snapshot", "d", "--alert", "3830, 3845.5", "--alert", "-1",
                                  "--alert-command", "/usr/bin/notify me"},
                                 cl, error))
        << error;
    EXPECT_EQ(cl.AlertLevels, (std::vector<double>{3830, 3845.5, -1}));
    EXPECT_EQ(cl.AlertCommand, "/usr/bin/notify me");
    const std::string usage = UsageText();
    EXPECT_NE(usage.find("--alert LEVELS"), std::string::npos);
    EXPECT_NE(usage.find("--alert-command PROGRAM"), std::string::npos);
}

TEST(CommandLine, ErrorsNameTheProblem) {
    struct Case {
        std::vector<std::string> args;
        const char* fragment;
    } cases[] = {
        {{"--bogus"}, "unknown option"},
        {{"--snapshot"}, "needs a value"},
        {{"--size", "800"}, "--size"},
        {{"--size", "0x500"}, "--size"},
        {{"--interval", "3 min"}, "unknown interval"},
        {{"--bars", "0"}, "--bars"},
        {{"--bars", "12x"}, "--bars"},
        {{"--period", "601"}, "--period"},
        {{"--stream", "0"}, "--stream"},
        {{"--view", "0"}, "--view"},
        {{"--view", "10@"}, "--view"},
        {{"--view", "10@-1"}, "--view"},
        {{"--style", "bars"}, "--style"},
        {{"--overlay", "sma20"}, "KIND:WINDOW"},
        {{"--overlay", "sma:0"}, "KIND:WINDOW"},
        {{"--overlay", "sma:20,"}, "KIND:WINDOW"},
        {{"--overlay", "wma:20"}, "unknown overlay"},
        {{"--overlay", "rsi:14,rsi:7"}, "one rsi"},
        {{"--overlay", "sma:5,sma:10,ema:20,ema:50"}, "three"},
        {{"--alert", "abc"}, "\"abc\" is not a number"},
        {{"--alert", "3830,inf"}, "\"inf\" is not a finite number"},
        {{"--alert", "3830,"}, "no level given"},
        {{"--alert", "nan"}, "\"nan\" is not a finite number"},
        {{"--alert"}, "needs a value"},
        {{"--alert-command", ""}, "needs a program"},
    };
    for (const auto& c : cases) {
        CommandLine cl;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(c.args, cl, error)) << c.fragment;
        EXPECT_NE(error.find(c.fragment), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace vela::app

#include "app/application.h"
#include "text/calendar.h"

namespace vela::app {
namespace {

TEST(FeedSpecs, SimStartsAtAFixedOrLiveInstant) {
    auto at = [](int y, int m, int d, int hh, int mm) {
        return EncodePlatformDateTime({y, m, d, hh, mm, 0, 0});
    };
    EXPECT_EQ(Application::SnapshotFeedSpec("sim"), "sim,start=2024-06-20T15:30:00");
    EXPECT_EQ(Application::SnapshotFeedSpec("sim:5"), "sim:5,start=2024-06-20T15:30:00");
    EXPECT_EQ(Application::SnapshotFeedSpec("sim,start=2020-01-02T10:00:00"),
              "sim,start=2020-01-02T10:00:00");
    EXPECT_EQ(Application::SnapshotFeedSpec("csv:/data"), "csv:/data");
    // Thursday 2026-12-10: in the session the market runs on the clock.
    EXPECT_EQ(Application::InteractiveFeedSpec("sim", at(2026, 12, 10, 11, 0)), "sim");
    // Thursday 00:30 falls back to Wednesday noon; Thursday 20:00 to Thursday noon.
    EXPECT_EQ(Application::InteractiveFeedSpec("sim", at(2026, 12, 10, 0, 30)),
              "sim,start=2026-12-09T12:00:00");
    EXPECT_EQ(Application::InteractiveFeedSpec("sim:3", at(2026, 12, 10, 20, 0)),
              "sim:3,start=2026-12-10T12:00:00");
    // Sunday and Monday morning go back to Friday.
    EXPECT_EQ(Application::InteractiveFeedSpec("sim", at(2026, 12, 13, 15, 0)),
              "sim,start=2026-12-11T12:00:00");
    EXPECT_EQ(Application::InteractiveFeedSpec("sim", at(2026, 12, 14, 8, 0)),
              "sim,start=2026-12-11T12:00:00");
    EXPECT_EQ(Application::InteractiveFeedSpec("csv:x", at(2026, 12, 14, 8, 0)), "csv:x");
}

}  // namespace
}  // namespace vela::app
