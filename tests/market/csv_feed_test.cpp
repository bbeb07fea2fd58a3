#include "market/csv_feed.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "market/csv_bar_file.h"
#include "market/feed_factory.h"
#include "market/market_test_support.h"
#include "market/sim_feed.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing_support::At;

std::int64_t Sec(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return static_cast<std::int64_t>(std::nearbyint(At(y, mo, d, h, mi, s) * 86400));
}

TEST(CsvBarFile, ReadsTheCommonLayouts) {
    struct Case {
        const char* name;
        const char* content;
        std::vector<std::int64_t> secs;
        double firstOpen, firstClose, firstVolume;
    };
    const std::vector<Case> cases = {
        {"intraday",
         "Date,Time,Open,High,Low,Close,Volume\n2024-03-04,09:30:00,10,11,9,10.5,100\n"
         "2024-03-04,09:31:00,10.5,12,10,11,200\n",
         {Sec(2024, 3, 4, 9, 30), Sec(2024, 3, 4, 9, 31)},
         10,
         10.5,
         100},
        {"daily with adj close",
         "Date,Open,High,Low,Close,Adj Close,Volume\r\n"
         "2024-03-01,5,6,4,5.5,5.25,1e6\r\n2024-03-04,5.5,7,5,6,5.75,2000000\r\n",
         {Sec(2024, 3, 1), Sec(2024, 3, 4)},
         5,
         5.5,
         1e6},
        {"other order, case, BOM, quotes, date-time",
         "\xEF\xBB\xBF\"close\",\"DATE\"\n\"3\",\"2024-03-04T10:15\"\n",
         {Sec(2024, 3, 4, 10, 15)},
         3,
         3,
         0},
        {"blank lines and no final newline",
         "\nDate,Close\n\n2024-02-29,+7.5",
         {Sec(2024, 2, 29)},
         7.5,
         7.5,
         0},
    };
    for (const Case& c : cases) {
        std::vector<RawBar> bars;
        std::ostringstream warnings;
        ASSERT_TRUE(ParseCsvBars(c.content, "f.csv", bars, warnings)) << c.name;
        EXPECT_EQ(warnings.str(), "") << c.name;
        ASSERT_EQ(bars.size(), c.secs.size()) << c.name;
        for (std::size_t i = 0; i < bars.size(); ++i) EXPECT_EQ(bars[i].Sec, c.secs[i]) << c.name;
        EXPECT_EQ(bars[0].Open, c.firstOpen) << c.name;
        EXPECT_EQ(bars[0].Close, c.firstClose) << c.name;
        EXPECT_EQ(bars[0].Volume, c.firstVolume) << c.name;
    }
}

TEST(CsvBarFile, NumbersAreTheNearestDoubles) {
    // Short plain decimals take a quicker path than long or unusual ones; both must give the
    // nearest double, and both reject the same text.
    const std::vector<std::string> good = {"0.1",
                                           "-0.00",
                                           "+7.25",
                                           "1000.16",
                                           "123456789012345",
                                           "5.",
                                           ".5",
                                           "0.000000000000001",
                                           "1234567890.123456",
                                           "0.30000000000000004",
                                           "1e3",
                                           "-2.5",
                                           "999999999999999.9",
                                           "4503599627370497",
                                           "98765432109876543210"};
    for (const std::string& text : good) {
        std::vector<RawBar> bars;
        std::ostringstream warnings;
        ASSERT_TRUE(ParseCsvBars("Date,Close\n2024-03-04," + text + "\n", "n.csv", bars, warnings));
        ASSERT_EQ(bars.size(), 1u) << text << warnings.str();
        const double expected = std::strtod(text.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&bars[0].Close, &expected, sizeof expected), 0) << text;
    }
    for (const char* text : {"1.2.3", "-", ".", "1-", "--1", "1.5x", "0x10"}) {
        std::vector<RawBar> bars;
        std::ostringstream warnings;
        ASSERT_TRUE(ParseCsvBars(std::string("Date,Close\n2024-03-04,") + text + "\n", "n.csv",
                                 bars, warnings));
        EXPECT_TRUE(bars.empty()) << text;
    }
}

TEST(CsvBarFile, SkipsMalformedLinesNamingFileAndLine) {
    const std::string content =
        "Date,Time,Open,High,Low,Close,Volume\n"
        "2024-03-04,09:30:00,1,1,1,1,1\n"
        "2024-02-30,09:31:00,1,1,1,1,1\n"  // no such day
        "2024-03-04,24:00:00,1,1,1,1,1\n"  // no such hour
        "2024-03-04,09:33:00,1,1,1,null,1\n"
        "2024-03-04,09:34:00,1,1\n"
        "2024-03-04,09:35:00,1,1,1,nan,1\n"
        "2024-03-04,09:36:00,1,1,1,2,1\n";
    std::vector<RawBar> bars;
    std::ostringstream warnings;
    ASSERT_TRUE(ParseCsvBars(content, "IBM.csv", bars, warnings));
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[1].Close, 2);
    EXPECT_EQ(warnings.str(),
              "IBM.csv:3: malformed line skipped\nIBM.csv:4: malformed line skipped\n"
              "IBM.csv:5: malformed line skipped\nIBM.csv:6: malformed line skipped\n"
              "IBM.csv:7: malformed line skipped\n");
}

