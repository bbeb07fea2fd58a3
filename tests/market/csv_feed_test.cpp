#include "market/csv_feed.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <sys/stat.h>

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
            CsvFeedOptions{(dir_ / "bars").string(), replayMs, hold, &warnings}, loop, clock);
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

// Requests that need no gathering are served straight from the file's bars: the same bars,
// byte for byte, as through a copy, before and during a replay, for every kind of request
// (those that gather, or take part of the day, go on through the copy).
TEST_F(CsvFeedTest, ServedInPlaceAsThroughACopy) {
    Write("daily.csv", "Date,Close\n2024-03-01,5\n2024-03-04,6\n2024-03-05,7\n2024-03-06,8\n");
    Write("odd.csv",
          "Date,Time,Close\n2024-03-04,09:30:00,1\n2024-03-04,09:31:30,2\n"
          "2024-03-04,09:33:00,3\n2024-03-04,09:34:30,4\n");
    struct Case {
        const char* Symbol;
        const char* Interval;
        std::int32_t NumBars;
        std::int32_t Start;
        std::int32_t End;
        std::int32_t Hold;  // with a replay of 500 ms
    };
    const Case cases[] = {
        {"$INDU", "1", 100, -1, -1, -1},   {"$INDU", "1", 4, -1, -1, 3},
        {"$INDU", "1", 5, 0, 1440, 0},     {"$INDU", "5", 100, -1, -1, 3},
        {"$INDU", "1", 100, 575, 580, -1}, {"daily", "D", 3, -1, -1, 2},
        {"odd", "1", 100, -1, -1, 2},      {"odd", "2", 100, -1, -1, -1},
        {"$INDU", "1", 0, -1, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Symbol) + " " + c.Interval);
        std::vector<std::unique_ptr<CsvFeed>> feeds;
        std::vector<std::int32_t> handles;
        for (const bool inPlace : {true, false}) {
            CsvFeedOptions options{(dir_ / "bars").string(), c.Hold >= 0 ? 500 : 0, c.Hold,
                                   &warnings};
            options.ServeInPlace = inPlace;
            feeds.push_back(std::make_unique<CsvFeed>(options, loop, clock));
            handles.push_back(feeds.back()->RequestHistory(sink, c.Symbol, c.Interval, 1, c.NumBars,
                                                           c.Start, c.End));
        }
        for (int tick = 0; tick < 4; ++tick) {
            const std::vector<BarData> inPlace = All(*feeds[0], handles[0]);
            const std::vector<BarData> copied = All(*feeds[1], handles[1]);
            ASSERT_EQ(inPlace.size(), copied.size()) << tick;
            for (std::size_t i = 0; i < copied.size(); ++i)
                EXPECT_EQ(std::memcmp(&inPlace[i], &copied[i], sizeof(BarData)), 0)
                    << tick << " " << i;
            EXPECT_THROW(feeds[0]->GetBar(handles[0], 1), HooksError);
            EXPECT_THROW(feeds[0]->GetBar(handles[0], -static_cast<std::int32_t>(inPlace.size())),
                         HooksError);
            loop.RunFor(500);
        }
    }
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
            CsvFeedOptions{(dir_ / "bars").string(), 0, -1, &warnings, 0}, loop, clock);
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

    const auto a = feed->RequestHistory(sink, "BAD", "D", 1, 10, -1, -1);
    const auto b = feed->RequestHistory(sink, "BAD", "D", 1, 10, -1, -1);
    ASSERT_TRUE(waitReady(*feed, a));
    ASSERT_TRUE(waitReady(*feed, b));
    EXPECT_EQ(feed->GetNumBars(b), 2);
    EXPECT_EQ(warnings.str(),
              (dir_ / "bars" / "BAD.csv").string() + ":3: malformed line skipped\n");

    // A requester that stopped waiting, or went, still hears what the load found, once.
    for (const bool released : {false, true}) {
        SCOPED_TRACE(released ? "released" : "left waiting");
        warnings.str("");
        auto slow = background();
        std::vector<std::string> heard;
        slow->SetReportListener([&heard](const std::string& line) { heard.push_back(line); });
        const auto given = slow->RequestHistory(sink, "BAD", "D", 1, 10, -1, -1);
        if (released) slow->ReleaseHistory(given);
        for (int i = 0; i < 5000 && heard.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            loop.RunFor(50);
        }
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard.front(),
                  (dir_ / "bars" / "BAD.csv").string() + ":3: malformed line skipped");
        EXPECT_EQ(slow->IsHistoryReady(given), !released);
        loop.RunFor(1000);
        EXPECT_EQ(heard.size(), 1u);
        EXPECT_EQ(loop.PendingTimers(), 0u);
    }

    auto gone = background();
    gone->ReleaseHistory(gone->RequestHistory(sink, "$INDU", "1", 1, 10, -1, -1));
    gone->RequestHistory(sink, "BAD", "1", 1, 10, -1, -1);
    gone.reset();
}

