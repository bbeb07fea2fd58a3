#pragma once

// The steps of the calendar conversions, shared by the plain functions of calendar.h and the
// converters of century_times.h, which reuse what depends on one day over a run of instants:
// both go through the very same arithmetic, so a reused step gives the very same number.
// Internal to src/text.

#include <cmath>
#include <cstdint>
#include <limits>

#include "text/calendar.h"

namespace vela::calendar_steps {

constexpr long double kTwo53 = 9007199254740992.0L;
constexpr long double kMillisecondsPerDay = 86400000.0L;

// Round to nearest, ties to even (the default rounding mode; rint avoids nearbyint's
// save and restore of the floating-point environment).
inline long double RoundHalfEven(long double v) {
    return std::rint(v);
}

// Truncation towards zero built on rint: std::trunc on long double switches the x87 control
// word twice per call, which made decoding several times slower.
inline long double Trunc(long double v) {
    long double r = std::rint(v);
    if (v >= 0 ? r > v : r < v) r += v >= 0 ? -1.0L : 1.0L;
    return r;
}

// Exact for the integral values within 32 bits it is used on: such a value is also a double,
// and converting a double is one instruction (a long double conversion switches the x87
// control word, lrint is a library call).
inline std::int32_t ToInt32(long double integral) {
    return static_cast<std::int32_t>(static_cast<double>(integral));
}

// The same for integral values of at most 2^53 in magnitude.
inline std::int64_t ExactInt64(long double integral) {
    return static_cast<std::int64_t>(static_cast<double>(integral));
}

inline bool FitsInt32(long double v) {
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

// --- Century time to calendar date ---

// The Julian Day of century time t split into the whole day (the day starting at midnight)
// and the fraction. False for the null instant and values too far away to decode.
inline bool SplitJulianDay(double t, long double& whole, long double& fraction) {
    if (t == kNullInstant || !std::isfinite(t)) return false;
    long double b = static_cast<long double>(t) * 36525.0L + 2415020.0L;
    b = b + 0.5L;
    if (!(std::fabs(b) <= kTwo53)) return false;
    whole = Trunc(b);
    fraction = b - whole;
    return true;
}

// The calendar date of a whole Julian day (Meeus), each part an exact integer.
struct JulianDate {
    long double DayOfMonth = 0;
    long double Month = 0;
    long double Year = 0;
};
JulianDate DateOfJulianDay(long double whole);

// The date and hours of the day's fraction; false when they do not fit 32 bits.
inline bool DateAndHours(const JulianDate& date, long double fraction, std::int32_t& year,
                         std::int32_t& month, std::int32_t& day, double& hours) {
    const long double dayWithFraction = date.DayOfMonth + fraction;
    const long double wholeDay = Trunc(dayWithFraction);
    if (!FitsInt32(date.Year) || !FitsInt32(wholeDay)) return false;
    year = ToInt32(date.Year);
    month = ToInt32(date.Month);
    day = ToInt32(wholeDay);
    hours = static_cast<double>((dayWithFraction - wholeDay) * 24.0L);
    return true;
}

// What DecodeCenturiesDate gives for the null instant and undecodable values.
inline void NullDate(std::int32_t& year, std::int32_t& month, std::int32_t& day, double& hours) {
    year = 1;
    month = 1;
    day = 1;
    hours = 0;
}

// --- Calendar date to century time ---

// The parts of the Julian Day that depend on the date alone, each an exact integer or a sum
// of them.
struct DateTerms {
    long double YearMonth = 0;  // the year and month as YYYYMM00
    long double DaysBefore = 0;
    long double Century = 0;
    long double QuarterCentury = 0;
};
DateTerms TermsOfDate(std::int32_t year, std::int32_t month, std::int32_t day);

inline long double DayFractionOfHours(double hours) {
    return static_cast<long double>(hours) / 24.0L;
}

inline double CenturiesOfDate(const DateTerms& terms, std::int32_t day, long double dayFraction) {
    const long double D = day;
    // The date as one number, YYYYMMDD.ff: the switch test below compares it with
    // 1582-10-15 exactly (the same test as on Y + M/100 + D/10000, without rounding noise).
    const long double s = terms.YearMonth + (D + dayFraction);
    long double j = terms.DaysBefore + dayFraction + 1720994.5L;
    // 15 October 1582 00:00 is already Gregorian.
    if (s >= 15821015.0L) j = j + 2.0L - terms.Century + terms.QuarterCentury;
    return static_cast<double>((j - 2415020.0L) / 36525.0L);
}

// --- Platform date-times ---

// Years 1..9999 span about -693593 .. 2958466 platform days.
inline bool PlatformDaysInRange(double days) {
    return std::isfinite(days) && days >= -693594.0 && days <= 2958466.0;
}

// The time of day in whole milliseconds, from the value and its whole part (the day; also
// before 1899 the magnitude of the fraction is the time). A time that rounds up to midnight
// moves the whole part to the next day.
inline long double MillisecondOfDay(double days, long double& whole) {
    long double ms =
        RoundHalfEven(std::fabs(static_cast<long double>(days) - whole) * kMillisecondsPerDay);
    if (ms >= kMillisecondsPerDay) {
        ms -= kMillisecondsPerDay;
        whole += days < 0 ? -1.0L : 1.0L;
    }
    return ms;
}

// The proleptic Gregorian date of a whole platform day; the year is clamped to 0..10000, so
// anything outside 1..9999 is one of those two.
struct PlatformDate {
    std::int32_t Year = 0;
    std::int32_t Month = 0;
    std::int32_t Day = 0;
};
PlatformDate DateOfPlatformDay(long double whole);

inline bool IsValidYear(std::int32_t year) {
    return year >= 1 && year <= 9999;
}

}  // namespace vela::calendar_steps
