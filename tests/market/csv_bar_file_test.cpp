#include "market/csv_bar_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "market/market_test_support.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing_support::At;

std::int64_t Sec(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return static_cast<std::int64_t>(std::nearbyint(At(y, mo, d, h, mi, s) * 86400));
}

struct Reading {
    std::vector<RawBar> bars;
    std::string warnings;
};

Reading Plain(const std::string& content, const char* name) {
    Reading r;
    std::ostringstream warnings;
    ParseCsvBars(content, name, r.bars, warnings);
    r.warnings = warnings.str();
    return r;
}

// Every way of reading a text must give the plain reading's bars, to the bit, and its reports.
void ExpectSame(const Reading& got, const Reading& plain, const std::string& what) {
    EXPECT_EQ(got.warnings, plain.warnings) << what;
    ASSERT_EQ(got.bars.size(), plain.bars.size()) << what;
    for (std::size_t i = 0; i < got.bars.size(); ++i)
        ASSERT_EQ(std::memcmp(&got.bars[i], &plain.bars[i], sizeof(RawBar)), 0) << what << " " << i;
}

// Files in a folder of the test's own.
class CsvBarFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("vela-csv-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& content) {
        const std::string path = (dir_ / ("f" + std::to_string(files_++) + ".csv")).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    Reading ReadFile(const std::string& path, const char* name, const CsvReadOptions& options) {
        Reading r;
        std::ostringstream warnings;
        EXPECT_TRUE(ReadCsvBarFile(path, name, r.bars, warnings, options));
        r.warnings = warnings.str();
        return r;
    }
    // The plain reading of `content`, checked against the quick reader and the file reader
    // with its usual settings and with stretches and pieces small enough to cut every line.
    Reading ReadAllWays(const std::string& content, const char* name) {
        const Reading plain = Plain(content, name);
        Reading quick;
        std::ostringstream warnings;
        ParseCsvBars(content, name, quick.bars, warnings, true);
        quick.warnings = warnings.str();
        ExpectSame(quick, plain, "quick lines");
        const std::string path = Write(content);
        ExpectSame(ReadFile(path, name, CsvReadOptions{}), plain, "file");
        ExpectSame(ReadFile(path, name, CsvReadOptions{1, 3, 5}), plain, "file in small pieces");
        return plain;
    }

    fs::path dir_;
    int files_ = 0;
};

TEST_F(CsvBarFileTest, ReadsTheCommonLayouts) {
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
        {"lines ended by CR alone, as old editors write them",
         "\rDate,Time,Open,High,Low,Close,Volume\r2024-03-04,09:30,1,2,0.5,1.5,10\r"
         "2024-03-04,09:31,1.5,2,1,2,20\r\r",
         {Sec(2024, 3, 4, 9, 30), Sec(2024, 3, 4, 9, 31)},
         1,
         1.5,
         10},
        {"mixed line ends",
         "Date,Close\r\n2024-03-04,1\r2024-03-05,2\n\r\n2024-03-06,3\n\r2024-03-07,4",
         {Sec(2024, 3, 4), Sec(2024, 3, 5), Sec(2024, 3, 6), Sec(2024, 3, 7)},
         1,
         1,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Reading r = ReadAllWays(c.content, "f.csv");
        const std::vector<RawBar>& bars = r.bars;
        EXPECT_EQ(r.warnings, "") << c.name;
        ASSERT_EQ(bars.size(), c.secs.size()) << c.name;
        for (std::size_t i = 0; i < bars.size(); ++i) EXPECT_EQ(bars[i].Sec, c.secs[i]) << c.name;
        EXPECT_EQ(bars[0].Open, c.firstOpen) << c.name;
        EXPECT_EQ(bars[0].Close, c.firstClose) << c.name;
        EXPECT_EQ(bars[0].Volume, c.firstVolume) << c.name;
    }
}

