#pragma once

#include <array>
#include <string_view>

namespace vela {

// Date and clock display, fixed at start-up (never read from the user's locale).
struct DisplaySettings {
    bool MonthFirst = true;    // dates month first; false: day first
    bool TwelveHour = true;    // 12-hour clock with " AM" / " PM"
    bool NoonAsTwelve = true;  // after the 12-hour split, hours below 1 show as 12
};

// The settings in force for the whole process.
inline constexpr DisplaySettings kDisplaySettings{};

// Month names by month number 1..12; slot 0 is empty. Only May has no trailing point.
inline constexpr std::array<std::string_view, 13> kMonthNames = {
    "",     "Jan.", "Feb.", "Mar.", "Apr.", "May", "Jun.",
    "Jul.", "Aug.", "Sep.", "Oct.", "Nov.", "Dec."};

}  // namespace vela
