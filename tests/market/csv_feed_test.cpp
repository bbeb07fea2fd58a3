#include "market/csv_feed.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "market/feed_factory.h"
#include "market/market_test_support.h"
#include "market/sim_feed.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing_support::At;

class CountingSink : public FeedEventSink {
  public:
    void BarsChanged(std::int32_t handle) override { ++Events[handle]; }
    std::map<std::int32_t, int> Events;
};

class CsvFeedTest : public testing_support::VirtualTimeTest {
  protected:
    void SetUp() override {
        VirtualTimeTest::SetUp();
        dir_ = fs::temp_directory_path() /
               ("vela-csv-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bars");
        // Monday 4 March 2024, one-minute bars 09:30 .. 09:41, close = minute index.
        std::string minutes = "Date,Time,Open,High,Low,Close,Volume\n";
        for (int m = 0; m < 12; ++m) {
            minutes += "2024-03-04,09:" + std::to_string(30 + m) + ":00," + std::to_string(m) +
                       "," + std::to_string(m + 0.5) + "," + std::to_string(m - 0.5) + "," +
                       std::to_string(m) + ",10\n";
        }
        minutes += "2024-03-05,09:30:00,20,20,20,20,5\n";
        Write("$INDU.csv", minutes);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
        VirtualTimeTest::TearDown();
    }
    void Write(const std::string& name, const std::string& content, const fs::path& sub = "bars") {
        std::ofstream(dir_ / sub / name, std::ios::binary) << content;
    }
    std::unique_ptr<CsvFeed> Feed(std::int32_t replayMs = 0, std::int32_t hold = -1) {
        return std::make_unique<CsvFeed>(
            CsvFeedOptions{(dir_ / "bars").string(), replayMs, hold, &warnings}, loop);
    }
    std::vector<BarData> All(MarketFeed& feed, std::int32_t handle) {
        std::vector<BarData> bars;
        const std::int32_t n = feed.GetNumBars(handle);
        for (std::int32_t i = 1 - n; i <= 0; ++i) bars.push_back(feed.GetBar(handle, i));
        return bars;
    }
    fs::path dir_;
    std::ostringstream warnings;
    CountingSink sink;
};

TEST_F(CsvFeedTest, AggregatesIntoTheRequestedIntervalAndServesTheNewest) {
    auto feed = Feed();
    // Five-minute buckets from midnight: 09:30-09:34, 09:35-09:39, 09:40-09:41, next day.
    auto h = feed->RequestHistory(sink, "$INDU", "5", 1, 100, -1, -1);
    EXPECT_TRUE(feed->IsHistoryReady(h));
    auto bars = All(*feed, h);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(+bars[0].dtTime, At(2024, 3, 4, 9, 30));
    EXPECT_EQ(+bars[0].dOpen, 0);
    EXPECT_EQ(+bars[0].dClose, 4);
    EXPECT_EQ(+bars[0].dHigh, 4.5);
    EXPECT_EQ(+bars[0].dLow, -0.5);
    EXPECT_EQ(+bars[0].dVolume, 50);
    EXPECT_EQ(+bars[2].dtTime, At(2024, 3, 4, 9, 40));
    EXPECT_EQ(+bars[2].dClose, 11);
    // Daily: one bar per date; the newest two of them.
    h = feed->RequestHistory(sink, "$INDU", "D", 1, 2, -1, -1);
    bars = All(*feed, h);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(+bars[0].dtTime, At(2024, 3, 4));
    EXPECT_EQ(+bars[0].dVolume, 120);
    EXPECT_EQ(+bars[1].dClose, 20);
    // A window of the day: 09:35 .. 09:39 only.
    h = feed->RequestHistory(sink, "$INDU", "1", 1, 100, 575, 580);
    EXPECT_EQ(feed->GetNumBars(h), 5);
    EXPECT_EQ(warnings.str(), "");
}

