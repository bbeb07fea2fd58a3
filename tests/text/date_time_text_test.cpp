#include "text/date_time_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/calendar.h"

namespace vela {
namespace {

double At(int y, int m, int d, int hh, int mi, double ss) {
    return DateToCenturies(y, m, d, hh + mi / 60.0 + ss / 3600.0);
}

TEST(SplitTwelveHour, Examples) {
    struct Case {
        double h;
        bool afternoon;
        double hours;
    } cases[] = {
        {0.5, false, 12.5}, {12.25, true, 12.25}, {13.75, true, 1.75}, {11.0, false, 11.0}};
    for (const auto& c : cases) {
        bool pm = false;
        double hours = 0;
        SplitTwelveHour(pm, hours, c.h);
        EXPECT_EQ(pm, c.afternoon) << c.h;
        EXPECT_DOUBLE_EQ(hours, c.hours) << c.h;
    }
}

TEST(DateTimeToText, LayoutsMonthFirst) {
    const double t = At(2012, 6, 20, 14, 5, 9);
    const double march = At(2012, 3, 5, 17, 45, 0);
    struct Case {
        int layout;
        double t;
        const char* text;
    } cases[] = {
        {0, t, "06.20.2012  02:05:09 PM"},
        {1, t, "06.20.2012  02:05 PM"},
        {2, t, "02:05 PM"},
        {3, t, "06.20  02:05 PM"},
        {4, t, "06.20.2012"},
        {5, t, "02:05:09 PM"},
        {6, march, "20120305"},
        {7, march, "20120305  05:45 PM"},
        {10, march, "Mar.  5 2012"},
        {11, At(2012, 5, 1, 12, 0, 0), "May 2012"},
        {12, march, "Mar. 05, 2012 05:45 PM"},
        {20, march, "03.05"},
        {21, march, "Mar..05"},
        {101, march, "03/05/2012"},
        {102, march, "03/05/2012   17:45:00"},
        {8, t, ""},
        {255, t, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DateTimeToText(c.layout, '.', c.t), c.text) << c.layout;
    EXPECT_EQ(DateTimeToText(0, '-', t), "06-20-2012  02:05:09 PM");
}

TEST(DateTimeToText, LayoutsDayFirst) {
    const DisplaySettings dayFirst{false, true, true};
    const double march = At(2012, 3, 5, 17, 45, 0);
    EXPECT_EQ(DateTimeToText(0, '.', march, dayFirst), "05.03.2012  05:45:00 PM");
    EXPECT_EQ(DateTimeToText(6, '.', march, dayFirst), "20120503");
    EXPECT_EQ(DateTimeToText(10, '.', march, dayFirst), "5 Mar. 2012");
    EXPECT_EQ(DateTimeToText(12, '.', march, dayFirst), "05 Mar. 2012 05:45 PM");
    EXPECT_EQ(DateTimeToText(21, '.', march, dayFirst), "05.Mar.");
    EXPECT_EQ(DateTimeToText(101, '.', march, dayFirst), "03/05/2012");
}

TEST(DateTimeToText, RoundingAndCarry) {
    struct Case {
        int layout;
        double t;
        const char* text;
    } cases[] = {
        {0, At(2012, 6, 20, 0, 30, 0), "06.20.2012  12:30:00 AM"},
        {0, At(2012, 6, 20, 12, 0, 0), "06.20.2012  12:00:00 PM"},
        {0, At(2012, 6, 20, 13, 5, 0), "06.20.2012  01:05:00 PM"},
        {0, At(2012, 6, 20, 10, 59, 59.6), "06.20.2012  11:00:00 AM"},
        {2, At(2012, 6, 20, 10, 59, 40), "11:00 AM"},
        {0, At(2012, 6, 20, 23, 59, 59.7), "06.21.2012  12:00:00 AM"},
        {0, At(2012, 12, 31, 23, 59, 59.7), "01.01.2013  12:00:00 AM"},
        {0, At(1582, 10, 4, 23, 59, 59.9), "10.15.1582  12:00:00 AM"},
        {4, At(2012, 6, 20, 23, 59, 59.7), "06.20.2012"},  // no time shown: the date stays
        {0, kNullInstant, "01.01.1  12:00:00 AM"},
    };
    for (const auto& c : cases) EXPECT_EQ(DateTimeToText(c.layout, '.', c.t), c.text) << c.text;
}

// The table's appending form with one decoder for a whole run gives every layout's text as the
// plain form does, including carries past midnight and instants that go back.
TEST(DateTimeToText, AppendingWithADecoderGivesTheSameText) {
    std::vector<double> ts;
    for (int s = 0; s < 300; ++s) ts.push_back(At(2024, 12, 31, 23, 57, s + 0.4999999));
    for (int s = 0; s < 300; ++s) ts.push_back(At(1582, 10, 4, 23, 58, s * 0.5));
    ts.push_back(At(2001, 3, 1, 0, 0, 0));
    ts.push_back(kNullInstant);
    ts.push_back(At(1999, 2, 28, 12, 0, 0));
    DisplaySettings dayFirst = kDisplaySettings;
    dayFirst.MonthFirst = !dayFirst.MonthFirst;
    DisplaySettings clock24 = kDisplaySettings;
    clock24.TwelveHour = false;
    for (const DisplaySettings& settings : {kDisplaySettings, dayFirst, clock24}) {
        for (int layout : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 20, 21, 101, 102, 13}) {
            CenturyTimeDecoder decoder;
            std::string text = "x";
            for (double t : ts) {
                text.resize(1);
                AppendDateTimeText(text, layout, '/', t, settings, decoder);
                ASSERT_EQ(text, "x" + DateTimeToText(layout, '/', t, settings))
                    << layout << " " << t;
            }
        }
    }
}

}  // namespace
}  // namespace vela
