#include "text/century_times.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text/calendar.h"

namespace vela {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Show(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

double Platform(std::int32_t y, std::int32_t m, std::int32_t d, std::int32_t hh = 0,
                std::int32_t mi = 0, std::int32_t ss = 0, std::int32_t ms = 0) {
    return EncodePlatformDateTime(CivilDateTime{y, m, d, hh, mi, ss, ms});
}

// Every value again right after itself, then each alternating with the one after it: a cache
// keyed on the last day must notice every change of day, and none that is not one.
std::vector<double> WithRepeatsAndAlternations(const std::vector<double>& values) {
    std::vector<double> out = values;
    for (double v : values) out.insert(out.end(), {v, v});
    for (std::size_t i = 0; i + 1 < values.size(); ++i)
        out.insert(out.end(), {values[i], values[i + 1], values[i], values[i + 1]});
    out.insert(out.end(), values.rbegin(), values.rend());
    return out;
}

// --- Platform date-times to century time ---

// The steps the encoder stands for: calendar fields, hours without the milliseconds, then
// the century time of date and hours.
std::optional<double> PlainCenturyTime(double days) {
    CivilDateTime c;
    if (!DecodePlatformDateTime(days, c)) return std::nullopt;
    return DateToCenturies(c.Year, c.Month, c.Day, c.Hour + c.Minute / 60.0 + c.Second / 3600.0);
}

// Both kinds of encoder, the short run's and the long run's that remembers times of day.
testing::AssertionResult EncodesAsThePlainSteps(const std::vector<double>& days) {
    for (std::int64_t expected : {std::int64_t{0}, std::int64_t{1'000'000}}) {
        CenturyTimeEncoder encoder(expected);
        for (std::size_t i = 0; i < days.size(); ++i) {
            const std::optional<double> got = encoder.Encode(days[i]);
            const std::optional<double> want = PlainCenturyTime(days[i]);
            if (got.has_value() != want.has_value() || (got && !SameBits(*got, *want)))
                return testing::AssertionFailure()
                       << "run of " << expected << ", #" << i << " " << Show(days[i]) << ": "
                       << (got ? Show(*got) : "none") << " instead of "
                       << (want ? Show(*want) : "none");
        }
    }
    return testing::AssertionSuccess();
}

TEST(CenturyTimeEncoder, KnownBarTimes) {
    CenturyTimeEncoder encoder;
    EXPECT_EQ(encoder.Encode(Platform(2000, 1, 1, 12)), 1.0);
    EXPECT_EQ(encoder.Encode(Platform(1899, 12, 31, 12)), 0.0);
    EXPECT_EQ(encoder.Encode(Platform(1899, 12, 31, 12, 0, 0, 999)), 0.0);  // ms dropped
    EXPECT_EQ(encoder.Encode(kNaN), std::nullopt);
}

TEST(CenturyTimeEncoder, EdgeCasesGiveExactlyThePlainSteps) {
    const double justBeforeMidnight = 1.0 - 1e-10;  // rounds up to the next day
    const std::vector<double> days = {
        // Around the platform's day 0 and before it, where the time is the fraction's size.
        0.0, -0.0, justBeforeMidnight, -justBeforeMidnight, 1e-10, -1e-10, 0.5, -0.5, -1.25, 5e-324,
        std::nextafter(1.0, 0.0), 45355 + justBeforeMidnight, -10 - justBeforeMidnight,
        // Ends of days, months, years; leap days of leap and common centuries.
        Platform(2023, 12, 31, 23, 59, 59), Platform(2024, 1, 1), Platform(2024, 2, 28, 23, 59, 59),
        Platform(2024, 2, 29, 12, 30, 1), Platform(2024, 3, 1), Platform(1900, 2, 28, 23, 59, 59),
        Platform(1900, 3, 1), Platform(2000, 2, 29, 23, 59, 59), Platform(2100, 3, 1, 0, 0, 1),
        // Milliseconds are dropped, never rounded into the next second.
        Platform(2024, 2, 29, 23, 59, 59, 999), Platform(2024, 6, 20, 9, 30, 0, 500),
        Platform(2024, 6, 20, 9, 30, 0, 499),
        // The Julian-Gregorian switch: the platform's calendar is proleptic Gregorian, century
        // time switches on 15 October 1582, so the days in between meet both.
        Platform(1582, 10, 4, 23, 59, 59), Platform(1582, 10, 5), Platform(1582, 10, 14, 12),
        Platform(1582, 10, 14, 23, 59, 59), Platform(1582, 10, 15), Platform(1582, 10, 15, 0, 0, 1),
        // The ends of the valid years and just beyond them.
        Platform(1, 1, 1), Platform(1, 1, 1, 23, 59, 59), Platform(9999, 12, 31, 23, 59, 59),
        -693593.0, -693594.0, -693594.5, 2958465.0, 2958465 + justBeforeMidnight, 2958466.0,
        2958466.5,
        // Not date-times at all.
        kNaN, kInf, -kInf, 1e300, -1e300, kNullInstant};
    EXPECT_TRUE(EncodesAsThePlainSteps(WithRepeatsAndAlternations(days)));
}

// Bars as downloads bring them (runs at fixed steps across days, months, years, the 1582
// switch and the ends of the valid range), with the disorder a cache must survive: bars of
// an earlier day again, two days alternating, times of day that meet in one remembered slot,
// invalid values in between.
TEST(CenturyTimeEncoder, RunsOfBarsGiveExactlyThePlainSteps) {
    std::mt19937_64 rng(29022024);
    auto below = [&rng](std::uint64_t n) { return static_cast<std::int64_t>(rng() % n); };
    const std::vector<double> starts = {
        Platform(2024, 2, 28, 22),     Platform(1999, 12, 31, 23, 30), Platform(1900, 2, 28, 23),
        Platform(1582, 10, 3, 22),     Platform(1899, 12, 29, 22),     Platform(1, 1, 1),
        Platform(9999, 12, 30, 22),    Platform(1850, 6, 30, 23, 59),  Platform(2010, 1, 1, 9, 30),
        Platform(1582, 10, 14, 23, 59)};
    const double steps[] = {1.0 / 86400, 5.0 / 86400,    1.0 / 1440,   1.0 / 24,
                            1.0,         2048.0 / 86400, 1.001 / 86400};
    std::vector<double> days;
    for (double start : starts) {
        for (double step : steps) {
            double t = start;
            for (int k = 0; k < 2000; ++k) {
                const std::int64_t dice = below(100);
                if (dice == 0)
                    days.push_back(kNaN);
                else if (dice == 1 && days.size() > 500)
                    days.push_back(days[days.size() - 1 - static_cast<std::size_t>(below(500))]);
                else if (dice < 5)
                    days.insert(days.end(), {t, t + 2048.0 / 86400, t, t - 1.0});
                days.push_back(t);
                t += step;
            }
        }
    }
    // Times within one day that round up into the next, at the ends of the valid range too.
    for (double day : {45355.0, 0.0, -1.0, -693593.0, 2958465.0}) {
        for (int k = 0; k < 300; ++k) {
            const double fraction =
                k % 3 == 0 ? 1.0 - 1e-10 : static_cast<double>(below(1 << 24)) / (1 << 24);
            days.push_back(day < 0 ? day - fraction : day + fraction);
        }
    }
    // Times of day with milliseconds anywhere in the valid range.
    for (int k = 0; k < 20000; ++k) {
        const double day = static_cast<double>(below(2958466 + 693594)) - 693594;
        const double fraction = static_cast<double>(below(86400000)) / 8.64e7;
        days.push_back(day < 0 ? day - fraction : day + fraction);
    }
    EXPECT_TRUE(EncodesAsThePlainSteps(days));
}

// --- Century time to calendar date and hours ---

testing::AssertionResult DecodesAsThePlainFunction(const std::vector<double>& instants) {
    CenturyTimeDecoder decoder;
    for (std::size_t i = 0; i < instants.size(); ++i) {
        std::int32_t y = 0, m = 0, d = 0;
        double hours = 0;
        decoder.Decode(instants[i], y, m, d, hours);
        std::int32_t y0 = 0, m0 = 0, d0 = 0;
        double hours0 = 0;
        DecodeCenturiesDate(instants[i], y0, m0, d0, hours0);
        if (y != y0 || m != m0 || d != d0 || !SameBits(hours, hours0))
            return testing::AssertionFailure()
                   << "#" << i << " " << Show(instants[i]) << ": " << y << "-" << m << "-" << d
                   << " " << Show(hours) << " instead of " << y0 << "-" << m0 << "-" << d0 << " "
                   << Show(hours0);
    }
    return testing::AssertionSuccess();
}

TEST(CenturyTimeDecoder, EdgeCasesGiveExactlyThePlainFunction) {
    const double second = 1.0 / 86400 / 36525;
    const std::vector<double> instants = {
        0.0, -0.0, 1.0, 1e-9, -1e-9, -1.0 / 36525 / 2,  // the epoch is noon
        DateToCenturies(2024, 2, 29, 0), DateToCenturies(2024, 2, 29, 24) - second,
        DateToCenturies(2024, 3, 1, 0), DateToCenturies(1900, 3, 1, 0) - second,
        DateToCenturies(2000, 1, 1, 0) - second / 1000,
        // The switch: 4 October 1582 is followed by 15 October.
        DateToCenturies(1582, 10, 4, 23.999), DateToCenturies(1582, 10, 15, 0),
        DateToCenturies(1582, 10, 15, 0) - second / 1000,
        // Year 0, years before it, the first Julian days (the fraction has the most bits).
        DateToCenturies(0, 12, 31, 23.5), DateToCenturies(-1, 1, 1, 0),
        DateToCenturies(-4712, 1, 1, 12), DateToCenturies(-4712, 1, 1, 11.99),
        // Far away: years beyond 32 bits, Julian Days beyond 2^53, and no instant at all.
        2e11, -2e11, 2.4e11, 1e12, -1e12, 1e300, kNullInstant, kNaN, kInf, -kInf};
    EXPECT_TRUE(DecodesAsThePlainFunction(WithRepeatsAndAlternations(instants)));
}

// A table of bars and worse orders: runs across midnight at minute and second steps, jumps
// back, random instants, values that do not decode in between.
TEST(CenturyTimeDecoder, RunsOfInstantsGiveExactlyThePlainFunction) {
    std::mt19937_64 rng(1582);
    auto uniform = [&rng](double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(rng() >> 11) / 9007199254740992.0;
    };
    const double minute = 1.0 / 1440 / 36525;
    std::vector<double> instants;
    for (double start : {DateToCenturies(2024, 2, 28, 23.5), DateToCenturies(1582, 10, 4, 23.9),
                         DateToCenturies(1899, 12, 31, 11.0), DateToCenturies(-4712, 1, 1, 23.0),
                         DateToCenturies(1999, 12, 31, 23.9), -67.1, 1e-9, -1e-9})
        for (double step : {minute, minute / 60, minute * 60 * 24})
            for (int i = 0; i < 1500; ++i) instants.push_back(start + i * step);
    for (int i = 0; i < 30000; ++i) {
        instants.push_back(uniform(-200, 200));
        if (i % 97 == 0) instants.push_back(kNullInstant);
        if (i % 101 == 0) instants.push_back(kNaN);
        if (i % 89 == 0) instants.push_back(instants[instants.size() - 2]);  // the same day again
        if (i % 83 == 0) instants.push_back(uniform(1e11, 2.4e11));
    }
    EXPECT_TRUE(DecodesAsThePlainFunction(instants));
}

}  // namespace
}  // namespace vela
