#include "market/price_alerts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela {

std::optional<std::uint64_t> PriceAlerts::Add(double level, std::string* why) {
    if (std::string error = AlertLevelError(level); !error.empty()) {
        if (why != nullptr) *why = std::move(error);
        return std::nullopt;
    }
    PriceAlert alert;
    alert.Id = nextId_++;
    alert.Level = level;
    items_.push_back(alert);
    return alert.Id;
}

bool PriceAlerts::Restore(const PriceAlert& stored) {
    if (!AlertLevelError(stored.Level).empty()) return false;
    PriceAlert alert = stored;
    alert.Id = nextId_++;
    items_.push_back(alert);
    return true;
}

bool PriceAlerts::SetLevel(std::uint64_t id, double level, std::string* why) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [id](const PriceAlert& a) { return a.Id == id; });
    if (found == items_.end()) {
        if (why != nullptr) *why = "the alert is gone";
        return false;
    }
    if (std::string error = AlertLevelError(level); !error.empty()) {
        if (why != nullptr) *why = std::move(error);
        return false;
    }
    found->Level = level;
    found->Fired = false;
    return true;
}

bool PriceAlerts::Rearm(std::uint64_t id) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [id](const PriceAlert& a) { return a.Id == id; });
    if (found == items_.end()) return false;
    found->Fired = false;
    return true;
}

bool PriceAlerts::Remove(std::uint64_t id) {
    return std::erase_if(items_, [id](const PriceAlert& a) { return a.Id == id; }) > 0;
}

const PriceAlert* PriceAlerts::Find(std::uint64_t id) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [id](const PriceAlert& a) { return a.Id == id; });
    return found == items_.end() ? nullptr : &*found;
}

void PriceAlerts::Baseline(std::span<const BarPrices> bars) {
    if (bars.empty()) {
        reached_.reset();
        return;
    }
    const BarPrices& b = bars.back();
    reached_ = Reached{b.dtTime, b.dHigh, b.dLow, b.dClose};
}

std::optional<double> PriceAlerts::LastPrice() const {
    if (!reached_) return std::nullopt;
    return reached_->Close;
}

std::vector<AlertFiring> PriceAlerts::Check(std::span<const BarPrices> update) {
    std::vector<AlertFiring> fired;
    if (update.empty()) return fired;
    if (!reached_) {
        Baseline(update);
        return fired;
    }
    const Reached before = *reached_;
    const double last = update.back().dClose;
    // What the market traded since the previous update, taken once for all the alerts: the
    // range of the bars opened since then, and how far the bar forming then went on. The
    // bars are oldest first, so the search stops at the first older one from the end.
    constexpr double kNone = std::numeric_limits<double>::infinity();
    double newHigh = -kNone;
    double newLow = kNone;
    double formingHigh = -kNone;
    double formingLow = kNone;
    for (auto bar = update.rbegin(); bar != update.rend() && !(bar->dtTime < before.Time); ++bar) {
        const bool opened = bar->dtTime > before.Time;
        if (!opened && bar->dtTime != before.Time) continue;  // no time at all
        double& high = opened ? newHigh : formingHigh;
        double& low = opened ? newLow : formingLow;
        if (bar->dHigh > high) high = bar->dHigh;
        if (bar->dLow < low) low = bar->dLow;
    }
    for (PriceAlert& alert : items_) {
        if (alert.Fired) continue;
        const double level = alert.Level;
        // At the level itself the price has reached it already: it has to leave first.
        if (!(before.Close < level) && !(before.Close > level)) continue;
        const bool below = before.Close < level;
        const bool hit =
            below
                ? last >= level || newHigh >= level || (before.High < level && formingHigh >= level)
                : last <= level || newLow <= level || (before.Low > level && formingLow <= level);
        if (!hit) continue;
        alert.Fired = true;
        alert.Direction = below ? AlertDirection::FromBelow : AlertDirection::FromAbove;
        alert.Last = last;
        fired.push_back(AlertFiring{alert.Id, level, alert.Direction, last});
    }
    Baseline(update);
    return fired;
}

std::string AlertLevelError(double level) {
    if (std::isfinite(level)) return "";
    return "the level is not a finite number";
}

std::optional<double> ParseAlertLevel(std::string_view text, std::string* why) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    const std::string shown = "\"" + std::string(text) + "\"";
    double level = 0;
    // from_chars takes no leading "+"; a typed one is harmless.
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), level,
                                           std::chars_format::general);
    const bool whole = end == digits.data() + digits.size();
    if (ec == std::errc::result_out_of_range && whole) {
        if (why != nullptr) *why = shown + " is not a finite number";
        return std::nullopt;
    }
    if (text.empty() || ec != std::errc() || !whole) {
        if (why != nullptr) *why = text.empty() ? "no level given" : shown + " is not a number";
        return std::nullopt;
    }
    if (!std::isfinite(level)) {
        if (why != nullptr) *why = shown + " is not a finite number";
        return std::nullopt;
    }
    return level;
}

std::string_view DirectionText(AlertDirection direction) {
    return direction == AlertDirection::FromBelow ? "from below" : "from above";
}

std::string LevelText(double level) {
    return FloatToGeneralText(level);
}

double AlertTime(std::span<const BarPrices> update, double now) {
    constexpr double kDayInCenturies = 1.0 / 36525;
    if (update.empty()) return now;
    const double newest = update.back().dtTime;
    return std::fabs(now - newest) < kDayInCenturies ? now : newest;
}

std::string AlertLine(std::string_view symbol, std::string_view interval, const AlertFiring& firing,
                      double time) {
    std::string line = "ALERT ";
    line += symbol;
    line += ' ';
    line += interval;
    line += ": ";
    line += LevelText(firing.Level);
    line += " reached ";
    line += DirectionText(firing.Direction);
    line += " at ";
    line += DateTimeToText(5, '.', time);
    line += " (last ";
    line += RealToText(0, firing.Last);
    line += ')';
    return line;
}

}  // namespace vela
