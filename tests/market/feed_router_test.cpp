#include "market/feed_router.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "market/market_test_support.h"

namespace vela {
namespace {

using testing_support::ScriptedFeed;

// A scripted feed that remembers the symbols it was asked for and can report.
class NamedFeed : public ScriptedFeed {
  public:
    std::vector<std::string> Symbols;
    std::int32_t RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                const std::string& interval, std::int32_t btType,
                                std::int32_t numBars, std::int32_t start,
                                std::int32_t end) override {
        Symbols.push_back(symbol);
        Say("asked for " + symbol);
        return ScriptedFeed::RequestHistory(sink, symbol, interval, btType, numBars, start, end);
    }
    void Say(const std::string& line) { Report(line); }
};

struct Sink : FeedEventSink {
    std::vector<std::int32_t> Events;
    void BarsChanged(std::int32_t handle) override { Events.push_back(handle); }
};

class FeedRouterTest : public ::testing::Test {
  protected:
    std::map<std::string, std::shared_ptr<NamedFeed>> made;
    std::vector<std::string> madeSpecs;
    std::vector<std::string> reports;
    FeedRouter router;

    FeedRouter::Maker Maker() {
        return [this](std::string_view spec) -> FeedChoice {
            madeSpecs.emplace_back(spec);
            const std::string kind(spec.substr(0, spec.find_first_of(":,")));
            if (kind == "csv" && spec == "csv") return FeedChoice{nullptr, "name a folder"};
            auto feed = std::make_shared<NamedFeed>();
            made[kind] = feed;
            return FeedChoice{feed, {}};
        };
    }
    void Start(const std::vector<std::string>& specs) {
        std::string error;
        ASSERT_TRUE(router.Start(specs, Maker(), error)) << error;
        router.SetReportStream(nullptr);
        router.SetReportListener([this](const std::string& line) { reports.push_back(line); });
    }
};

TEST_F(FeedRouterTest, ASymbolNamingAFeedGoesThereAndABareOneToTheFirst) {
    Start({"sim:3", "csv:/bars"});
    Sink sink;
    struct Case {
        const char* symbol;
        const char* feed;
        const char* asked;
    };
    const Case cases[] = {
        {"IBM", "sim", "IBM"},
        {"CSV:IFL8", "csv", "IFL8"},
        {"csv:ifl8", "csv", "ifl8"},
        {"Sim:$INDU", "sim", "$INDU"},
        // Not a feed's name: the colon belongs to the symbol.
        {"NYSE:IBM", "sim", "NYSE:IBM"},
        {"", "sim", ""},
        {"BINANCE:btcusdt", "binance", "btcusdt"},
        {"binance:ETHUSDT", "binance", "ETHUSDT"},
    };
    for (const Case& c : cases) {
        router.RequestHistory(sink, c.symbol, "1", 1, 10, -1, -1);
        ASSERT_TRUE(made.count(c.feed)) << c.symbol;
        EXPECT_EQ(made[c.feed]->Symbols.back(), c.asked) << c.symbol;
    }
    // A feed named only by a symbol is made once, from its name.
    EXPECT_EQ(madeSpecs, (std::vector<std::string>{"sim:3", "csv:/bars", "binance"}));
    // The feeds' reports come out of the router, once each.
    EXPECT_EQ(reports.size(), std::size(cases));
    EXPECT_EQ(reports.front(), "asked for IBM");
}

TEST_F(FeedRouterTest, RequestsOfEveryFeedHaveTheirOwnHandlesAndEvents) {
    Start({"sim"});
    Sink a, b;
    const std::int32_t h1 = router.RequestHistory(a, "IBM", "1", 1, 10, -1, -1);
    const std::int32_t h2 = router.RequestHistory(b, "BINANCE:BTCUSDT", "1", 1, 10, -1, -1);
    const std::int32_t h3 = router.RequestHistory(a, "BINANCE:ETHUSDT", "1", 1, 10, -1, -1);
    EXPECT_NE(h1, h2);
    EXPECT_NE(h2, h3);
    // Both inner feeds number their first request 1.
    made["sim"]->Bars = {testing_support::Bar(45000, 10), testing_support::Bar(45001, 11)};
    made["binance"]->Bars = {testing_support::Bar(46000, 20)};
    EXPECT_EQ(router.GetNumBars(h1), 2);
    EXPECT_EQ(router.GetNumBars(h2), 1);
    EXPECT_EQ(+router.GetBar(h1, 0).dClose, 11);
    EXPECT_EQ(+router.GetBar(h3, 0).dClose, 20);
    EXPECT_TRUE(router.IsHistoryReady(h3));
    made["binance"]->Fire(1);
    made["sim"]->Fire(1);
    made["binance"]->Fire(2);
    EXPECT_EQ(a.Events, (std::vector<std::int32_t>{h1, h3}));
    EXPECT_EQ(b.Events, (std::vector<std::int32_t>{h2}));
    // A sink that goes releases its own requests and no other.
    router.DetachSink(a);
    EXPECT_FALSE(router.IsHistoryReady(h1));
    EXPECT_FALSE(router.IsHistoryReady(h3));
    EXPECT_TRUE(router.IsHistoryReady(h2));
    EXPECT_EQ(made["sim"]->Releases[1], 1);
    EXPECT_EQ(made["binance"]->Releases[2], 1);
    router.ReleaseHistory(h2);
    EXPECT_EQ(made["binance"]->Releases[1], 1);
    EXPECT_THROW(router.GetBar(h2, 0), HooksError);
}

TEST_F(FeedRouterTest, AFeedThatCannotBeMadeSaysWhy) {
    Start({"sim"});
    Sink sink;
    EXPECT_THROW(router.RequestHistory(sink, "CSV:IFL8", "1", 1, 10, -1, -1), HooksError);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "no csv feed for CSV:IFL8 (name a folder)");

    FeedRouter twice;
    std::string error;
    EXPECT_FALSE(twice.Start({"sim:1", "sim:2"}, Maker(), error));
    EXPECT_EQ(error, "--feed sim is given twice");
}

}  // namespace
}  // namespace vela