// Exports with many columns: Date and Close may stand anywhere, however many columns come
// before, between or after them.
TEST_F(CsvBarFileTest, WideFilesAreReadWhereverTheirColumnsStand) {
    struct Case {
        std::size_t date, close, columns;
    };
    for (const Case& c :
         std::vector<Case>{{0, 1, 100}, {63, 64, 65}, {64, 63, 65}, {70, 71, 72}, {130, 3, 140}}) {
        SCOPED_TRACE(std::to_string(c.date) + "," + std::to_string(c.close) + "," +
                     std::to_string(c.columns));
        auto line = [&c](const std::string& date, const std::string& close, std::size_t n) {
            std::string text;
            for (std::size_t i = 0; i < n; ++i) {
                if (i > 0) text += ',';
                text += i == c.date ? date : i == c.close ? close : "x" + std::to_string(i);
            }
            return text;
        };
        const std::string content = line("Date", "Close", c.columns) + "\n" +
                                    line("2024-03-04", "1.5", c.columns) + "\n" +
                                    line("2024-03-05", "2.5", std::max(c.date, c.close)) + "\n" +
                                    line("2024-03-06", "3.5", std::max(c.date, c.close) + 1) + "\n";
        const Reading r = ReadAllWays(content, "w.csv");
        ASSERT_EQ(r.bars.size(), 2u);
        EXPECT_EQ(r.bars[0].Sec, Sec(2024, 3, 4));
        EXPECT_EQ(r.bars[0].Close, 1.5);
        EXPECT_EQ(r.bars[1].Close, 3.5);
        // The line that stops short of its last column is reported, not read.
        EXPECT_EQ(r.warnings, "w.csv:3: malformed line skipped\n");
    }
}

TEST_F(CsvBarFileTest, NumbersAreTheNearestDoubles) {
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
        SCOPED_TRACE(text);
        // In the volume column, which takes numbers of any size.
        const Reading r = ReadAllWays("Date,Close,Volume\n2024-03-04,1," + text + "\n", "n.csv");
        const std::vector<RawBar>& bars = r.bars;
        ASSERT_EQ(bars.size(), 1u) << text << r.warnings;
        const double expected = std::strtod(text.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&bars[0].Volume, &expected, sizeof expected), 0) << text;
    }
    for (const char* text : {"1.2.3", "-", ".", "1-", "--1", "1.5x", "0x10"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(
            ReadAllWays(std::string("Date,Close,Volume\n2024-03-04,1,") + text + "\n", "n.csv")
                .bars.empty());
    }
}

TEST_F(CsvBarFileTest, SkipsMalformedLinesNamingFileAndLine) {
    const std::string content =
        "Date,Time,Open,High,Low,Close,Volume\n"
        "2024-03-04,09:30:00,1,1,1,1,1\n"
        "2024-02-30,09:31:00,1,1,1,1,1\n"  // no such day
        "2024-03-04,24:00:00,1,1,1,1,1\n"  // no such hour
        "2024-03-04,09:33:00,1,1,1,null,1\n"
        "2024-03-04,09:34:00,1,1\n"
        "2024-03-04,09:35:00,1,1,1,nan,1\n"
        "2024-03-04,09:36:00,1,2,1,2,1\n";
    const Reading r = ReadAllWays(content, "IBM.csv");
    ASSERT_EQ(r.bars.size(), 2u);
    EXPECT_EQ(r.bars[1].Close, 2);
    EXPECT_EQ(r.warnings,
              "IBM.csv:3: malformed line skipped\nIBM.csv:4: malformed line skipped\n"
              "IBM.csv:5: malformed line skipped\nIBM.csv:6: malformed line skipped\n"
              "IBM.csv:7: malformed line skipped\n");
}

