#include "text/calendar.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vela {

namespace {

constexpr long double kTwo53 = 9007199254740992.0L;

void NullInstant(std::int32_t& year, std::int32_t& month, std::int32_t& day, double& hours,
                 double& hms) {
    year = 1;
    month = 1;
    day = 1;
    hours = 0;
    hms = 0;
}

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

bool FitsInt32(long double v) {
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

void DecodeCenturies(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                     double& hours, double& hms) {
    DecodeCenturiesDate(t, year, month, day, hours);
    hms = static_cast<double>(HoursToHms(hours));
}

void DecodeCenturiesDate(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                         double& hours) {
    CenturiesDateCache cache;
    DecodeCenturiesDate(t, year, month, day, hours, cache);
}

void DecodeCenturiesDate(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                         double& hours, CenturiesDateCache& cache) {
    double hms = 0;
    if (t == kNullInstant || !std::isfinite(t)) return NullInstant(year, month, day, hours, hms);
    long double b = static_cast<long double>(t) * 36525.0L + 2415020.0L;
    b = b + 0.5L;
    if (!(std::fabs(b) <= kTwo53)) return NullInstant(year, month, day, hours, hms);
    const long double z = Trunc(b);
    const long double f = b - z;
    // Everything but the fraction depends on the whole day z alone, and the day's whole part
    // below is an exact integer: reusing it gives the very same result.
    if (!(z == cache.WholeDay)) {
        long double a = z;
        if (z >= 2299161.0L) {
            const long double alpha = Trunc((z - 1867216.25L) / 36524.25L);
            a = z + 1.0L + alpha - Trunc(alpha / 4.0L);
        }
        const long double bb = a + 1524.0L;
        const long double c = Trunc((bb - 122.1L) / 365.25L);
        const long double d = Trunc(c * 365.25L);
        const long double e = Trunc((bb - d) / 30.6001L);
        cache.DayOfMonth = bb - d - Trunc(e * 30.6001L);
        const long double m = e < 13.5L ? e - 1.0L : e - 13.0L;
        long double y = m > 2.5L ? c - 4716.0L : c - 4715.0L;
        if (y < 0) y -= 1.0L;
        cache.Month = m;
        cache.Year = y;
        cache.WholeDay = z;
    }
    const long double dayWithFraction = cache.DayOfMonth + f;
    const long double wholeDay = Trunc(dayWithFraction);
    if (!FitsInt32(cache.Year) || !FitsInt32(wholeDay))
        return NullInstant(year, month, day, hours, hms);

    year = ToInt32(cache.Year);
    month = ToInt32(cache.Month);
    day = ToInt32(wholeDay);
    hours = static_cast<double>((dayWithFraction - wholeDay) * 24.0L);
}

long double HoursToHms(double h) {
    const long double n = RoundHalfEven(static_cast<long double>(h) * 10000.0L);
    const long double sign = n >= 0 ? 1.0L : -1.0L;
    const long double m = RoundHalfEven(std::fabs(n / 10000.0L) * 10000.0L);
    const long double hh = m / 10000.0L;
    const long double whole = Trunc(hh);
    const long double minutes = Trunc(RoundHalfEven((hh - whole) * 60.0L * 10000.0L) / 10000.0L);
    const long double seconds = RoundHalfEven(
        (3600.0L * m - 3600.0L * 10000.0L * whole - 60.0L * 10000.0L * minutes) / 10000.0L);
    return sign * (whole + minutes / 100.0L + seconds / 10000.0L);
}

double DateToCenturies(std::int32_t year, std::int32_t month, std::int32_t day, double hours) {
    DateToCenturiesCache cache;
    return DateToCenturies(year, month, day, hours, cache);
}

double DateToCenturies(std::int32_t year, std::int32_t month, std::int32_t day, double hours,
                       DateToCenturiesCache& cache) {
    return DayFractionToCenturies(year, month, day, static_cast<long double>(hours) / 24.0L, cache);
}

double DayFractionToCenturies(std::int32_t year, std::int32_t month, std::int32_t day,
                              long double dayFraction, DateToCenturiesCache& cache) {
    const long double D = day;
    // The parts that depend on the date alone are exact integers (or sums of them) and are
    // reused as they stand, so a cached result is the very same number.
    if (!cache.Valid || year != cache.Year || month != cache.Month || day != cache.Day) {
        long double Y = year;
        if (Y < 0) Y += 1.0L;
        const long double M = month;
        long double y = Y;
        long double m = M;
        if (!(M > 2)) {
            y = Y - 1.0L;
            m = M + 12.0L;
        }
        const long double a = y >= 0 ? Trunc(365.25L * y) : Trunc(365.25L * y - 0.75L);
        const long double b = Trunc(30.6001L * (m + 1.0L));
        cache.YearMonth = Y * 10000.0L + M * 100.0L;
        cache.DaysBefore = a + b + D;
        cache.Century = Trunc(y / 100.0L);
        cache.QuarterCentury = Trunc(cache.Century / 4.0L);
        cache.Year = year;
        cache.Month = month;
        cache.Day = day;
        cache.Valid = true;
    }
    // The date as one number, YYYYMMDD.ff: the switch test below compares it with
    // 1582-10-15 exactly (the same test as on Y + M/100 + D/10000, without rounding noise).
    const long double s = cache.YearMonth + (D + dayFraction);
    long double j = cache.DaysBefore + dayFraction + 1720994.5L;
    // 15 October 1582 00:00 is already Gregorian.
    if (s >= 15821015.0L) j = j + 2.0L - cache.Century + cache.QuarterCentury;
    return static_cast<double>((j - 2415020.0L) / 36525.0L);
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool DecodePlatformDateTime(double days, CivilDateTime& out) {
    PlatformDayCache cache;
    return DecodePlatformDateTime(days, out, cache);
}

bool DecodePlatformDateTime(double days, CivilDateTime& out, PlatformDayCache& cache) {
    // Years 1..9999 span about -693593 .. 2958466 platform days.
    if (!std::isfinite(days) || days < -693594.0 || days > 2958466.0) return false;
    // The whole part is the day and the magnitude of the fraction the time, also before 1899.
    // From day 0 on truncation is the floor, so within the cached day it is known as it is.
    const long double v = days;
    long double whole =
        cache.Whole >= 0 && v >= cache.Whole && v < cache.Whole + 1.0L ? cache.Whole : Trunc(v);
    long double ms = RoundHalfEven(std::fabs(v - whole) * 86400000.0L);
    if (ms >= 86400000.0L) {
        ms -= 86400000.0L;
        whole += days < 0 ? -1.0L : 1.0L;
    }
    if (!(whole == cache.Whole)) {
        std::int64_t y = 0;
        unsigned m = 0;
        unsigned d = 0;
        CivilFromDays(ExactInt64(whole) + kPlatformEpochDays, y, m, d);
        cache.Whole = whole;
        cache.Year = static_cast<std::int32_t>(std::clamp<std::int64_t>(y, 0, 10000));
        cache.Month = static_cast<std::int32_t>(m);
        cache.Day = static_cast<std::int32_t>(d);
    }
    if (cache.Year < 1 || cache.Year > 9999) return false;
    const std::int64_t msi = ExactInt64(ms);
    out.Year = cache.Year;
    out.Month = cache.Month;
    out.Day = cache.Day;
    out.Hour = static_cast<std::int32_t>(msi / 3600000);
    out.Minute = static_cast<std::int32_t>(msi / 60000 % 60);
    out.Second = static_cast<std::int32_t>(msi / 1000 % 60);
    out.Millisecond = static_cast<std::int32_t>(msi % 1000);
    return true;
}

double EncodePlatformDateTime(const CivilDateTime& c) {
    const std::int64_t day =
        DaysFromCivil(c.Year, static_cast<unsigned>(c.Month), static_cast<unsigned>(c.Day)) -
        kPlatformEpochDays;
    const double time =
        ((c.Hour * 60.0 + c.Minute) * 60.0 + c.Second + c.Millisecond / 1000.0) / 86400.0;
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

int PlatformDayOfWeek(double days) {
    // 30 December 1899 was a Saturday.
    const std::int64_t whole = static_cast<std::int64_t>(std::floor(days));
    return static_cast<int>(((whole % 7) + 7 + 6) % 7) + 1;
}

}  // namespace vela