TEST_F(CsvFeedTest, ClearingTheCacheRereadsTheFile) {
    auto feed = Feed();
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1)), 13);
    Write("$INDU.csv", "Date,Time,Close\n2024-03-04,10:00,1\n2024-03-04,10:01,1\n");
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1)), 13);
    feed->ClearSymbolCache();
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1)), 2);
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

// The replay starts with the feed's first request, however long after the feed was made,
// and says when a file has no more bars to release; a request that comes after that gets
// them all at once, and is told why nothing streams.
TEST_F(CsvFeedTest, ReplayStartsWithTheFirstRequestAndSaysWhenItEnds) {
    auto feed = Feed(500, 3);
    loop.RunFor(60'000);  // the program started; no window yet
    const auto h = feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1);
    EXPECT_EQ(feed->GetNumBars(h), 10);
    loop.RunFor(1000);
    EXPECT_EQ(feed->GetNumBars(h), 12);
    EXPECT_EQ(warnings.str(), "");
    loop.RunFor(500);
    EXPECT_EQ(feed->GetNumBars(h), 13);
    const std::string ended = "replay of " + (dir_ / "bars" / "$INDU.csv").string() + " ended\n";
    EXPECT_EQ(warnings.str(), ended);
    EXPECT_EQ(loop.PendingTimers(), 0u);
    loop.RunFor(5000);
    EXPECT_EQ(sink.Events[h], 3);
    EXPECT_EQ(warnings.str(), ended);  // said once

    const auto late = feed->RequestHistory(sink, "$INDU", "5", 1, 100, -1, -1);
    EXPECT_EQ(feed->GetNumBars(late), 4);
    EXPECT_EQ(warnings.str(), ended + ended);
    EXPECT_EQ(loop.PendingTimers(), 0u);
}

// Index futures as an exchange labels them: each minute by its end, 09:31 .. 11:30 and
// 13:01 .. 15:00 on two days.
std::string EndLabelledMinutes() {
    std::string text = "Date,Time,Open,High,Low,Close,Volume\n";
    int k = 0;
    for (const char* date : {"2024-09-26", "2024-09-27"}) {
        for (const int start : {9 * 60 + 30, 13 * 60}) {
            for (int m = 1; m <= 120; ++m, ++k) {
                const int t = start + m;
                const double close = 3800 + k * 0.2;
                char line[96];
                std::snprintf(line, sizeof line, "%s,%02d:%02d,%.1f,%.1f,%.1f,%.1f,%d\n", date,
                              t / 60, t % 60, close - 0.2, close + 0.4, close - 0.4, close,
                              100 + k);
                text += line;
            }
        }
    }
    return text;
}

TEST_F(CsvFeedTest, TimesThatLabelTheEndOfEachBarAreMovedToItsStart) {
    Write("IFL8.csv", EndLabelledMinutes());
    auto feed = std::make_unique<CsvFeed>(
        CsvFeedOptions{(dir_ / "bars").string(), 0, -1, &warnings, 1 << 20, true}, loop, clock);
    const auto h = feed->RequestHistory(sink, "IFL8", "5", 1, 48, -1, -1);
    const auto bars = All(*feed, h);
    ASSERT_EQ(bars.size(), 48u);
    EXPECT_EQ(+bars.front().dtTime, At(2024, 9, 27, 9, 30));
    EXPECT_EQ(+bars[23].dtTime, At(2024, 9, 27, 11, 25));
    EXPECT_EQ(+bars[24].dtTime, At(2024, 9, 27, 13, 0));
    EXPECT_EQ(+bars.back().dtTime, At(2024, 9, 27, 14, 55));
    // The 14:55 bar closes with the minute labelled 15:00, the day's last.
    EXPECT_EQ(+bars.back().dClose, 3800 + 479 * 0.2);
    EXPECT_EQ(+bars.back().dVolume, 100 * 5 + 475 + 476 + 477 + 478 + 479);
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "IFL8", "D", 1, 10, -1, -1)), 2);

    // Read as start labels, the same file gives the stubs a trader would not trust.
    auto plain = Feed();
    const auto stubs = All(*plain, plain->RequestHistory(sink, "IFL8", "5", 1, 50, -1, -1));
    EXPECT_EQ(+stubs.back().dtTime, At(2024, 9, 27, 15, 0));
    EXPECT_EQ(warnings.str(), "");
}

