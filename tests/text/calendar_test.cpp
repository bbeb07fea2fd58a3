#include "text/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>

#include "text/date_time_text.h"

namespace vela {
namespace {

struct Decoded {
    std::int32_t y, m, d;
    double hours;
};

Decoded Decode(double t) {
    Decoded r{};
    double hms = 0;
    DecodeCenturies(t, r.y, r.m, r.d, r.hours, hms);
    return r;
}

TEST(DecodeCenturies, KnownInstants) {
    const Decoded epoch = Decode(0.0);
    EXPECT_EQ(epoch.y, 1899);
    EXPECT_EQ(epoch.m, 12);
    EXPECT_EQ(epoch.d, 31);
    EXPECT_DOUBLE_EQ(epoch.hours, 12.0);

    const Decoded j2000 = Decode(1.0);  // Julian Day 2451545.0
    EXPECT_EQ(j2000.y, 2000);
    EXPECT_EQ(j2000.m, 1);
    EXPECT_EQ(j2000.d, 1);
    EXPECT_NEAR(j2000.hours, 12.0, 1e-9);
}

TEST(DecodeCenturies, UndecodableValuesGiveTheNullInstant) {
    for (double t :
         {1e10, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), 1e300, -1e300, 1e12}) {
        const Decoded r = Decode(t);
        EXPECT_EQ(r.y, 1) << t;
        EXPECT_EQ(r.m, 1) << t;
        EXPECT_EQ(r.d, 1) << t;
        EXPECT_EQ(r.hours, 0.0) << t;
    }
}

TEST(DecodeCenturies, JulianGregorianSwitch) {
    // 4 October 1582 (Julian) is followed by 15 October 1582 (Gregorian).
    const double oct4 = DateToCenturies(1582, 10, 4, 12.0);
    const Decoded next = Decode(oct4 + 1.0 / 36525.0);
    EXPECT_EQ(next.y, 1582);
    EXPECT_EQ(next.m, 10);
    EXPECT_EQ(next.d, 15);
    // Midnight of 15 October already belongs to the Gregorian calendar (JD 2299160.5).
    EXPECT_DOUBLE_EQ(DateToCenturies(1582, 10, 15, 0.0), (2299160.5 - 2415020.0) / 36525.0);
}

// The dates left out by the reform are exactly those of October 1582 that century time
// does not give back.
TEST(DateToCenturies, LeftOutDatesAreThoseThatDoNotComeBack) {
    for (std::int32_t d = 1; d <= 31; ++d) {
        const Decoded back = Decode(DateToCenturies(1582, 10, d, 12.0));
        EXPECT_EQ(back.d != d, IsLeftOutByCalendarReform(1582, 10, d)) << d;
    }
    EXPECT_FALSE(IsLeftOutByCalendarReform(1583, 10, 10));
    EXPECT_FALSE(IsLeftOutByCalendarReform(1582, 11, 10));
}

TEST(DateToCenturies, WorkedExamples) {
    EXPECT_DOUBLE_EQ(DateToCenturies(2000, 1, 1, 12.0), 1.0);
    EXPECT_DOUBLE_EQ(DateToCenturies(1899, 12, 31, 12.0), 0.0);
}

TEST(HoursToHms, Examples) {
    EXPECT_NEAR(static_cast<double>(HoursToHms(12.5)), 12.30, 1e-12);
    EXPECT_NEAR(static_cast<double>(HoursToHms(-1.2575)), -1.1527, 1e-12);
    EXPECT_NEAR(static_cast<double>(HoursToHms(0)), 0.0, 1e-12);
}

// Calendar fields -> century time -> text gives back the same date and second, for dense
// samples from 1500 to 2400 including the ends of days, months, years and the 1582 switch.
TEST(CalendarRoundTrip, FieldsToCenturiesToText) {
    auto daysIn = [](int y, int m) {
        static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        bool leap = y < 1582 ? y % 4 == 0 : (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
        return m == 2 && leap ? 29 : kDays[m - 1];
    };
    auto check = [](int y, int m, int d, int hh, int mi, int ss) {
        const double t = DateToCenturies(y, m, d, hh + mi / 60.0 + ss / 3600.0);
        bool pm = false;
        double h12 = 0;
        SplitTwelveHour(pm, h12, hh);
        char expect[64];
        std::snprintf(expect, sizeof expect, "%02d.%02d.%d  %02d:%02d:%02d %s", m, d, y,
                      static_cast<int>(h12), mi, ss, pm ? "PM" : "AM");
        ASSERT_EQ(DateTimeToText(0, '.', t), expect) << t;
    };
    std::uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    for (int y = 1500; y <= 2400; y += (y >= 1580 && y <= 1584) ? 1 : 7) {
        for (int m = 1; m <= 12; ++m) {
            if (y == 1582 && m == 10) continue;  // checked separately below
            const int last = daysIn(y, m);
            check(y, m, 1, 0, 0, 0);
            check(y, m, last, 23, 59, 59);
            check(y, m, 1 + next(last), next(24), next(60), next(60));
        }
    }
    for (int d : {1, 4, 15, 31})
        for (int s : {0, 1, 59}) check(1582, 10, d, 23, 59, s), check(1582, 10, d, 0, 0, s);
}

TEST(PlatformDateTime, MillisecondsRoundBeforeTheyAreDropped) {
    CivilDateTime c{2012, 6, 20, 14, 5, 9, 0};
    const double days = EncodePlatformDateTime(c);
    CivilDateTime back;
    ASSERT_TRUE(DecodePlatformDateTime(days, back));
    EXPECT_EQ(back, c);
    // Every whole second of a day survives the round trip through a double.
    for (int s = 0; s < 86400; s += 1) {
        CivilDateTime x{2024, 2, 29, s / 3600, s / 60 % 60, s % 60, 0};
        ASSERT_TRUE(DecodePlatformDateTime(EncodePlatformDateTime(x), back));
        ASSERT_EQ(back, x) << s;
    }
    EXPECT_FALSE(DecodePlatformDateTime(std::numeric_limits<double>::quiet_NaN(), back));
    EXPECT_FALSE(DecodePlatformDateTime(1e300, back));
    EXPECT_EQ(PlatformDayOfWeek(0.0), 7);  // 30 December 1899: Saturday
    EXPECT_EQ(PlatformDayOfWeek(EncodePlatformDateTime({2026, 12, 9, 0, 0, 0, 0})), 4);
}

}  // namespace
}  // namespace vela
