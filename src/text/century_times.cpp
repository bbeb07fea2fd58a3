#include "text/century_times.h"

#include "text/calendar.h"
#include "text/calendar_steps.h"

namespace vela {

using namespace calendar_steps;

namespace {

// The table of times of day costs more to set up than it saves on a short run (the hundred
// bars of an update); from a few thousand bars on it pays.
constexpr std::int64_t kRememberTimesOfDayFrom = 4096;
// One slot per second of the day modulo the size; a time of day that finds another in its
// slot is worked out again.
constexpr std::size_t kTimeOfDaySlots = 2048;

}  // namespace

CenturyTimeEncoder::CenturyTimeEncoder(std::int64_t expected) {
    if (expected >= kRememberTimesOfDayFrom) timesOfDay_.resize(kTimeOfDaySlots);
}

void CenturyTimeEncoder::StartDay(long double whole) {
    const PlatformDate date = DateOfPlatformDay(whole);
    day_.Whole = whole;
    day_.Valid = IsValidYear(date.Year);
    day_.DayOfMonth = date.Day;
    if (!day_.Valid) return;
    const DateTerms terms = TermsOfDate(date.Year, date.Month, date.Day);
    day_.YearMonth = terms.YearMonth;
    day_.DaysBefore = terms.DaysBefore;
    day_.Century = terms.Century;
    day_.QuarterCentury = terms.QuarterCentury;
}

std::optional<double> CenturyTimeEncoder::Encode(double platformDays) {
    if (!PlatformDaysInRange(platformDays)) return std::nullopt;
    // From day 0 on truncation is the floor, so within the day of the bar before the whole
    // part is known as it is.
    const long double v = platformDays;
    long double whole =
        day_.Whole >= 0 && v >= day_.Whole && v < day_.Whole + 1.0L ? day_.Whole : Trunc(v);
    const long double ms = MillisecondOfDay(platformDays, whole);
    if (!(whole == day_.Whole)) StartDay(whole);
    if (!day_.Valid) return std::nullopt;

    const auto second = static_cast<std::int32_t>(ExactInt64(ms) / 1000);
    auto dayFraction = [second] {
        const std::int32_t hour = second / 3600;
        const std::int32_t minute = second / 60 % 60;
        return DayFractionOfHours(hour + minute / 60.0 + second % 60 / 3600.0);
    };
    long double fraction = 0;
    if (timesOfDay_.empty()) {
        fraction = dayFraction();
    } else {
        TimeOfDay& slot = timesOfDay_[static_cast<std::size_t>(second) % kTimeOfDaySlots];
        if (slot.Second != second) {
            slot.Second = second;
            slot.DayFraction = dayFraction();
        }
        fraction = slot.DayFraction;
    }
    const DateTerms terms{day_.YearMonth, day_.DaysBefore, day_.Century, day_.QuarterCentury};
    return CenturiesOfDate(terms, day_.DayOfMonth, fraction);
}

void CenturyTimeDecoder::Decode(double t, std::int32_t& year, std::int32_t& month,
                                std::int32_t& day, double& hours) {
    long double whole = 0;
    long double fraction = 0;
    if (!SplitJulianDay(t, whole, fraction)) return NullDate(year, month, day, hours);
    if (!(whole == whole_)) {
        const JulianDate date = DateOfJulianDay(whole);
        whole_ = whole;
        dayOfMonth_ = date.DayOfMonth;
        month_ = date.Month;
        year_ = date.Year;
    }
    if (!DateAndHours(JulianDate{dayOfMonth_, month_, year_}, fraction, year, month, day, hours))
        NullDate(year, month, day, hours);
}

}  // namespace vela