TEST_F(CsvFeedTest, FilesKnowTheirOwnSpacingAndRefuseFinerIntervals) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> secs;
        std::int64_t spacing;
        bool daily;
    };
    const std::int64_t day = 86400;
    const std::vector<Case> cases = {
        {"one bar a day", {0, day, 2 * day, 5 * day}, day, true},
        {"minutes with gaps and a night", {0, 60, 120, 300, 360, day, day + 60}, 60, false},
        {"five seconds", {0, 5, 10, 15, 20, 80}, 5, false},
        {"a tie goes to the shorter", {0, 60, 120, 420, 720}, 60, false},
        {"nothing", {}, day, true},
    };
    for (const Case& c : cases) {
        CsvSeries series;
        for (const std::int64_t sec : c.secs) series.Bars.push_back(RawBar{sec + 100 * day});
        DetectSpacing(series);
        EXPECT_EQ(series.SpacingSeconds, c.spacing) << c.name;
        EXPECT_EQ(series.Daily, c.daily) << c.name;
    }

    Write("SPX.csv",
          "Date,Open,High,Low,Close,Adj Close,Volume\n2024-03-01,5,6,4,5.5,5.5,1\n"
          "2024-03-04,5,6,4,5.5,5.5,1\n");
    auto feed = Feed();
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "SPX", "1", 1, 10, -1, -1)), 0);
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "SPX", "D", 1, 10, -1, -1)), 2);
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "5S", 1, 10, -1, -1)), 0);
    EXPECT_EQ(feed->GetNumBars(feed->RequestHistory(sink, "$INDU", "1", 1, 10, -1, -1)), 10);
    const std::string folder = (dir_ / "bars").string();
    EXPECT_EQ(warnings.str(), (dir_ / "bars" / "SPX.csv").string() +
                                  " holds daily bars; 1 min is finer; no bars\n" +
                                  (dir_ / "bars" / "$INDU.csv").string() +
                                  " holds 1 min bars; 5 s is finer; no bars\n");
}

TEST_F(CsvFeedTest, MissingSymbolsAreReportedAndLetterCaseForgiven) {
    Write("IFL8.csv", "Date,Close\n2024-03-04,1\n");
    Write("Dup.csv", "Date,Close\n2024-03-04,1\n");
    Write("DUP.csv", "Date,Close\n2024-03-04,2\n");
    const fs::path bars = dir_ / "bars";
    struct Case {
        const char* symbol;
        std::int32_t count;
        std::string report;
    };
    const std::vector<Case> cases = {
        {"NOPE", 0, "no file " + (bars / "NOPE.csv").string() + "; no bars\n"},
        {"ifl8", 1,
         (bars / "ifl8.csv").string() + ": no such file; using " + (bars / "IFL8.csv").string() +
             "\n"},
        {"dup", 0,
         "no file " + (bars / "dup.csv").string() +
             " (several files match ignoring case: DUP.csv Dup.csv); no bars\n"},
        {"../bars/IFL8", 0,
         "csv feed: \"../bars/IFL8\" cannot name a file in " + bars.string() + "; no bars\n"},
    };
    for (const Case& c : cases) {
        warnings.str("");
        auto feed = Feed();
        std::vector<std::string> heard;
        feed->SetReportListener([&heard](const std::string& line) { heard.push_back(line); });
        const auto h = feed->RequestHistory(sink, c.symbol, "D", 1, 10, -1, -1);
        EXPECT_TRUE(feed->IsHistoryReady(h)) << c.symbol;
        EXPECT_EQ(feed->GetNumBars(h), c.count) << c.symbol;
        // Said once however many requests share the file.
        feed->RequestHistory(sink, c.symbol, "D", 1, 10, -1, -1);
        EXPECT_EQ(warnings.str(), c.report) << c.symbol;
        ASSERT_EQ(heard.size(), 1u) << c.symbol;
        EXPECT_EQ(heard.front() + "\n", c.report) << c.symbol;
    }
}