// Prices no market has are malformed; prices that disagree with each other are the user's
// data: reported and kept. Zero and negative prices are fine.
TEST_F(CsvBarFileTest, ImpossiblePricesAreSkippedAndDisagreeingPricesReported) {
    const std::string content =
        "Date,Time,Open,High,Low,Close,Volume\n"
        "2024-03-04,09:30,1,2,0.5,1.5,10\n"
        "2024-03-04,09:31,1,2,0.5,1e300,10\n"           // skipped
        "2024-03-04,09:32,1,2,0.5,-1000000000001,10\n"  // skipped
        "2024-03-04,09:33,1,1000000000000,-1000000000000,5,10\n"
        "2024-03-04,09:34,1,0.5,2,1,10\n"    // high below low: kept
        "2024-03-04,09:35,1,2,0.5,3,10\n"    // close above high: kept
        "2024-03-04,09:36,0.1,2,0.5,1,10\n"  // open below low: kept
        "2024-03-04,09:37,-37.63,0,-40,-37.63,10\n"
        "2024-03-04,09:38,0,0,0,0,0\n";
    const Reading r = ReadAllWays(content, "CL.csv");
    ASSERT_EQ(r.bars.size(), 7u);
    EXPECT_EQ(r.bars[1].High, 1e12);
    EXPECT_EQ(r.bars[5].Close, -37.63);
    EXPECT_EQ(r.warnings,
              "CL.csv:3: malformed line skipped\nCL.csv:4: malformed line skipped\n"
              "CL.csv:6: high, low, open and close disagree; bar kept as it is\n"
              "CL.csv:7: high, low, open and close disagree; bar kept as it is\n"
              "CL.csv:8: high, low, open and close disagree; bar kept as it is\n");

    // Beyond twenty, the rest are counted.
    std::string many = "Date,Open,High,Low,Close\n";
    for (int d = 1; d <= 25; ++d)
        many += "2024-01-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + ",1,1,2,1\n";
    const Reading m = ReadAllWays(many, "m.csv");
    EXPECT_EQ(m.bars.size(), 25u);
    EXPECT_NE(m.warnings.find("m.csv:21: high, low"), std::string::npos);
    EXPECT_EQ(m.warnings.find("m.csv:22: high, low"), std::string::npos);
    EXPECT_NE(m.warnings.find("m.csv: 5 more bars whose prices disagree kept\n"),
              std::string::npos);
}

// Bar times become century time, whose calendar goes from 4 to 15 October 1582: the ten
// days between did not exist and are malformed, whichever reader takes the line.
TEST_F(CsvBarFileTest, DaysLeftOutByTheCalendarReformAreMalformed) {
    std::string intraday = "Date,Time,Open,High,Low,Close,Volume\n";
    std::string daily = "Date,Close\n";
    for (int day = 3; day <= 16; ++day) {
        const std::string date =
            "1582-10-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        intraday += date + ",12:00,1,20,1," + std::to_string(day) + ",1\n";
        daily += date + "T12:00:00," + std::to_string(day) + "\n";
    }
    std::string expected;
    for (int line = 4; line <= 13; ++line)
        expected += "r.csv:" + std::to_string(line) + ": malformed line skipped\n";
    for (const std::string& content : {intraday, daily}) {
        const Reading r = ReadAllWays(content, "r.csv");
        ASSERT_EQ(r.bars.size(), 4u);
        EXPECT_EQ(r.bars[1].Close, 4);
        EXPECT_EQ(r.bars[2].Close, 15);
        EXPECT_EQ(r.bars[2].Sec - r.bars[1].Sec, 11 * 86400);  // proleptic Gregorian days
        EXPECT_EQ(r.warnings, expected);
    }
}

TEST_F(CsvBarFileTest, SortsTimesThatGoBackwardsWithoutLosingOrDoublingBars) {
    const std::string content =
        "Date,Close\n2024-03-05,2\n2024-03-03,1\n2024-03-06,3\n2024-03-04,4\n";
    const Reading r = ReadAllWays(content, "x.csv");
    const std::vector<RawBar>& bars = r.bars;
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].Close, 1);
    EXPECT_EQ(bars[1].Close, 4);
    EXPECT_EQ(bars[2].Close, 2);
    EXPECT_EQ(bars[3].Close, 3);
    EXPECT_EQ(r.warnings, "x.csv:3: time goes backwards; bars sorted by time\n");
}

