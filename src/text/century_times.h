#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace vela {

// Platform date-times (days since 30 December 1899, as bars arrive from the data source) to
// century time, one after another: the calendar fields (DecodePlatformDateTime), the hours
// hour + minute/60 + second/3600 with the milliseconds dropped, then DateToCenturies. What
// depends on the day alone, or on the time of day alone, is worked out once and reused as it
// stands, so every result is the very number of those steps taken one by one.
class CenturyTimeEncoder {
  public:
    // For a run of about `expected` date-times; a long one (a download of thousands of bars)
    // also remembers the times of day it has seen.
    explicit CenturyTimeEncoder(std::int64_t expected = 0);

    // Nothing when the date-time is not valid.
    std::optional<double> Encode(double platformDays);

  private:
    struct Day {
        long double Whole = std::numeric_limits<long double>::quiet_NaN();
        bool Valid = false;
        std::int32_t DayOfMonth = 0;
        long double YearMonth = 0;
        long double DaysBefore = 0;
        long double Century = 0;
        long double QuarterCentury = 0;
    };
    struct TimeOfDay {
        std::int32_t Second = -1;
        long double DayFraction = 0;
    };
    void StartDay(long double whole);

    Day day_;
    std::vector<TimeOfDay> timesOfDay_;
};

// Century times to calendar date and hours, exactly as DecodeCenturiesDate gives them, one
// after another: the date's arithmetic is done once per day, which makes a table of bars cheap.
class CenturyTimeDecoder {
  public:
    void Decode(double t, std::int32_t& year, std::int32_t& month, std::int32_t& day,
                double& hours);

  private:
    long double whole_ = std::numeric_limits<long double>::quiet_NaN();
    long double dayOfMonth_ = 0;
    long double month_ = 0;
    long double year_ = 0;
};

}  // namespace vela
