#include "chart/bar_table_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "text/calendar.h"

namespace vela {
namespace {

TEST(BarTableText, LineIsTimeTwoBlanksAndClose) {
    EXPECT_EQ(BarTableLine(DateToCenturies(2024, 6, 20, 15.5), 1234.5),
              "06.20.2024  03:30:00 PM  1234.5");
    EXPECT_EQ(BarTableLine(DateToCenturies(2024, 6, 20, 0), 0), "06.20.2024  12:00:00 AM  0.0");
}

// Written in blocks on several threads, the file is still every line newest first, once.
TEST(BarTableText, WrittenLinesAreEveryLineNewestFirst) {
    std::vector<double> times;
    std::vector<double> closes;
    const double minute = 1.0 / 1440 / 36525;
    for (int i = 0; i < 70'000; ++i) {
        times.push_back(DateToCenturies(2020, 1, 1, 9.5) + i * minute);
        closes.push_back(100 + (i % 977) * 0.25);
    }
    for (const std::size_t n :
         {std::size_t{0}, std::size_t{1}, std::size_t{32'768}, std::size_t{32'769}, times.size()}) {
        const std::vector<double> someTimes(times.begin(), times.begin() + n);
        std::string expected;
        for (std::size_t row = 0; row < n; ++row)
            expected += BarTableLine(times[n - 1 - row], closes[n - 1 - row]) + "\n";
        std::ostringstream out;
        // More closes than times: the times decide.
        ASSERT_TRUE(WriteBarTableLines(out, someTimes, closes)) << n;
        ASSERT_EQ(out.str(), expected) << n;
    }
}

TEST(BarTableText, FailingStreamIsReported) {
    std::vector<double> times(40'000, DateToCenturies(2020, 1, 1, 9.5));
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(WriteBarTableLines(out, times, times));
}

}  // namespace
}  // namespace vela