// Two lines for one time are never merged without a word: an exact repeat counts once, and
// of two different bars the later line is kept; each is reported with its line, in order or
// not, whichever reader takes the lines and wherever the file is cut.
TEST_F(CsvBarFileTest, RepeatedTimesKeepTheLaterLineAndAreReported) {
    struct Case {
        const char* name;
        std::string lines;  // after the header, line 2 on
        std::vector<double> closes;
        std::vector<double> volumes;
        std::string warnings;
    };
    const std::vector<Case> cases = {
        {"an exact repeat",
         "2024-03-04,09:30,1,2,1,2,10\n2024-03-04,09:30,1,2,1,2,10\n2024-03-04,09:31,2,3,2,3,5\n",
         {2, 3},
         {10, 5},
         "d.csv:3: the bar of line 2 again; counted once\n"},
        {"another bar at the same time, after a blank and a bad line",
         "2024-03-04,09:30,1,2,1,2,10\n\nbad\n2024-03-04,09:30,1,4,1,4,7\n",
         {4},
         {7},
         "d.csv:4: malformed line skipped\n"
         "d.csv:5: a second bar for the time of line 2; the later line kept\n"},
        {"three at one time",
         "2024-03-04,09:30,1,2,1,2,1\n2024-03-04,09:30,1,3,1,3,1\n2024-03-04,09:30,1,3,1,3,1\n",
         {3},
         {1},
         "d.csv:3: a second bar for the time of line 2; the later line kept\n"
         "d.csv:4: the bar of line 3 again; counted once\n"},
        {"a repeat out of order",
         "2024-03-04,09:31,1,2,1,2,1\n2024-03-04,09:30,1,2,1,1,1\n2024-03-04,09:32,1,2,1,2,1\n"
         "2024-03-04,09:31,1,5,1,5,3\n",
         {1, 5, 2},
         {1, 3, 1},
         "d.csv:3: time goes backwards; bars sorted by time\n"
         "d.csv:5: a second bar for the time of line 2; the later line kept\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Reading r = ReadAllWays("Date,Time,Open,High,Low,Close,Volume\n" + c.lines, "d.csv");
        EXPECT_EQ(r.warnings, c.warnings);
        ASSERT_EQ(r.bars.size(), c.closes.size());
        for (std::size_t i = 0; i < r.bars.size(); ++i) {
            EXPECT_EQ(r.bars[i].Close, c.closes[i]) << i;
            EXPECT_EQ(r.bars[i].Volume, c.volumes[i]) << i;
            if (i > 0) {
                EXPECT_LT(r.bars[i - 1].Sec, r.bars[i].Sec);
            }
        }
    }

    // Beyond twenty, the rest are counted; lines are found however many gave no bar.
    std::string many = "Date,Close\n";
    for (int d = 1; d <= 25; ++d) {
        const std::string date = "2024-01-" + std::string(d < 10 ? "0" : "") + std::to_string(d);
        many += date + ",1\n\n" + date + ",2\n";
    }
    const Reading m = ReadAllWays(many, "m.csv");
    EXPECT_EQ(m.bars.size(), 25u);
    EXPECT_NE(m.warnings.find("m.csv:4: a second bar for the time of line 2;"), std::string::npos)
        << m.warnings;
    EXPECT_NE(m.warnings.find("m.csv:61: a second bar for the time of line 59;"),
              std::string::npos);
    EXPECT_EQ(m.warnings.find("m.csv:64:"), std::string::npos);
    EXPECT_NE(m.warnings.find("m.csv: 5 more bars at a time already taken; the later line kept "
                              "each time\n"),
              std::string::npos);
}

// A negative volume is no market's, but the prices may be right: reported and kept.
TEST_F(CsvBarFileTest, NegativeVolumesAreReportedAndKept) {
    const Reading r = ReadAllWays(
        "Date,Time,Open,High,Low,Close,Volume\n2024-03-04,09:30,1,2,1,2,-10\n"
        "2024-03-04,09:31,1,2,1,2,0\n2024-03-04,09:32,1,2,1,2,-0.5e1\n",
        "v.csv");
    ASSERT_EQ(r.bars.size(), 3u);
    EXPECT_EQ(r.bars[0].Volume, -10);
    EXPECT_EQ(r.warnings,
              "v.csv:2: negative volume; bar kept as it is\n"
              "v.csv:4: negative volume; bar kept as it is\n");
}

TEST_F(CsvBarFileTest, RejectsFilesWithoutUsableHeaderAndSurvivesAnyBytes) {
    std::vector<RawBar> bars;
    std::ostringstream warnings;
    // Nothing at all is no bad header: a file of no bars.
    EXPECT_TRUE(ParseCsvBars("", "e.csv", bars, warnings));
    EXPECT_TRUE(ParseCsvBars("\xEF\xBB\xBF\r\n\n", "b.csv", bars, warnings));
    EXPECT_FALSE(ParseCsvBars("2024-03-04,1,2,3\n", "n.csv", bars, warnings));
    EXPECT_EQ(warnings.str(), "n.csv: no header with Date and Close columns; file skipped\n");
    std::mt19937 rng(1);
    const std::string alphabet = "Date,Close:-0123456789.\n\r\"eE+ T";
    for (int i = 0; i < 2000; ++i) {
        std::string s = "Date,Time,Close\n";
        for (int k = static_cast<int>(rng() % 80); k > 0; --k)
            s += alphabet[rng() % alphabet.size()];
        std::ostringstream sink;
        ParseCsvBars(s, "r.csv", bars, sink);
        for (std::size_t j = 1; j < bars.size(); ++j) ASSERT_LT(bars[j - 1].Sec, bars[j].Sec);
    }
}

// The header is looked for in the first 64 KiB only. A file whose lines up to it run on past
// them is refused at once, naming the line, without reading the rest: a one-line file of
// hundreds of megabytes costs a read of 64 KiB, not of the file.
TEST_F(CsvBarFileTest, TheHeaderIsLookedForInTheFirst64KiBOnly) {
    const std::size_t window = std::size_t{64} << 10;
    // "Date,Close,xxx..." of `length` bytes.
    const auto header = [](std::size_t length) {
        std::string h = "Date,Close,";
        h.resize(length, 'x');
        return h;
    };
    struct Case {
        const char* name;
        std::string content;
        std::string warnings;  // of the file named f.csv; empty: read as usual
    };
    const std::vector<Case> cases = {
        {"its line end the window's last byte", header(window - 1) + "\n2024-03-04,1\n", ""},
        {"CR LF across the window's end", header(window - 1) + "\r\n2024-03-04,1\n", ""},
        {"its line end just past the window", header(window) + "\n2024-03-04,1\n",
         "f.csv:1: no header within the first 64 KiB; file skipped\n"},
        {"a file of the window's size, no line end", header(window), ""},
        {"a byte more, no line end", header(window + 1),
         "f.csv:1: no header within the first 64 KiB; file skipped\n"},
        {"blank lines up to the window", std::string(window, '\n') + "Date,Close\n",
         "f.csv:65537: no header within the first 64 KiB; file skipped\n"},
        {"after blank lines", "\n\n" + header(window + 10),
         "f.csv:3: no header within the first 64 KiB; file skipped\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Reading r = ReadAllWays(c.content, "f.csv");
        EXPECT_EQ(r.warnings, c.warnings);
        EXPECT_EQ(r.bars.size(),
                  c.warnings.empty() && c.content.find("2024") != std::string::npos ? 1u : 0u);
    }

    const std::string path = Write(std::string(std::size_t{4} << 20, 'x'));
    CsvReadStats stats;
    CsvReadOptions options;
    options.Stats = &stats;
    const Reading r = ReadFile(path, "one.csv", options);
    EXPECT_EQ(r.warnings, "one.csv:1: no header within the first 64 KiB; file skipped\n");
    EXPECT_LE(stats.BytesRead, window + 1);
    // A usual file is read through; a small one lies wholly in the header's read, and its
    // lines are read again by the stretch that parses them.
    const std::string usual = "Date,Close\n2024-03-04,1\n2024-03-05,2\n";
    ReadFile(Write(usual), "u.csv", options);
    EXPECT_GE(stats.BytesRead, usual.size());
    EXPECT_LE(stats.BytesRead, 2 * usual.size());
}

// A big file is parsed in stretches on several threads: the bars, their order and every
// report (line numbers, the count beyond 20, where time first goes back) must not depend on
// where the file was cut.
TEST_F(CsvBarFileTest, StretchesParsedApartGiveWhatOnePassGives) {
    // Line ends: LF with some CR LF, CR alone (old editors), any of the three. A stretch must
    // start at a real line start, never between the CR and the LF of one line end.
    const std::vector<std::vector<std::string>> endings = {
        {"\n", "\n", "\n", "\r\n"}, {"\r"}, {"\n", "\r", "\r\n"}};
    for (const std::vector<std::string>& ends : endings) {
        std::mt19937 rng(3);
        auto end = [&] { return ends[rng() % ends.size()]; };
        std::string content = end() + "Date,Time,Close" + end();
        for (int i = 0; i < 400; ++i) {
            const int kind = static_cast<int>(rng() % 20);
            const int minute = kind == 0 ? 5 : 30 + i;  // now and then a time back
            if (kind == 1 || kind == 4)
                content += "bad line" + end();
            else if (kind == 2)
                content += end();
            else
                content += "2024-03-04," + std::to_string(9 + minute / 60) + ":" +
                           (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60) + "," +
                           std::to_string(i) + end();
        }
        content += "2024-03-05,10:00,1";  // no final line end
        const Reading expected = Plain(content, "s.csv");
        ASSERT_NE(expected.warnings.find("more malformed lines"), std::string::npos);
        ASSERT_NE(expected.warnings.find("time goes backwards"), std::string::npos);
        ASSERT_GT(expected.bars.size(), 300u);
        const std::string path = Write(content);
        for (unsigned threads : {2U, 3U, 7U, 64U, 301U})
            for (std::size_t piece : {std::size_t{1}, std::size_t{50}, content.size() / 3})
                ExpectSame(ReadFile(path, "s.csv", CsvReadOptions{piece, threads}), expected,
                           testing::PrintToString(ends) + ", " + std::to_string(threads) +
                               " threads, pieces of " + std::to_string(piece));
    }
}

// Lines of the usual layout go through a quicker reader first: for any line, usual or
// slightly off, the bars (to the bit) and the reports must be those of the general reading.
TEST_F(CsvBarFileTest, QuickReadingGivesWhatTheGeneralReadingGives) {
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
        line += "," + (odd == 1 ? pick(times)
                                : "10:" + std::to_string(10 + i / 60 % 50) + ":" +
                                      std::to_string(10 + i % 50));
        for (int k = 0; k < 5; ++k)
            line += "," + (odd == k + 2 ? pick(numbers)
                                        : std::to_string(rng() % 100000) + "." +
                                              std::to_string(rng() % 100));
        if (rng() % 10 == 0) line += ",extra";
        if (rng() % 10 == 0) line += "\r";
        content += line + "\n";
    }
    const Reading general = Plain(content, "q.csv");
    ASSERT_GT(general.bars.size(), 1000u);
    Reading quick;
    std::ostringstream quickWarnings;
    ASSERT_TRUE(ParseCsvBars(content, "q.csv", quick.bars, quickWarnings, true));
    quick.warnings = quickWarnings.str();
    ExpectSame(quick, general, "quick lines");
    const std::string path = Write(content);
    ExpectSame(ReadFile(path, "q.csv", CsvReadOptions{}), general, "file");
    CsvReadOptions slow;
    slow.QuickLines = false;
    ExpectSame(ReadFile(path, "q.csv", slow), general, "file without quick lines");
}

// Read from disk in small pieces by several threads, a file gives what parsing it whole
// gives: lines cut between pieces, a line longer than a piece, a long header, a BOM, CR LF,
// CR alone, no final line end, an empty file.
TEST_F(CsvBarFileTest, ReadingAFileInPiecesGivesWhatParsingItWholeGives) {
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
    // The same lines ended by CR alone, and by CR LF everywhere: with pieces of one byte every
    // CR LF is cut between two pieces and must still end one line, not two.
    std::string crBody, crLfBody;
    for (const char c : body) {
        crBody += c == '\n' ? '\r' : c;
        if (c == '\n' && (crLfBody.empty() || crLfBody.back() != '\r')) crLfBody += '\r';
        crLfBody += c;
    }
    const std::vector<std::string> contents = {
        "\xEF\xBB\xBF\n\nDate,Time," + std::string(40, 'x') + ",Close\n" + body,
        "Date,Time,Close\r\n" + body + "2024-04-01,10:00,5",
        "\r\rDate,Time,Close\r" + crBody + "2024-04-01,10:00,5\r",
        "\r\n\r\nDate,Time,Close\r\n" + crLfBody,
        "",
        "Date,Time,Close",
        "Date,Time,Close\r",
        "\r\r",
        "\n\n",
        "Open,Close\n2024-03-04,1\n"};
    for (const std::string& content : contents) {
        const std::string path = Write(content);
        const Reading expected = Plain(content, "f.csv");
        for (std::size_t chunk :
             {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{1} << 20})
            for (unsigned threads : {1U, 3U})
                ExpectSame(ReadFile(path, "f.csv", CsvReadOptions{100, threads, chunk}), expected,
                           path + ", chunks of " + std::to_string(chunk) + ", " +
                               std::to_string(threads) + " threads");
    }
    std::vector<RawBar> bars{RawBar{}};
    std::ostringstream warnings;
    EXPECT_FALSE(ReadCsvBarFile((dir_ / "missing.csv").string(), "m.csv", bars, warnings));
    EXPECT_TRUE(bars.empty());
}

}  // namespace
}  // namespace vela
