#pragma once

// The simulated market's price path: one deterministic walk per symbol, a pure function of
// seed, symbol and time, from which every bar of every interval is gathered. Internal to the
// simulated feed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace vela::sim {

// The price path is one walk in steps of five seconds. Its points at the ends of weekdays,
// hours and minutes are made from the top down, each level a Brownian bridge between the
// points of the level above, so any stretch of time is reached directly. Highs and lows are
// gathered from the steps up, so every bar, of any interval, is exactly the aggregate of the
// steps it spans. Weekdays follow each other without a break: the end of a Friday is the
// start of the next Monday, so nights and weekends are gaps only to the day session.
inline constexpr std::int32_t kHoursPerDay = 24;
inline constexpr std::int32_t kMinutesPerHour = 60;
inline constexpr std::int32_t kStepsPerMinute = 12;
inline constexpr std::int32_t kStepSeconds = 5;
inline constexpr std::int32_t kMinutesPerDay = kMinutesPerHour * kHoursPerDay;
inline constexpr std::int32_t kStepsPerDay = kMinutesPerDay * kStepsPerMinute;

// One symbol's market: what its path is drawn from.
struct Market {
    std::uint64_t AnchorKey = 0, LevelKey = 0, DayKey = 0, HourKey = 0, MinuteKey = 0, StepKey = 0,
                  VolumeKey = 0, SecondKey = 0;
    double Level = 100;
    double TicksPerUnit = 100;  // prices are whole ticks of 1 / TicksPerUnit
    double DayVolatility = 0.014;
    double VolumePerStep = 1000;  // in the day session, on average
};

// The market of symbol under seed.
Market MarketOf(std::uint64_t seed, std::string_view symbol);

// Prices in whole ticks: bars aggregate exactly, and every interval shows the same prices.
struct TickBar {
    std::int64_t Open = 0, High = 0, Low = 0, Close = 0, Volume = 0;
};

// Walks one market's path, holding the points of the day and hour it is in and the steps of
// the minute, so that bars made in time order draw each part of the path once.
class Path {
  public:
    explicit Path(const Market& m) : m_(m) {}

    // The path over [from, to) seconds of weekday w, 0 <= from < to <= 86400.
    TickBar Over(std::int64_t w, std::int32_t from, std::int32_t to);

    // The price at a second of weekday w, as a bar that has not traded yet.
    TickBar At(std::int64_t w, std::int32_t second);

  private:
    static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();

    TickBar Piece(std::int64_t w, std::int32_t& from, std::int32_t to);
    const TickBar& Step(std::int64_t w, std::int32_t stepOfDay);
    std::int64_t Inside(const TickBar& step, std::int64_t w, std::int32_t stepOfDay,
                        std::int32_t j) const;
    void LoadDay(std::int64_t w);
    void LoadHour(std::int64_t w, std::int32_t hour);
    void LoadMinute(std::int64_t w, std::int32_t minuteOfDay);
    TickBar MakeStep(std::size_t i) const;

    const Market& m_;
    std::int64_t day_ = kNone;          // the weekday whose hours are held
    std::array<double, 2> minuteSd_{};  // quiet, session; on that day
    std::array<std::int64_t, 2> stepScale_{};
    std::array<std::array<std::int64_t, 16>, 2> reach_{};  // beyond a step's ends, by nibble
    std::array<std::int64_t, kHoursPerDay + 1> hourEnds_{};
    std::array<std::int64_t, kHoursPerDay> hourVolumes_{};
    std::int64_t hour_ = kNone;  // counted in weekday time, as minuteIndex_
    std::array<std::int64_t, kMinutesPerHour + 1> minuteEnds_{};
    std::array<std::int64_t, kMinutesPerHour> minuteVolumes_{};
    std::int64_t minuteIndex_ = kNone;
    TickBar minute_;
    bool stepSession_ = false;  // the minute held is in the day session
    std::array<std::uint32_t, kStepsPerMinute> stepBits_{};
    std::array<std::int64_t, kStepsPerMinute + 1> stepEnds_{};
    std::array<TickBar, kStepsPerMinute> steps_{};
    bool stepsMade_ = false;  // steps_ hold the minute's steps
};

}  // namespace vela::sim
