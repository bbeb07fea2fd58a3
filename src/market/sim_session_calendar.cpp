#include "market/sim_session_calendar.h"

namespace vela::sim {

namespace {

// The day of weekday number w: WeekdayNumber the other way.
std::int64_t DayOfWeekdayNumber(std::int64_t w) {
    const std::int64_t week = FloorDiv(w, 5);
    return week * 7 + (w - week * 5) + 2;
}

}  // namespace

Calendar::Calendar(BarInterval interval, DayWindow window) : interval_(interval), window_(window) {
    const std::int32_t span = window.End - window.Start;
    perDay_ = interval.Daily ? 1 : (span + interval.Seconds - 1) / interval.Seconds;
}

BarPos Calendar::Back(BarPos p, std::int64_t& back) const {
    const std::int64_t index = WeekdayNumber(p.Day) * perDay_ + p.K;
    back = std::clamp<std::int64_t>(back, 0, index);
    return BarPos{DayOfWeekdayNumber((index - back) / perDay_),
                  static_cast<std::int32_t>((index - back) % perDay_)};
}

BarPos Calendar::NewestAt(std::int64_t sec) const {
    const std::int64_t day = FloorDiv(sec, kSecondsPerDay);
    const std::int64_t sod = sec - day * kSecondsPerDay;
    if (IsWeekday(day) && sod >= window_.Start) {
        if (interval_.Daily) return BarPos{day, 0};
        const std::int64_t k = (sod - window_.Start) / interval_.Seconds;
        return BarPos{day, static_cast<std::int32_t>(std::min<std::int64_t>(k, perDay_ - 1))};
    }
    std::int64_t d = day - 1;
    while (!IsWeekday(d)) --d;
    return BarPos{d, perDay_ - 1};
}

}  // namespace vela::sim
