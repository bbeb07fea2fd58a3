#include "text/calendar.h"

#include <algorithm>
#include <cmath>

#include "text/calendar_steps.h"

namespace vela {

using namespace calendar_steps;

namespace calendar_steps {

JulianDate DateOfJulianDay(long double z) {
    long double a = z;
    if (z >= 2299161.0L) {
        const long double alpha = Trunc((z - 1867216.25L) / 36524.25L);
        a = z + 1.0L + alpha - Trunc(alpha / 4.0L);
    }
    const long double bb = a + 1524.0L;
    const long double c = Trunc((bb - 122.1L) / 365.25L);
    const long double d = Trunc(c * 365.25L);
    const long double e = Trunc((bb - d) / 30.6001L);
    JulianDate date;
    date.DayOfMonth = bb - d - Trunc(e * 30.6001L);
    date.Month = e < 13.5L ? e - 1.0L : e - 13.0L;
    date.Year = date.Month > 2.5L ? c - 4716.0L : c - 4715.0L;
    if (date.Year < 0) date.Year -= 1.0L;
    return date;
}

DateTerms TermsOfDate(std::int32_t year, std::int32_t month, std::int32_t day) {
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
    DateTerms terms;
    terms.YearMonth = Y * 10000.0L + M * 100.0L;
    terms.DaysBefore = a + b + static_cast<long double>(day);
    terms.Century = Trunc(y / 100.0L);
    terms.QuarterCentury = Trunc(terms.Century / 4.0L);
    return terms;
}

PlatformDate DateOfPlatformDay(long double whole) {
    std::int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    CivilFromDays(ExactInt64(whole) + kPlatformEpochDays, y, m, d);
    PlatformDate date;
    date.Year = static_cast<std::int32_t>(std::clamp<std::int64_t>(y, 0, 10000));
    date.Month = static_cast<std::int32_t>(m);
    date.Day = static_cast<std::int32_t>(d);
    return date;
}

}  // namespace calendar_steps

void DecodeCenturies(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                     double& hours, double& hms) {
    DecodeCenturiesDate(t, year, month, day, hours);
    hms = static_cast<double>(HoursToHms(hours));
}

void DecodeCenturiesDate(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                         double& hours) {
    long double whole = 0;
    long double fraction = 0;
    if (!SplitJulianDay(t, whole, fraction) ||
        !DateAndHours(DateOfJulianDay(whole), fraction, year, month, day, hours))
        NullDate(year, month, day, hours);
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
    return CenturiesOfDate(TermsOfDate(year, month, day), day, DayFractionOfHours(hours));
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
    if (!PlatformDaysInRange(days)) return false;
    long double whole = Trunc(days);
    const std::int64_t ms = ExactInt64(MillisecondOfDay(days, whole));
    const PlatformDate date = DateOfPlatformDay(whole);
    if (!IsValidYear(date.Year)) return false;
    out.Year = date.Year;
    out.Month = date.Month;
    out.Day = date.Day;
    out.Hour = static_cast<std::int32_t>(ms / 3600000);
    out.Minute = static_cast<std::int32_t>(ms / 60000 % 60);
    out.Second = static_cast<std::int32_t>(ms / 1000 % 60);
    out.Millisecond = static_cast<std::int32_t>(ms % 1000);
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