TEST_F(CsvFeedTest, BarsOfTheRequestedIntervalAreServedAsTheyStand) {
    // One-minute bars asked for at one minute need no gathering: served as the file has them,
    // the newest numBars, and the same whether or not a replay holds some back.
    auto feed = Feed();
    const auto h = feed->RequestHistory(sink, "$INDU", "1", 1, 4, -1, -1);
    const auto bars = All(*feed, h);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(+bars[0].dtTime, At(2024, 3, 4, 9, 39));
    EXPECT_EQ(+bars[0].dOpen, 9);
    EXPECT_EQ(+bars[0].dHigh, 9.5);
    EXPECT_EQ(+bars[0].dLow, 8.5);
    EXPECT_EQ(+bars[2].dClose, 11);
    EXPECT_EQ(+bars[2].dVolume, 10);
    EXPECT_EQ(+bars[3].dtTime, At(2024, 3, 5, 9, 30));
    EXPECT_THROW(feed->GetBar(h, -4), HooksError);
    auto replay = Feed(500, 1);
    const auto held = All(*replay, replay->RequestHistory(sink, "$INDU", "1", 1, 4, -1, -1));
    ASSERT_EQ(held.size(), 4u);
    for (std::size_t i = 0; i + 1 < held.size(); ++i)
        EXPECT_EQ(std::memcmp(&held[i + 1], &bars[i], sizeof(BarData)), 0) << i;
}

TEST_F(CsvFeedTest, UnservedSymbolsAreReadyAtOnceAndEmpty) {
    Write("secret.csv", "Date,Close\n2024-03-04,1\n", ".");
    auto feed = Feed();
    for (const char* symbol : {"MSFT", "../secret", "", ".."}) {
        const auto h = feed->RequestHistory(sink, symbol, "1", 1, 100, -1, -1);
        EXPECT_TRUE(feed->IsHistoryReady(h)) << symbol;
        EXPECT_EQ(feed->GetNumBars(h), 0) << symbol;
    }
    EXPECT_EQ(feed->IsEntitled(), 1);
    fs::remove_all(dir_ / "bars");
    EXPECT_EQ(feed->IsEntitled(), 0);
}

// Big files load on another thread: the request is ready once the load is done and then
// serves what a load at once serves; the file's warnings are written once however many
// requests share the load, and releasing requests or the feed during a load is safe.
TEST_F(CsvFeedTest, BigFilesLoadInTheBackground) {
    Write("BAD.csv", "Date,Close\n2024-03-04,1\nbad\n2024-03-05,2\n");
    auto background = [&] {
        return std::make_unique<CsvFeed>(
            CsvFeedOptions{(dir_ / "bars").string(), 0, -1, &warnings, 0}, loop);
    };
    auto waitReady = [](CsvFeed& feed, std::int32_t h) {
        for (int i = 0; i < 5000 && !feed.IsHistoryReady(h); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return feed.IsHistoryReady(h);
    };
    auto now = Feed();
    const auto expected = All(*now, now->RequestHistory(sink, "$INDU", "5", 1, 3, -1, -1));
    auto feed = background();
    const auto h = feed->RequestHistory(sink, "$INDU", "5", 1, 3, -1, -1);
    ASSERT_TRUE(waitReady(*feed, h));
    const auto bars = All(*feed, h);
    ASSERT_EQ(bars.size(), expected.size());
    for (std::size_t i = 0; i < bars.size(); ++i)
        EXPECT_EQ(std::memcmp(&bars[i], &expected[i], sizeof(BarData)), 0) << i;

    const auto a = feed->RequestHistory(sink, "BAD", "1", 1, 10, -1, -1);
    const auto b = feed->RequestHistory(sink, "BAD", "1", 1, 10, -1, -1);
    ASSERT_TRUE(waitReady(*feed, a));
    ASSERT_TRUE(waitReady(*feed, b));
    EXPECT_EQ(feed->GetNumBars(b), 2);
    EXPECT_EQ(warnings.str(),
              (dir_ / "bars" / "BAD.csv").string() + ":3: malformed line skipped\n");

    auto gone = background();
    gone->ReleaseHistory(gone->RequestHistory(sink, "$INDU", "1", 1, 10, -1, -1));
    gone->RequestHistory(sink, "BAD", "1", 1, 10, -1, -1);
    gone.reset();
}

TEST_F(CsvFeedTest, ClearingTheCacheRereadsTheFile) {
    auto feed = Feed();
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1)), 13);
    Write("$INDU.csv", "Date,Close\n2024-03-04,1\n");
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1)), 13);
    feed->ClearSymbolCache();
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1)), 1);
}

