#pragma once

#include <cstdint>
#include <string_view>

namespace vela {

// A bar interval as the chart window names it: "5S", "10S", "30S" (seconds), "1" .. "60"
// (minutes) or "D" (one bar per day). Letters may be either case.
struct BarInterval {
    std::int32_t Seconds = 0;  // length of an intraday bar; 86400 for daily bars
    bool Daily = false;
};

// Seconds 1..86400, minutes 1..1440, or "D"; anything else fails.
bool ParseBarInterval(std::string_view text, BarInterval& out);

// The part of each day a request covers, in seconds of the day: [Start, End).
struct DayWindow {
    std::int32_t Start = 0;
    std::int32_t End = 86400;
};

// Start and end values of a history request: -1, -1 gives sessionDefault; 0 <= start < end
// <= 1440 are minutes of the day (0, 1440 is the whole day). Anything else fails.
bool ResolveDayWindow(std::int32_t start, std::int32_t end, DayWindow sessionDefault,
                      DayWindow& out);

// Platform date-time of whole seconds since 30 December 1899 00:00 (before that date the
// fraction still counts forward within the day, as platform date-times do).
double PlatformTimeFromSeconds(std::int64_t seconds);

// Floor division for day arithmetic on negative seconds.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Monday to Friday, for a day counted from 30 December 1899 (a Saturday).
inline bool IsWeekday(std::int64_t day) {
    const std::int64_t dow = ((day % 7) + 7) % 7;  // 0 Saturday, 1 Sunday, 2 Monday ...
    return dow >= 2;
}

}  // namespace vela