// A symbol's name that is there but is no file is named for what it is; a FIFO is never
// opened (that would wait for a writer forever), and a link to a file is followed.
TEST_F(CsvFeedTest, NamesThatAreNoFileAreNamedForWhatTheyAre) {
    const fs::path bars = dir_ / "bars";
    fs::create_directories(bars / "DIR.csv");
    ASSERT_EQ(::mkfifo((bars / "PIPE.csv").c_str(), 0600), 0);
    fs::create_symlink(bars / "gone.csv", bars / "DANGLING.csv");
    fs::create_symlink(bars / "LOOP.csv", bars / "LOOP.csv");
    fs::create_symlink(bars / "$INDU.csv", bars / "LINKED.csv");
    struct Case {
        const char* symbol;
        std::int32_t count;
        std::string report;
    };
    const std::vector<Case> cases = {
        {"DIR", 0, (bars / "DIR.csv").string() + " is a folder, not a file; no bars\n"},
        {"PIPE", 0, (bars / "PIPE.csv").string() + " is a FIFO, not a file; no bars\n"},
        {"DANGLING", 0,
         (bars / "DANGLING.csv").string() + " is a link to " + (bars / "gone.csv").string() +
             ", which is not there, not a file; no bars\n"},
        {"LOOP", 0, (bars / "LOOP.csv").string() + " is a link that loops, not a file; no bars\n"},
        {"LINKED", 13, ""},
    };
    for (const Case& c : cases) {
        warnings.str("");
        auto feed = Feed();
        const auto h = feed->RequestHistory(sink, c.symbol, "1", 1, 100, -1, -1);
        EXPECT_TRUE(feed->IsHistoryReady(h)) << c.symbol;
        EXPECT_EQ(feed->GetNumBars(h), c.count) << c.symbol;
        EXPECT_EQ(warnings.str(), c.report) << c.symbol;
    }
}

// A file without bars says so, whatever interval is asked for: it has no spacing of bars
// that a finer interval could be refused by.
TEST_F(CsvFeedTest, FilesWithoutBarsAreSaidToHoldNone) {
    Write("EMPTY.csv", "");
    Write("BLANK.csv", "\n\r\n\n");
    Write("HEADER.csv", "Date,Time,Open,High,Low,Close,Volume\n");
    Write("JUNK.csv", "Date,Close\nnot a bar\n");
    const fs::path bars = dir_ / "bars";
    struct Case {
        const char* symbol;
        std::string report;
    };
    const std::vector<Case> cases = {
        {"EMPTY", ""},
        {"BLANK", ""},
        {"HEADER", ""},
        {"JUNK", (bars / "JUNK.csv").string() + ":2: malformed line skipped\n"},
    };
    for (const Case& c : cases) {
        for (const char* interval : {"1", "D"}) {
            warnings.str("");
            auto feed = Feed();
            const auto h = feed->RequestHistory(sink, c.symbol, interval, 1, 100, -1, -1);
            EXPECT_TRUE(feed->IsHistoryReady(h)) << c.symbol;
            EXPECT_EQ(feed->GetNumBars(h), 0) << c.symbol;
            EXPECT_EQ(
                warnings.str(),
                c.report + (bars / (std::string(c.symbol) + ".csv")).string() + " holds no bars\n")
                << c.symbol << " " << interval;
        }
    }
}

