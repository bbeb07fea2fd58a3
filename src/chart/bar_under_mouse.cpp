#include "chart/bar_under_mouse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "chart/chart_mapping.h"
#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela {

namespace {

constexpr std::size_t kMaxAverages = 3;

std::optional<std::int32_t> BarAt(std::int64_t position, std::int32_t bars) {
    if (position < 0 || position >= bars) return std::nullopt;
    return static_cast<std::int32_t>(position);
}

}  // namespace

std::optional<std::int32_t> BarUnderMouse(std::span<const double> times, std::int32_t bars,
                                          bool intraday, const TRect& plot, std::int32_t x) {
    bars = static_cast<std::int32_t>(std::min<std::int64_t>(bars, std::ssize(times)));
    if (bars < 1) return std::nullopt;
    const auto position = ChartMapping(times, intraday, plot, 0, 1).PositionAt(x);
    if (!position) return std::nullopt;
    return BarAt(*position, bars);
}

std::string BarReadout(const BarPrices& bar) {
    std::string text = DateTimeToText(0, '.', bar.dtTime);
    const auto add = [&text](const char* name, double v) {
        text += "  ";
        text += name;
        text += ' ';
        AppendRealText(text, 0, v);
    };
    add("O", bar.dOpen);
    add("H", bar.dHigh);
    add("L", bar.dLow);
    add("C", bar.dClose);
    // Volumes are counts of shares or contracts: a whole one has no ".0"; a fraction of a
    // coin keeps its decimals.
    const double v = bar.dVolume;
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e15) {
        text += "  V ";
        text += std::to_string(static_cast<std::int64_t>(v));
    } else {
        add("V", v);
    }
    return text;
}

std::string AveragesValue(const std::vector<ChartAverage>& averages) {
    std::string value;
    for (const ChartAverage& a : averages) {
        if (!value.empty()) value += ',';
        value += std::to_string(a.Type) + ':' + std::to_string(a.Window);
    }
    return value;
}

std::vector<ChartAverage> AveragesFromValue(const std::string& value) {
    std::vector<ChartAverage> averages;
    std::size_t start = 0;
    while (start <= value.size() && averages.size() < kMaxAverages) {
        const std::size_t end = std::min(value.find(',', start), value.size());
        const std::string_view item(value.data() + start, end - start);
        const std::size_t colon = item.find(':');
        ChartAverage a;
        if (colon != std::string_view::npos) {
            const char* typeEnd = item.data() + colon;
            const char* windowEnd = item.data() + item.size();
            const auto t = std::from_chars(item.data(), typeEnd, a.Type);
            const auto w = std::from_chars(typeEnd + 1, windowEnd, a.Window);
            if (t.ec == std::errc() && t.ptr == typeEnd && w.ec == std::errc() &&
                w.ptr == windowEnd && a.Type >= 0 && a.Window > 0)
                averages.push_back(a);
        }
        start = end + 1;
    }
    return averages;
}

}  // namespace vela
