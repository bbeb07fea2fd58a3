#include "text/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

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

// Instants a cache sees in a table of bars and in worse orders: runs of minutes across
// midnight, jumps back, the 1582 switch, the first Julian days (where the day's fraction has
// the most bits) and undecodable values in between.
std::vector<double> InstantsForTheCache() {
    std::vector<double> ts;
    const double minute = 1.0 / 1440 / 36525;
    for (double start : {DateToCenturies(2024, 2, 28, 23.5), DateToCenturies(1582, 10, 4, 23.9),
                         DateToCenturies(1899, 12, 31, 11.0), DateToCenturies(-4712, 1, 1, 23.0),
                         -67.1, 1e-9, -1e-9})
        for (int i = 0; i < 200; ++i) ts.push_back(start + i * minute);
    std::uint32_t seed = 7;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        ts.push_back((static_cast<double>(seed) / 4294967296.0 - 0.5) * 200);
        if (i % 97 == 0) ts.push_back(kNullInstant);
        if (i % 101 == 0) ts.push_back(std::numeric_limits<double>::quiet_NaN());
        if (i % 89 == 0) ts.push_back(ts[ts.size() - 2]);  // the same day again
    }
    return ts;
}

TEST(DecodeCenturies, CachedDecodingGivesExactlyTheUncachedResult) {
    CenturiesDateCache cache;
    for (double t : InstantsForTheCache()) {
        std::int32_t y = 0, m = 0, d = 0;
        double hours = 0;
        DecodeCenturiesDate(t, y, m, d, hours, cache);
        std::int32_t y0 = 0, m0 = 0, d0 = 0;
        double hours0 = 0;
        DecodeCenturiesDate(t, y0, m0, d0, hours0);
        ASSERT_EQ(std::tie(y, m, d), std::tie(y0, m0, d0)) << t;
        ASSERT_EQ(std::memcmp(&hours, &hours0, sizeof hours), 0) << t;
    }
}

// Runs of times on one day, as a download converts them, and dates that change under the
// cache: the switch days of 1582 (where the hour decides the calendar), year 0 and before,
// hours outside 0..24.
TEST(DateToCenturies, CachedConversionGivesExactlyTheUncachedResult) {
    struct Date {
        std::int32_t y, m, d;
    };
    const std::vector<Date> dates = {{2024, 6, 20}, {2024, 6, 20}, {1582, 10, 14}, {1582, 10, 15},
                                     {1582, 10, 4}, {0, 3, 1},     {-1, 2, 28},    {-4712, 1, 1},
                                     {1900, 2, 29}, {2024, 1, 31}, {2024, 1, 31},  {9999, 12, 31}};
    DateToCenturiesCache cache;
    for (const Date& date : dates)
        for (double hours : {0.0, 9.5, 23.999999, 24.0, 30.25, -3.5, 12.0 + 1.0 / 3600}) {
            const double cached = DateToCenturies(date.y, date.m, date.d, hours, cache);
            const double plain = DateToCenturies(date.y, date.m, date.d, hours);
            ASSERT_EQ(std::memcmp(&cached, &plain, sizeof plain), 0)
                << date.y << "-" << date.m << "-" << date.d << " " << hours;
        }
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

TEST(PlatformDateTime, CachedDecodingGivesExactlyTheUncachedResult) {
    std::vector<double> days;
    std::uint32_t seed = 3;
    for (double day : {45355.0, 0.0, -1.0, -693593.0, 2958465.0}) {
        for (int k = 0; k < 300; ++k) {
            seed = seed * 1664525u + 1013904223u;
            const double fraction = k % 3 == 0 ? 1.0 - 1e-10 : (seed >> 8) / 16777216.0;
            days.push_back(day < 0 ? day - fraction : day + fraction);
        }
    }
    days.push_back(std::numeric_limits<double>::quiet_NaN());
    days.push_back(1e300);
    days.push_back(-693594.5);
    PlatformDayCache cache;
    for (double d : days) {
        CivilDateTime cached;
        CivilDateTime plain;
        const bool a = DecodePlatformDateTime(d, cached, cache);
        const bool b = DecodePlatformDateTime(d, plain);
        ASSERT_EQ(a, b) << d;
        if (a) {
            ASSERT_EQ(cached, plain) << d;
        }
    }
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
