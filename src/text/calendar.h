#pragma once

#include <cstdint>

namespace vela {

// Century time: Julian centuries of 36525 days since Julian Day 2415020.0 (noon of
// 31 December 1899). The null instant 1e10 marks "no instant".
constexpr double kNullInstant = 1e10;

// Meeus' calendar algorithm in extended precision. The null instant, non-finite values and
// values too far away to decode (Julian Day beyond 2^53, or a year outside 32 bits) give
// year 1, month 1, day 1 at 0 hours.
void DecodeCenturies(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                     double& hours, double& hms);

// The same without the sexagesimal hours, for callers that only need the date and hours.
void DecodeCenturiesDate(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                         double& hours);

// Decimal hours (or degrees) to the sexagesimal form h.mmss, e.g. 12.5 -> 12.30.
long double HoursToHms(double h);

// Calendar date and decimal hours to century time (Julian calendar before 15 October 1582,
// Gregorian from then on).
double DateToCenturies(std::int32_t year, std::int32_t month, std::int32_t day, double hours);

// Calendar fields of a platform date-time (days since 30 December 1899, proleptic Gregorian,
// fraction = time of day). The time of day is rounded to the millisecond before the
// milliseconds are dropped, so whole-second times never lose a second.
struct CivilDateTime {
    std::int32_t Year = 1899;
    std::int32_t Month = 12;
    std::int32_t Day = 30;
    std::int32_t Hour = 0;
    std::int32_t Minute = 0;
    std::int32_t Second = 0;
    std::int32_t Millisecond = 0;
    friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

// False for a non-finite value or one outside the years 1..9999.
bool DecodePlatformDateTime(double days, CivilDateTime& out);
double EncodePlatformDateTime(const CivilDateTime& c);

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d);
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d);
// Days from 1970-01-01 to 30 December 1899, day 0 of the platform date-time.
inline constexpr std::int64_t kPlatformEpochDays = -25569;

// The proleptic Gregorian calendar's leap years and month lengths (month 1..12).
constexpr bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
constexpr std::int32_t DaysInMonth(std::int64_t year, std::int32_t month) {
    constexpr std::int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The ten days 5 to 14 October 1582 that the change from the Julian to the Gregorian calendar
// left out: century time has no such dates (4 October is followed by 15 October), so a date
// read from a file that names one of them does not exist.
constexpr bool IsLeftOutByCalendarReform(std::int64_t year, std::int32_t month, std::int32_t day) {
    return year == 1582 && month == 10 && day >= 5 && day <= 14;
}

// Day of week of a platform date-time, 1 = Sunday .. 7 = Saturday.
int PlatformDayOfWeek(double days);

}  // namespace vela
