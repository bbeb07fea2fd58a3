#include "market/bar_interval.h"

#include <charconv>

namespace vela {

bool ParseBarInterval(std::string_view text, BarInterval& out) {
    if (text.size() == 1 && (text[0] == 'D' || text[0] == 'd')) {
        out = BarInterval{86400, true};
        return true;
    }
    bool seconds = false;
    if (!text.empty() && (text.back() == 'S' || text.back() == 's')) {
        seconds = true;
        text.remove_suffix(1);
    }
    std::int32_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < 1)
        return false;
    if (seconds ? n > 86400 : n > 1440) return false;
    out = BarInterval{seconds ? n : n * 60, false};
    return true;
}

bool ResolveDayWindow(std::int32_t start, std::int32_t end, DayWindow sessionDefault,
                      DayWindow& out) {
    if (start == -1 && end == -1) {
        out = sessionDefault;
        return true;
    }
    if (start < 0 || end > 1440 || start >= end) return false;
    out = DayWindow{start * 60, end * 60};
    return true;
}

double PlatformTimeFromSeconds(std::int64_t seconds) {
    if (seconds >= 0) return static_cast<double>(seconds) / 86400.0;  // one rounding
    const std::int64_t day = FloorDiv(seconds, 86400);
    const double time = static_cast<double>(seconds - day * 86400) / 86400.0;
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

}  // namespace vela