TEST_F(CsvFeedTest, ReplayReleasesTheNewestBarsOneByOne) {
    auto feed = Feed(500, 3);
    const auto h = feed->RequestHistory(sink, "$INDU", "5", 1, 100, -1, -1);
    // Held back: 09:40, 09:41 and the next day's bar.
    auto bars = All(*feed, h);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(+bars[1].dClose, 9);
    loop.RunFor(500);  // 09:40 opens the third bucket
    EXPECT_EQ(sink.Events[h], 1);
    EXPECT_EQ(feed->GetNumBars(h), 3);
    loop.RunFor(500);  // 09:41 joins the forming bucket
    EXPECT_EQ(feed->GetNumBars(h), 3);
    EXPECT_EQ(+feed->GetBar(h, 0).dClose, 11);
    EXPECT_EQ(+feed->GetBar(h, 0).dVolume, 20);
    loop.RunFor(5000);
    EXPECT_EQ(sink.Events[h], 3);
    EXPECT_EQ(feed->GetNumBars(h), 4);
    EXPECT_EQ(loop.PendingTimers(), 0u);
}

TEST_F(CsvFeedTest, FactoryChoosesFeedsAndExplainsBadChoices) {
    const std::string bars = (dir_ / "bars").string();
    struct Case {
        std::string spec;
        std::string error;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {"sim", ""},
        {"sim:42", ""},
        {"sim:42,start=2024-03-04T10:00:00,delay=1000", ""},
        {"sim:start=2024-03-04 10:00", ""},
        {"csv:" + bars, ""},
        {"csv:" + bars + ",replay=250", ""},
        {"csv:" + bars + ",replay=250,hold=20", ""},
        {"yahoo",
         "unknown feed \"yahoo\": use sim, sim:SEED or csv:DIR (with ,replay=MS to stream the "
         "newest bars)"},
        {"sim:x", "sim feed: the seed \"x\" is not a whole number"},
        {"sim:1,speed=2", "sim feed: unknown option \"speed\" (start=, delay=)"},
        {"sim:1,start=2024-02-30T10:00:00",
         "sim feed: start \"2024-02-30T10:00:00\" is not YYYY-MM-DDTHH:MM:SS"},
        {"csv:", "csv feed: name a folder, as in csv:/path/to/bars"},
        {"csv:" + bars + ",replay=fast", "csv feed: replay \"fast\" is not a whole number"},
        {"csv:" + bars + ",hold=5", "csv feed: hold needs replay=MS"},
    };
    for (const Case& c : cases) {
        const FeedChoice choice = MakeFeed(c.spec, loop, clock);
        EXPECT_EQ(choice.Error, c.error) << c.spec;
        EXPECT_EQ(choice.Feed == nullptr, !c.error.empty()) << c.spec;
    }
    const FeedChoice missing = MakeFeed("csv:" + (dir_ / "none").string(), loop, clock);
    EXPECT_EQ(missing.Feed, nullptr);
    EXPECT_TRUE(missing.Error.starts_with("csv feed: cannot read the folder")) << missing.Error;
    // A folder whose name holds a comma keeps it.
    fs::create_directories(dir_ / "a,b");
    EXPECT_NE(MakeFeed("csv:" + (dir_ / "a,b").string() + ",replay=10", loop, clock).Feed, nullptr);
}

}  // namespace
}  // namespace vela
