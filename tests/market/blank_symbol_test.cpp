#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "market/feed_factory.h"
#include "market/market_test_support.h"
#include "platform/scripted_http_transport.h"
#include "platform/scripted_websocket_transport.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

struct Sink : FeedEventSink {
    int Events = 0;
    void BarsChanged(std::int32_t) override { ++Events; }
};

class BlankSymbolTest : public testing_support::VirtualTimeTest {};

// Every feed treats an empty or blank symbol alike: ready at once, no bars, and it says so
// each time, without looking anything up.
TEST_F(BlankSymbolTest, EveryFeedServesNoBarsAndSaysSo) {
    const fs::path dir = fs::temp_directory_path() / ("vela-blank-" + std::to_string(getpid()));
    fs::create_directories(dir);
    ScriptedHttpTransport http(loop, {});
    ScriptedWebSocketTransport ws(loop);
    const FeedServices services{loop, clock, nullptr, &http, &ws};
    struct Case {
        std::string spec;
        std::string said;
    };
    const Case cases[] = {
        {"sim", "sim: no symbol given; no bars"},
        {"csv:" + dir.string(), "csv: no symbol given; no bars"},
        // Loopback addresses, though these transports reach nothing at all.
        {"binance,rest=http://127.0.0.1:9,ws=ws://127.0.0.1:9",
         "binance: no symbol given; no bars"},
    };
    for (const Case& c : cases) {
        const FeedChoice choice = MakeFeed(c.spec, services);
        ASSERT_TRUE(choice.Feed) << choice.Error;
        std::vector<std::string> heard;
        choice.Feed->SetReportListener(
            [&heard](const std::string& line) { heard.push_back(line); });
        Sink sink;
        for (const char* symbol : {"", "  ", "\t", "\r\n"}) {
            const std::int32_t h = choice.Feed->RequestHistory(sink, symbol, "1", 1, 100, -1, -1);
            EXPECT_TRUE(choice.Feed->IsHistoryReady(h)) << c.spec;
            EXPECT_EQ(choice.Feed->GetNumBars(h), 0) << c.spec;
        }
        EXPECT_EQ(heard, std::vector<std::string>(4, c.said)) << c.spec;
        loop.RunFor(3000);
        EXPECT_EQ(sink.Events, 0) << c.spec;
    }
    EXPECT_TRUE(http.Requests.empty());
    EXPECT_TRUE(ws.Peers.empty());
    // The blank requests stay open beside real ones while the feeds walk their requests.
    Sink sink;
    std::vector<std::shared_ptr<MarketFeed>> feeds;
    for (const Case& c : cases) {
        feeds.push_back(MakeFeed(c.spec, services).Feed);
        feeds.back()->RequestHistory(sink, " ", "1", 1, 100, -1, -1);
        feeds.back()->RequestHistory(sink, "IBM", "1", 1, 100, -1, -1);
    }
    loop.RunFor(2500);
    ASSERT_FALSE(ws.Peers.empty());
    ws.Send(*ws.Last(), "{\"result\":null,\"id\":1}");
    loop.RunFor(100);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vela