TEST(CsvBarFile, SortsTimesThatGoBackwardsWithoutLosingOrDoublingBars) {
    const std::string content =
        "Date,Close\n2024-03-05,2\n2024-03-04,1\n2024-03-06,3\n2024-03-04,4\n";
    std::vector<RawBar> bars;
    std::ostringstream warnings;
    ASSERT_TRUE(ParseCsvBars(content, "x.csv", bars, warnings));
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].Close, 1);  // stable: the earlier line first
    EXPECT_EQ(bars[1].Close, 4);
    EXPECT_EQ(bars[2].Close, 2);
    EXPECT_EQ(bars[3].Close, 3);
    EXPECT_EQ(warnings.str(), "x.csv:3: time goes backwards; bars sorted by time\n");
}

TEST(CsvBarFile, RejectsFilesWithoutUsableHeaderAndSurvivesAnyBytes) {
    std::vector<RawBar> bars;
    std::ostringstream warnings;
    EXPECT_FALSE(ParseCsvBars("", "e.csv", bars, warnings));
    EXPECT_FALSE(ParseCsvBars("2024-03-04,1,2,3\n", "n.csv", bars, warnings));
    EXPECT_EQ(warnings.str(),
              "e.csv: no header with Date and Close columns; file skipped\n"
              "n.csv: no header with Date and Close columns; file skipped\n");
    std::mt19937 rng(1);
    const std::string alphabet = "Date,Close:-0123456789.\n\r\"eE+ T";
    for (int i = 0; i < 2000; ++i) {
        std::string s = "Date,Time,Close\n";
        for (int k = static_cast<int>(rng() % 80); k > 0; --k)
            s += alphabet[rng() % alphabet.size()];
        std::ostringstream sink;
        ParseCsvBars(s, "r.csv", bars, sink);
        for (std::size_t j = 1; j < bars.size(); ++j) ASSERT_LE(bars[j - 1].Sec, bars[j].Sec);
    }
}

// A big file is parsed in stretches on several threads: the bars, their order and every
// report (line numbers, the count beyond 20, where time first goes back) must not depend on
// where the file was cut.
TEST(CsvBarFile, StretchesParsedApartGiveWhatOnePassGives) {
    std::mt19937 rng(3);
    std::string content = "\r\nDate,Time,Close\r\n";
    for (int i = 0; i < 400; ++i) {
        const int kind = static_cast<int>(rng() % 20);
        const int minute = kind == 0 ? 5 : 30 + i / 10;  // now and then a time back
        if (kind == 1 || kind == 4)
            content += "bad line\n";
        else if (kind == 2)
            content += "\n";
        else
            content += "2024-03-04," + std::to_string(9 + minute / 60) + ":" +
                       (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60) + "," +
                       std::to_string(i) + (kind == 3 ? "\r\n" : "\n");
    }
    content += "2024-03-05,10:00,1";  // no final newline
    std::vector<RawBar> expected;
    std::ostringstream expectedWarnings;
    ASSERT_TRUE(ParseCsvBars(content, "s.csv", expected, expectedWarnings,
                             CsvParseOptions{content.size(), 1}));
    ASSERT_NE(expectedWarnings.str().find("more malformed lines"), std::string::npos);
    ASSERT_NE(expectedWarnings.str().find("time goes backwards"), std::string::npos);
    for (unsigned threads : {2U, 3U, 7U, 64U}) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{50}, content.size() / 3}) {
            std::vector<RawBar> bars;
            std::ostringstream warnings;
            ASSERT_TRUE(
                ParseCsvBars(content, "s.csv", bars, warnings, CsvParseOptions{piece, threads}));
            EXPECT_EQ(warnings.str(), expectedWarnings.str()) << threads << " " << piece;
            ASSERT_EQ(bars.size(), expected.size()) << threads << " " << piece;
            for (std::size_t i = 0; i < bars.size(); ++i) {
                ASSERT_EQ(bars[i].Sec, expected[i].Sec) << i;
                ASSERT_EQ(bars[i].Close, expected[i].Close) << i;
            }
        }
    }
}

