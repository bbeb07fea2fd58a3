#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "market/bar_data.h"

namespace vela {

// The side the price came from when it reached a level.
enum class AlertDirection { FromBelow, FromAbove };

// A level a trader wants to be told about. Armed until the market trades through it, then
// fired until re-armed.
struct PriceAlert {
    std::uint64_t Id = 0;  // stays with the alert while others come and go
    double Level = 0;
    bool Fired = false;
    AlertDirection Direction = AlertDirection::FromBelow;  // how it fired
    double Last = 0;                                       // the last price when it fired
    friend bool operator==(const PriceAlert&, const PriceAlert&) = default;
};

// One alert that fired on an update.
struct AlertFiring {
    std::uint64_t Id = 0;
    double Level = 0;
    AlertDirection Direction = AlertDirection::FromBelow;
    double Last = 0;  // the newest close of the update
};

// A chart window's alerts and what the market had reached when they were last checked.
//
// An armed alert fires on an update when the market traded through its level since the
// previous update: the last price crossed it (the previous close on one side, the new one at
// or beyond it), the bar that was forming then rose (fell) past it, or a bar that opened
// since then reached it. The side is that of the previous close; an alert whose level is
// exactly that close waits for the price to leave it. What was traded before an alert was
// made (or re-armed) never fires it.
class PriceAlerts {
  public:
    const std::vector<PriceAlert>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }

    // Adds an armed alert; nothing, with the reason, for a level that is no finite number.
    std::optional<std::uint64_t> Add(double level, std::string* why = nullptr);
    // A stored alert as it was (a desktop's): armed or fired. False for a level that is no
    // finite number.
    bool Restore(const PriceAlert& alert);
    // Moves an alert to another level and arms it again; false when the level is refused or
    // the alert is gone.
    bool SetLevel(std::uint64_t id, double level, std::string* why = nullptr);
    bool Rearm(std::uint64_t id);
    bool Remove(std::uint64_t id);
    void Clear() { items_.clear(); }
    const PriceAlert* Find(std::uint64_t id) const;

    // A history arrived (a new run): its newest bar is what the market has reached; nothing
    // fires from the history itself.
    void Baseline(std::span<const BarPrices> bars);
    // The bars an update brought, oldest first (the newest ones of the chart): fires every
    // armed alert the market traded through since the previous update, in the order the
    // alerts were made. The first update without a baseline only sets it.
    std::vector<AlertFiring> Check(std::span<const BarPrices> update);

    // The newest close the alerts know, if any.
    std::optional<double> LastPrice() const;

  private:
    // The newest bar as the previous update (or the run) left it.
    struct Reached {
        double Time = 0;
        double High = 0;
        double Low = 0;
        double Close = 0;
    };

    std::vector<PriceAlert> items_;
    std::optional<Reached> reached_;
    std::uint64_t nextId_ = 1;
};

// Why a level cannot be an alert's ("" when it can): it must be a finite number.
std::string AlertLevelError(double level);
// A level as typed: a decimal number with "." as the point, blanks around it allowed.
// Nothing, with the reason, for any other text.
std::optional<double> ParseAlertLevel(std::string_view text, std::string* why = nullptr);

// "from below" or "from above".
std::string_view DirectionText(AlertDirection direction);
// "3830": a level as the price axis writes its labels.
std::string LevelText(double level);

// When the alerts an update fired are said to have fired, in century time: now, while the
// update's newest bar lies within a day of now; otherwise that bar's own time, as a
// replayed file or a simulated past runs on a clock of its own.
double AlertTime(std::span<const BarPrices> update, double now);

// The line that tells of a firing: "ALERT BTCUSDT 1 min: 3830 reached from below at
// 03:01:05 PM (last 3830.8)"; time is a century time.
std::string AlertLine(std::string_view symbol, std::string_view interval, const AlertFiring& firing,
                      double time);

}  // namespace vela