// Replay runs on one clock for the whole feed: whatever the interval and whenever a request
// came, every request for a symbol has reached the same bar.
TEST_F(CsvFeedTest, ReplayHasOneClockForAllRequests) {
    auto feed = Feed(1000, 6);
    const auto early = feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1);
    EXPECT_EQ(+feed->GetBar(early, 0).dtTime, At(2024, 3, 4, 9, 36));
    loop.RunFor(2500);
    const auto late = feed->RequestHistory(sink, "$INDU", "1", 1, 100, -1, -1);
    const auto coarse = feed->RequestHistory(sink, "$INDU", "5", 1, 100, -1, -1);
    EXPECT_EQ(+feed->GetBar(early, 0).dtTime, At(2024, 3, 4, 9, 38));
    EXPECT_EQ(+feed->GetBar(late, 0).dtTime, At(2024, 3, 4, 9, 38));
    EXPECT_EQ(+feed->GetBar(coarse, 0).dClose, 8);  // the 09:35 bucket, up to 09:38
    loop.RunFor(1000);
    EXPECT_EQ(+feed->GetBar(late, 0).dtTime, At(2024, 3, 4, 9, 39));
    EXPECT_EQ(+feed->GetBar(coarse, 0).dClose, 9);
    EXPECT_EQ(sink.Events[early], 3);
    EXPECT_EQ(sink.Events[late], 1);
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
        {"csv:" + bars + ",label=end,replay=250", ""},
        {"csv:" + bars + ",label=start", ""},
        {"yahoo",
         "unknown feed \"yahoo\": use sim, sim:SEED, csv:DIR (with ,replay=MS to stream the "
         "newest bars) or binance"},
        {"sim:x", "sim feed: the seed \"x\" is not a whole number"},
        {"sim:1,speed=2", "sim feed: unknown option \"speed\" (start=, delay=)"},
        {"sim:1,start=2024-02-30T10:00:00",
         "sim feed: start \"2024-02-30T10:00:00\" is not YYYY-MM-DDTHH:MM:SS"},
        {"csv:", "csv feed: name a folder, as in csv:/path/to/bars"},
        {"csv:" + bars + ",replay=fast", "csv feed: replay \"fast\" is not a whole number"},
        {"csv:" + bars + ",hold=5", "csv feed: hold needs replay=MS"},
        {"csv:" + bars + ",label=middle", "csv feed: label \"middle\" is neither start nor end"},
        // Numbers that are numbers, but not ones the option takes.
        {"csv:" + bars + ",replay=-5",
         "csv feed: replay \"-5\" is out of range (0 to 2000000000 ms)"},
        {"csv:" + bars + ",replay=99999999999",
         "csv feed: replay \"99999999999\" is out of range (0 to 2000000000 ms)"},
        {"csv:" + bars + ",replay=10,hold=-1",
         "csv feed: hold \"-1\" is out of range (0 to 2000000000 bars)"},
        {"csv:" + bars + ",replay=1.5", "csv feed: replay \"1.5\" is not a whole number"},
        {"sim:18446744073709551615", ""},
        {"sim:-1", "sim feed: the seed \"-1\" is out of range (0 to 18446744073709551615)"},
        {"sim:18446744073709551616",
         "sim feed: the seed \"18446744073709551616\" is out of range (0 to "
         "18446744073709551615)"},
        {"sim:1,delay=-1", "sim feed: delay \"-1\" is out of range (0 to 3600000 ms)"},
        {"sim:1,delay=soon", "sim feed: delay \"soon\" is not a number of milliseconds"},
        {"sim:1,start=1899-12-31T10:00:00",
         "sim feed: start \"1899-12-31T10:00:00\": the year 1899 is out of range (1900 to "
         "9999)"},
        {"sim:1,start=1900-01-01T10:00:00", ""},
        // An option the feed does not know is named as one, not taken into the folder's name.
        {"csv:" + bars + ",foo=1", "csv feed: unknown option \"foo\" (replay=, hold=, label=)"},
        {"csv:" + bars + ",foo=1,replay=10",
         "csv feed: unknown option \"foo\" (replay=, hold=, label=)"},
    };
    for (const Case& c : cases) {
        const FeedChoice choice = MakeFeed(c.spec, FeedServices{loop, clock});
        EXPECT_EQ(choice.Error, c.error) << c.spec;
        EXPECT_EQ(choice.Feed == nullptr, !c.error.empty()) << c.spec;
    }
    const FeedChoice missing =
        MakeFeed("csv:" + (dir_ / "none").string(), FeedServices{loop, clock});
    EXPECT_EQ(missing.Feed, nullptr);
    EXPECT_TRUE(missing.Error.starts_with("csv feed: cannot read the folder")) << missing.Error;
    // A folder whose name holds a comma keeps it.
    fs::create_directories(dir_ / "a,b");
    EXPECT_NE(
        MakeFeed("csv:" + (dir_ / "a,b").string() + ",replay=10", FeedServices{loop, clock}).Feed,
        nullptr);
    // And one whose name holds what looks like an option, since it is there.
    fs::create_directories(dir_ / "a,b=c");
    for (const char* options : {"", ",replay=10"}) {
        const FeedChoice odd =
            MakeFeed("csv:" + (dir_ / "a,b=c").string() + options, FeedServices{loop, clock});
        EXPECT_NE(odd.Feed, nullptr) << options << odd.Error;
    }
}

}  // namespace
}  // namespace vela
