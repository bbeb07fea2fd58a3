#pragma once

// When the simulated market trades and where the bars of an interval stand: weekdays, the
// day session and the bars of each day. Internal to the simulated feed.

#include <algorithm>
#include <cstdint>

#include "market/bar_interval.h"

namespace vela::sim {

inline constexpr std::int64_t kSecondsPerDay = 86400;
// Bars older than 1 January 1900 (a Monday) are not made: every bar stays within the
// calendar years that platform date-times can express.
inline constexpr std::int64_t kFirstDay = 2;

// The weekday day session, 09:30 to 16:00.
inline constexpr DayWindow kDaySession{9 * 3600 + 30 * 60, 16 * 3600};

constexpr bool InSession(std::int32_t secondOfDay) {
    return secondOfDay >= kDaySession.Start && secondOfDay < kDaySession.End;
}

// Weekdays counted without weekends: Monday 1 January 1900 (day 2) is number 0.
inline std::int64_t WeekdayNumber(std::int64_t day) {
    const std::int64_t week = FloorDiv(day, 7);
    return week * 5 + (day - week * 7) - 2;
}

struct BarPos {
    std::int64_t Day = 0;
    std::int32_t K = 0;
};

// Where the bars of one interval stand: on weekdays, from the window's start, one every
// interval (the last one of a day may be short); daily bars at midnight, spanning the window.
class Calendar {
  public:
    Calendar(BarInterval interval, DayWindow window);

    std::int64_t StartSec(BarPos p) const {
        return p.Day * kSecondsPerDay + (interval_.Daily ? 0 : From(p));
    }

    // The seconds of its day that a bar spans: [From, To).
    std::int32_t From(BarPos p) const {
        return interval_.Daily ? window_.Start : window_.Start + p.K * interval_.Seconds;
    }
    std::int32_t To(BarPos p) const {
        return interval_.Daily ? window_.End : std::min(From(p) + interval_.Seconds, window_.End);
    }

    // The bar up to back bars before p (a weekday's bar), no older than the first bar of 1
    // January 1900; back becomes how far that is.
    BarPos Back(BarPos p, std::int64_t& back) const;

    BarPos Next(BarPos p) const {
        if (p.K + 1 < perDay_) return BarPos{p.Day, p.K + 1};
        std::int64_t d = p.Day + 1;
        while (!IsWeekday(d)) ++d;
        return BarPos{d, 0};
    }

    // The newest bar that has opened by sec.
    BarPos NewestAt(std::int64_t sec) const;

  private:
    BarInterval interval_;
    DayWindow window_;
    std::int32_t perDay_ = 1;
};

}  // namespace vela::sim