// Lines of the usual layout go through a quicker reader first: for any line, usual or
// slightly off, the bars (to the bit) and the reports must be those of the general reading.
TEST(CsvBarFile, QuickReadingGivesWhatTheGeneralReadingGives) {
    std::mt19937 rng(17);
    auto pick = [&rng](const std::vector<std::string>& options) {
        return options[rng() % options.size()];
    };
    const std::vector<std::string> dates = {
        "2024-03-04", "2024-02-29",       "2023-02-29",  "2024-13-01",     "2024-3-04",
        "0000-01-01", "2024-03-04T09:30", " 2024-03-05", "\"2024-03-06\"", "9999-12-31"};
    const std::vector<std::string> times = {"09:30", "9:31",       "09:32:15", "23:59:59", "24:00",
                                            "09:60", "09:33:00.5", "09:34 ",   "",         "7:5"};
    const std::vector<std::string> numbers = {"1000.16",
                                              "-0.00",
                                              "+7.25",
                                              "5.",
                                              ".5",
                                              "1e3",
                                              "123456789012345",
                                              "1234567890123456",
                                              "0.000000000000001",
                                              "99999999999999.99",
                                              "1,5",
                                              " 12.5",
                                              "12.5\"",
                                              "-",
                                              "",
                                              "4503599627370497",
                                              "0",
                                              "-12.75",
                                              "1.0000000000000002",
                                              "nan"};
    std::string content = "Date,Time,Open,High,Low,Close,Volume\n";
    for (int i = 0; i < 3000; ++i) {
        // A usual line with at most one field off.
        const int odd = static_cast<int>(rng() % 10);
        std::string line = odd == 0 ? pick(dates) : "2024-03-04";
        line += "," + (odd == 1 ? pick(times) : "10:" + std::to_string(10 + i % 50));
        for (int k = 0; k < 5; ++k)
            line += "," + (odd == k + 2 ? pick(numbers)
                                        : std::to_string(rng() % 100000) + "." +
                                              std::to_string(rng() % 100));
        if (rng() % 10 == 0) line += ",extra";
        if (rng() % 10 == 0) line += "\r";
        content += line + "\n";
    }
    std::vector<RawBar> general;
    std::ostringstream generalWarnings;
    CsvParseOptions slow;
    slow.QuickLines = false;
    ASSERT_TRUE(ParseCsvBars(content, "q.csv", general, generalWarnings, slow));
    std::vector<RawBar> quick;
    std::ostringstream quickWarnings;
    ASSERT_TRUE(ParseCsvBars(content, "q.csv", quick, quickWarnings, CsvParseOptions{}));
    EXPECT_EQ(quickWarnings.str(), generalWarnings.str());
    ASSERT_EQ(quick.size(), general.size());
    ASSERT_GT(quick.size(), 1000u);
    for (std::size_t i = 0; i < quick.size(); ++i)
        ASSERT_EQ(std::memcmp(&quick[i], &general[i], sizeof(RawBar)), 0) << i;
}

// Read from disk in small pieces by several threads, a file gives what parsing it whole
// gives: lines cut between pieces, a line longer than a piece, a long header, a BOM, CR LF,
// no final newline, an empty file.
TEST(CsvBarFile, ReadingAFileInPiecesGivesWhatParsingItWholeGives) {
    const fs::path dir =
        fs::temp_directory_path() /
        ("vela-csv-read-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    std::mt19937 rng(5);
    std::string body;
    for (int i = 0; i < 300; ++i) {
        const int kind = static_cast<int>(rng() % 12);
        if (kind == 0)
            body += "junk\n";
        else if (kind == 1)
            body +=
                "2024-03-04,09:" + std::to_string(10 + i % 50) + "," + std::string(90, '7') + "\n";
        else
            body += "2024-03-" + std::to_string(10 + i / 20) + "," + std::to_string(9 + i % 7) +
                    ":" + std::to_string(10 + i % 50) + "," + std::to_string(i) + ".25" +
                    (kind == 2 ? "\r\n" : "\n");
    }
    const std::vector<std::string> contents = {
        "\xEF\xBB\xBF\n\nDate,Time," + std::string(40, 'x') + ",Close\n" + body,
        "Date,Time,Close\r\n" + body + "2024-04-01,10:00,5",
        "",
        "Date,Time,Close",
        "\n\n",
        "Open,Close\n2024-03-04,1\n"};
    int n = 0;
    for (const std::string& content : contents) {
        const std::string path = (dir / ("f" + std::to_string(n++) + ".csv")).string();
        std::ofstream(path, std::ios::binary) << content;
        std::vector<RawBar> expected;
        std::ostringstream expectedWarnings;
        ParseCsvBars(content, "f.csv", expected, expectedWarnings);
        for (std::size_t chunk :
             {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{1} << 20})
            for (unsigned threads : {1U, 3U}) {
                RawBarList bars;
                std::ostringstream warnings;
                ASSERT_TRUE(ReadCsvBarFile(path, "f.csv", bars, warnings,
                                           CsvParseOptions{100, threads, chunk}));
                EXPECT_EQ(warnings.str(), expectedWarnings.str()) << n << " " << chunk;
                ASSERT_EQ(bars.size(), expected.size()) << n << " " << chunk;
                for (std::size_t i = 0; i < bars.size(); ++i) {
                    ASSERT_EQ(bars[i].Sec, expected[i].Sec) << i;
                    ASSERT_EQ(bars[i].Close, expected[i].Close) << i;
                }
            }
    }
    RawBarList bars;
    std::ostringstream warnings;
    EXPECT_FALSE(ReadCsvBarFile((dir / "missing.csv").string(), "m.csv", bars, warnings));
    EXPECT_TRUE(bars.empty());
    fs::remove_all(dir);
}

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
