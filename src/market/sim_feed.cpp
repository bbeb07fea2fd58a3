#include "market/sim_feed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

namespace vela {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Bars older than 1 January 1900 (a Monday) are not made: every bar stays within the
// calendar years that platform date-times can express.
constexpr std::int64_t kFirstDay = 2;
// After a long pause, at most this many missed bars are opened per tick.
constexpr int kMaxBarsPerTick = 100000;

// The price path is one walk in steps of five seconds. Its points at the ends of weekdays,
// hours and minutes are made from the top down, each level a Brownian bridge between the
// points of the level above, so any stretch of time is reached directly. Highs and lows are
// gathered from the steps up, so every bar, of any interval, is exactly the aggregate of the
// steps it spans. Weekdays follow each other without a break: the end of a Friday is the
// start of the next Monday, so nights and weekends are gaps only to the day session.
constexpr std::int32_t kHoursPerDay = 24;
constexpr std::int32_t kMinutesPerHour = 60;
constexpr std::int32_t kStepsPerMinute = 12;
constexpr std::int32_t kStepSeconds = 5;
constexpr std::int32_t kMinutesPerDay = kMinutesPerHour * kHoursPerDay;
constexpr std::int32_t kStepsPerDay = kMinutesPerDay * kStepsPerMinute;
static_assert(SimFeed::kSession.Start % 60 == 0 && SimFeed::kSession.End % 60 == 0,
              "a minute lies wholly inside or outside the day session");

// A step of the day session moves (in variance) as much as twelve steps of the thin hours
// around it; the night then holds about a fifth of a day's variance, which makes plausible
// overnight gaps. It trades about seven times as much (20 to 3).
constexpr std::int64_t kSessionWeight = 12, kQuietWeight = 1;
constexpr std::int64_t kSessionVolume = 20, kQuietVolume = 3;

constexpr bool InSession(std::int32_t secondOfDay) {
    return secondOfDay >= SimFeed::kSession.Start && secondOfDay < SimFeed::kSession.End;
}

// Variance and volume weights of each hour of a day, in steps.
struct HourWeights {
    std::array<std::int64_t, kHoursPerDay + 1> Before{};  // variance from midnight
    std::array<double, kHoursPerDay + 1> Share{};         // of the day's variance
    std::array<std::int64_t, kHoursPerDay> Volume{};
};
constexpr HourWeights kHours = [] {
    HourWeights w;
    for (std::int32_t h = 0; h < kHoursPerDay; ++h) {
        w.Before[h + 1] = w.Before[h];
        for (std::int32_t m = 0; m < kMinutesPerHour; ++m) {
            const bool session = InSession((h * kMinutesPerHour + m) * 60);
            w.Before[h + 1] += (session ? kSessionWeight : kQuietWeight) * kStepsPerMinute;
            w.Volume[h] += (session ? kSessionVolume : kQuietVolume) * kStepsPerMinute;
        }
    }
    for (std::size_t h = 0; h <= kHoursPerDay; ++h)
        w.Share[h] = static_cast<double>(w.Before[h]) / static_cast<double>(w.Before.back());
    return w;
}();
constexpr std::int64_t kDayWeight = kHours.Before[kHoursPerDay];
constexpr std::int64_t kDayVolumeWeight = [] {
    std::int64_t sum = 0;
    for (const std::int64_t v : kHours.Volume) sum += v;
    return sum;
}();

// How each hour of a day divides into minutes: which trade in the day session, the share of
// the hour's variance before each, and their volume weights.
struct MinuteWeights {
    std::array<std::array<bool, kMinutesPerHour>, kHoursPerDay> Session{};
    std::array<std::array<double, kMinutesPerHour + 1>, kHoursPerDay> Before{};
    std::array<std::array<std::int64_t, kMinutesPerHour>, kHoursPerDay> Volume{};
};
constexpr MinuteWeights kMinutes = [] {
    MinuteWeights w;
    for (std::size_t h = 0; h < kHoursPerDay; ++h) {
        std::int64_t before = 0;
        const std::int64_t total = kHours.Before[h + 1] - kHours.Before[h];
        for (std::size_t m = 0; m < kMinutesPerHour; ++m) {
            const bool session = InSession(static_cast<std::int32_t>(h * 3600 + m * 60));
            w.Session[h][m] = session;
            before += (session ? kSessionWeight : kQuietWeight) * kStepsPerMinute;
            w.Before[h][m + 1] = static_cast<double>(before) / static_cast<double>(total);
            w.Volume[h][m] = session ? kSessionVolume : kQuietVolume;
        }
    }
    return w;
}();

// The day level: a symbol's log price at the start of each weekday is a Brownian bridge
// between anchors 4096 weekdays apart that scatter around the symbol's level. Any day is
// reached from its anchors in twelve halvings, and over decades the price stays near its level.
constexpr std::int64_t kAnchorDays = 4096;
constexpr double kAnchorSpread = 0.25;  // of the log price
constexpr double kLogUnit = 1e-9;       // log prices are held as integers of this unit

// Fixed-point arithmetic (32 fraction bits) keeps the steps the same on every machine.
constexpr std::int64_t kHalf = std::int64_t{1} << 31;
constexpr std::array<std::int64_t, kStepsPerMinute + 1> kTwelfths = [] {
    std::array<std::int64_t, kStepsPerMinute + 1> t{};
    for (std::int64_t i = 0; i <= kStepsPerMinute; ++i)
        t[static_cast<std::size_t>(i)] = ((i << 32) + kStepsPerMinute / 2) / kStepsPerMinute;
    return t;
}();

std::uint64_t Fnv1a(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

// splitmix64's output function: small, fast, and the same on every machine.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// To the nearest whole number, halves away from zero; inline, where std::llrint is a call.
std::int64_t Round(double x) {
    return static_cast<std::int64_t>(x + std::copysign(0.5, x));
}

// Counter-based draws: the bits of a draw come straight from its stream and index, so any
// stretch of the path is made without making what comes before it.
std::uint64_t Draw(std::uint64_t stream, std::int64_t index) {
    return Mix(stream + static_cast<std::uint64_t>(index) * 0xd1b54a32d192ed03ull);
}

// A bell-shaped draw from the low 36 bits (a sum of three 12-bit uniforms), standard
// deviation 4096 and bounded by three of them.
std::int64_t Bell(std::uint64_t bits) {
    const std::uint64_t sum = (bits & 0xfff) + (bits >> 12 & 0xfff) + (bits >> 24 & 0xfff);
    return 2 * static_cast<std::int64_t>(sum) - 12285;
}

// Mean 0, variance 1, bell-shaped: a sum of four 16-bit uniforms.
double Normal64(std::uint64_t bits) {
    const std::uint64_t sum =
        (bits & 0xffff) + (bits >> 16 & 0xffff) + (bits >> 32 & 0xffff) + (bits >> 48);
    return (static_cast<double>(sum) - 131070.0) * (1.7320508075688772 / 65536.0);
}

// A part's share of a volume, from the top 12 bits of its draw: 0.3 to 1.7 times its weight.
std::int64_t VolumeShare(std::int64_t weight, std::uint64_t bits) {
    return weight * (1229 + (5734 * static_cast<std::int64_t>(bits >> 52) >> 12));
}

// Shares a volume out by weight, exactly: the parts sum to the whole.
template <std::size_t N>
void ShareOut(std::int64_t volume, const std::array<std::int64_t, N>& weight,
              std::array<std::int64_t, N>& out) {
    std::int64_t total = 0;
    for (const std::int64_t w : weight) total += w;
    const double perWeight = static_cast<double>(volume) / static_cast<double>(total);
    std::int64_t before = 0, given = 0;
    for (std::size_t i = 0; i < N; ++i) {
        before += weight[i];
        const std::int64_t upTo =
            i + 1 == N ? volume
                       : static_cast<std::int64_t>(static_cast<double>(before) * perWeight);
        out[i] = upTo - given;
        given = upTo;
    }
}

// How a stretch divides into N parts: the spread of each part's walk (ticks), the share of
// the stretch's variance before each part (N + 1 of them), and each part's weight in its
// volume.
template <std::size_t N>
struct Division {
    std::array<double, N> Sd{};
    const double* Before = nullptr;
    const std::int64_t* Volume = nullptr;
};

// The points between parts of a stretch from first to last: a walk drawn from stream at
// index, index + 1, ..., pulled straight onto last (which makes it a Brownian bridge); and the
// stretch's volume shared out among the parts.
template <std::size_t N>
void Bridge(std::int64_t first, std::int64_t last, std::int64_t volume, const Division<N>& division,
            std::uint64_t stream, std::int64_t index, std::array<std::int64_t, N + 1>& ends,
            std::array<std::int64_t, N>& volumes) {
    std::array<std::int64_t, N> weight{};
    ends[0] = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const std::uint64_t bits = Draw(stream, index + static_cast<std::int64_t>(i));
        ends[i + 1] =
            ends[i] + Round(division.Sd[i] * static_cast<double>(Bell(bits)) * (1.0 / 4096));
        weight[i] = VolumeShare(division.Volume[i], bits);
    }
    const auto excess = static_cast<double>(ends[N] - (last - first));
    for (std::size_t i = 1; i < N; ++i)
        ends[i] = std::max<std::int64_t>(1, first + ends[i] - Round(excess * division.Before[i]));
    ends[0] = first;
    ends[N] = last;
    ShareOut(volume, weight, volumes);
}

// One symbol's market: what its path is drawn from.
struct Market {
    std::uint64_t AnchorKey = 0, LevelKey = 0, DayKey = 0, HourKey = 0, MinuteKey = 0, StepKey = 0,
                  VolumeKey = 0, SecondKey = 0;
    double Level = 100;
    double TicksPerUnit = 100;  // prices are whole ticks of 1 / TicksPerUnit
    double DayVolatility = 0.014;
    double VolumePerStep = 1000;  // in the day session, on average
};

Market MarketOf(std::uint64_t seed, std::string_view symbol) {
    Market m;
    const std::uint64_t symbolHash = Fnv1a(symbol);
    const std::uint64_t key = Mix(Mix(seed) ^ symbolHash);
    m.AnchorKey = Mix(key ^ 1);
    m.LevelKey = Mix(key ^ 2);
    m.DayKey = Mix(key ^ 3);
    m.HourKey = Mix(key ^ 4);
    m.MinuteKey = Mix(key ^ 5);
    m.StepKey = Mix(key ^ 6);
    m.VolumeKey = Mix(key ^ 7);
    m.SecondKey = Mix(key ^ 8);
    // The symbol's character: indices ("$INDU") trade in thousands, stocks in tens.
    const double u = static_cast<double>(Mix(symbolHash) >> 11) * 0x1.0p-53;
    const bool index = !symbol.empty() && symbol[0] == '$';
    m.Level = index ? 1000.0 * std::pow(10.0, 1.6 * u) : 5.0 * std::pow(10.0, 2.0 * u);
    // A tick that suits the level, so that cheap symbols move as much as dear ones.
    m.TicksPerUnit = m.Level >= 100 ? 100 : m.Level >= 10 ? 1000 : 10000;
    m.DayVolatility = index ? 0.009 : 0.014;
    m.VolumePerStep = (index ? 40000.0 : 300.0) * (0.5 + u) * kStepSeconds;
    return m;
}

// The symbol's log price (in kLogUnit) at the start of weekday number w.
std::int64_t LogLevel(const Market& m, std::int64_t w) {
    const std::int64_t anchor = FloorDiv(w, kAnchorDays);
    const auto anchorValue = [&m](std::int64_t a) {
        return Round(kAnchorSpread / kLogUnit * Normal64(Draw(m.AnchorKey, a)));
    };
    std::int64_t lo = anchor * kAnchorDays, hi = lo + kAnchorDays;
    std::int64_t atLo = anchorValue(anchor), atHi = anchorValue(anchor + 1);
    while (hi - lo > 1) {
        // A bridge's middle point: the mean of its ends, spread by half the span's walk.
        const std::int64_t mid = lo + (hi - lo) / 2;
        const double sd =
            m.DayVolatility / kLogUnit * std::sqrt(static_cast<double>(hi - lo) * 0.25);
        const std::int64_t atMid =
            FloorDiv(atLo + atHi, 2) + Round(sd * Normal64(Draw(m.LevelKey, mid)));
        if (w < mid) {
            hi = mid;
            atHi = atMid;
        } else {
            lo = mid;
            atLo = atMid;
        }
    }
    return atLo;
}

double ReferencePrice(const Market& m, std::int64_t w) {
    return m.Level * std::exp(static_cast<double>(LogLevel(m, w)) * kLogUnit);
}

// Weekdays counted without weekends: Monday 1 January 1900 (day 2) is number 0.
std::int64_t WeekdayNumber(std::int64_t day) {
    const std::int64_t week = FloorDiv(day, 7);
    return week * 5 + (day - week * 7) - 2;
}

std::int64_t DayOfWeekdayNumber(std::int64_t w) {
    const std::int64_t week = FloorDiv(w, 5);
    return week * 7 + (w - week * 5) + 2;
}

// Prices in whole ticks: bars aggregate exactly, and every interval shows the same prices.
struct TickBar {
    std::int64_t Open = 0, High = 0, Low = 0, Close = 0, Volume = 0;
};

void Merge(TickBar& into, const TickBar& later) {
    into.High = std::max(into.High, later.High);
    into.Low = std::min(into.Low, later.Low);
    into.Close = later.Close;
    into.Volume += later.Volume;
}

// Walks one market's path, holding the points of the day and hour it is in and the steps of
// the minute, so that bars made in time order draw each part of the path once.
class Path {
  public:
    explicit Path(const Market& m) : m_(m) {}

    // The path over [from, to) seconds of weekday w, 0 <= from < to <= 86400.
    TickBar Over(std::int64_t w, std::int32_t from, std::int32_t to) {
        TickBar bar = Piece(w, from, to);
        while (from < to) Merge(bar, Piece(w, from, to));
        return bar;
    }

    // The price at a second of weekday w, as a bar that has not traded yet.
    TickBar At(std::int64_t w, std::int32_t second) {
        const std::int32_t s = second / kStepSeconds;
        const std::int64_t p = Inside(Step(w, s), w, s, second % kStepSeconds);
        return TickBar{p, p, p, p, 0};
    }

  private:
    static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();

    // The longest whole stretch (minute, step or second) that starts at from and ends by to;
    // from moves past it.
    TickBar Piece(std::int64_t w, std::int32_t& from, std::int32_t to) {
        if (from % 60 == 0 && from + 60 <= to) {
            LoadMinute(w, from / 60);
            from += 60;
            return minute_;
        }
        const std::int32_t s = from / kStepSeconds, j = from % kStepSeconds;
        const TickBar& step = Step(w, s);
        if (j == 0 && from + kStepSeconds <= to) {
            from += kStepSeconds;
            return step;
        }
        ++from;
        const std::int64_t a = Inside(step, w, s, j), b = Inside(step, w, s, j + 1);
        return TickBar{a, std::max(a, b), std::min(a, b), b,
                       step.Volume * (j + 1) / kStepSeconds - step.Volume * j / kStepSeconds};
    }

    // A step with its volume.
    const TickBar& Step(std::int64_t w, std::int32_t stepOfDay) {
        LoadMinute(w, stepOfDay / kStepsPerMinute);
        if (!stepsMade_) {
            stepsMade_ = true;
            // 0.3 to 1.7 times an even share, five bits each.
            std::array<std::int64_t, kStepsPerMinute> weight{}, volume{};
            const std::uint64_t bits = Draw(m_.VolumeKey, minuteIndex_);
            for (std::size_t i = 0; i < kStepsPerMinute; ++i)
                weight[i] = 1229 + (5734 * static_cast<std::int64_t>(bits >> (5 * i) & 31) >> 5);
            ShareOut(minute_.Volume, weight, volume);
            for (std::size_t i = 0; i < kStepsPerMinute; ++i) {
                steps_[i] = MakeStep(i);
                steps_[i].Volume = volume[i];
            }
        }
        return steps_[static_cast<std::size_t>(stepOfDay % kStepsPerMinute)];
    }

    // The price j seconds into a step (0 <= j <= 5). The points inside reach the step's high
    // and low, so its five seconds aggregate to the step itself.
    std::int64_t Inside(const TickBar& step, std::int64_t w, std::int32_t stepOfDay,
                        std::int32_t j) const {
        if (j == 0) return step.Open;
        if (j == kStepSeconds) return step.Close;
        const std::uint64_t bits = Draw(m_.SecondKey, w * kStepsPerDay + stepOfDay);
        const std::uint64_t atHigh = bits & 3, atLow = (atHigh + 1 + (bits >> 2) % 3) % 4;
        const auto k = static_cast<std::uint64_t>(j - 1);
        if (k == atHigh) return step.High;
        if (k == atLow) return step.Low;
        const std::int64_t range = step.High - step.Low;
        const std::int64_t noise =
            static_cast<std::int64_t>(bits >> (8 + 8 * k) & 0xff) * (range + 1) >> 8;
        const std::int64_t trend = step.Open + FloorDiv((step.Close - step.Open) * j, kStepSeconds);
        return std::clamp(trend + noise - range / 2, step.Low, step.High);
    }

    void LoadDay(std::int64_t w) {
        if (w == day_) return;
        day_ = w;
        hour_ = minuteIndex_ = kNone;
        const double reference = ReferencePrice(m_, w);
        const auto ticks = [this](double price) {
            return std::max<std::int64_t>(1, Round(price * m_.TicksPerUnit));
        };
        // Volatility is a share of the price: the day's moves scale with where it opens.
        const double unitSigma = m_.DayVolatility * reference * m_.TicksPerUnit /
                                 std::sqrt(static_cast<double>(kDayWeight));
        for (const bool session : {false, true}) {
            const auto weight = static_cast<double>(session ? kSessionWeight : kQuietWeight);
            // Far above any price the day level reaches; keeps the fixed-point products of
            // the steps within 64 bits.
            const double step = std::min(unitSigma * std::sqrt(weight), 0x1p20);
            minuteSd_[session] = unitSigma * std::sqrt(weight * kStepsPerMinute);
            // A bell of 256 moves one sd; a step reaches up to 0.6 sd beyond its ends.
            stepScale_[session] = Round(step * 0x1p24);
            for (std::size_t k = 0; k < 16; ++k)
                reach_[session][k] = Round(step * 0.6 * static_cast<double>(k) / 16);
        }
        Division<kHoursPerDay> hours;
        for (std::size_t h = 0; h < kHoursPerDay; ++h)
            hours.Sd[h] =
                unitSigma * std::sqrt(static_cast<double>(kHours.Before[h + 1] - kHours.Before[h]));
        hours.Before = kHours.Share.data();
        hours.Volume = kHours.Volume.data();
        // Busier and quieter days: 0.7 to 1.3 times the usual volume.
        const std::uint64_t bits = Draw(m_.DayKey, w);
        const double busy = 0.7 + 0.6 * static_cast<double>(bits >> 11) * 0x1.0p-53;
        const std::int64_t volume = Round(m_.VolumePerStep * static_cast<double>(kDayVolumeWeight) /
                                          static_cast<double>(kSessionVolume) * busy);
        Bridge(ticks(reference), ticks(ReferencePrice(m_, w + 1)), volume, hours, m_.HourKey,
               w * kHoursPerDay, hourEnds_, hourVolumes_);
    }

    void LoadHour(std::int64_t w, std::int32_t hour) {
        const std::int64_t index = w * kHoursPerDay + hour;
        if (index == hour_) return;
        LoadDay(w);
        hour_ = index;
        const auto h = static_cast<std::size_t>(hour);
        Division<kMinutesPerHour> minutes;
        for (std::size_t m = 0; m < kMinutesPerHour; ++m)
            minutes.Sd[m] = minuteSd_[kMinutes.Session[h][m]];
        minutes.Before = kMinutes.Before[h].data();
        minutes.Volume = kMinutes.Volume[h].data();
        Bridge(hourEnds_[h], hourEnds_[h + 1], hourVolumes_[h], minutes, m_.MinuteKey,
               index * kMinutesPerHour, minuteEnds_, minuteVolumes_);
    }

    // The minute's steps: a bridge of twelve equal parts, in integers; each step reaches a
    // little beyond its ends. The minute's high and low are those of its steps. A step draws
    // 32 bits: a bell-shaped move from three bytes, and a nibble for each side's reach.
    void LoadMinute(std::int64_t w, std::int32_t minuteOfDay) {
        const std::int64_t index = w * kMinutesPerDay + minuteOfDay;
        if (index == minuteIndex_) return;
        LoadHour(w, minuteOfDay / kMinutesPerHour);
        minuteIndex_ = index;
        stepsMade_ = false;
        const auto m = static_cast<std::size_t>(minuteOfDay % kMinutesPerHour);
        const std::int64_t first = minuteEnds_[m], last = minuteEnds_[m + 1];
        const bool session = InSession(minuteOfDay * 60);
        const std::int64_t scale = stepScale_[session];
        stepSession_ = session;
        std::array<std::int64_t, kStepsPerMinute + 1>& ends = stepEnds_;
        const auto move = [scale](std::uint32_t bits) {
            const std::int64_t bell =
                2 * static_cast<std::int64_t>((bits & 0xff) + (bits >> 8 & 0xff) +
                                              (bits >> 16 & 0xff)) -
                765;
            return (bell * scale + kHalf) >> 32;
        };
        std::int64_t walk = 0;
        for (std::size_t i = 0; i < kStepsPerMinute; i += 2) {
            const std::uint64_t bits =
                Draw(m_.StepKey, index * (kStepsPerMinute / 2) + static_cast<std::int64_t>(i / 2));
            stepBits_[i] = static_cast<std::uint32_t>(bits);
            stepBits_[i + 1] = static_cast<std::uint32_t>(bits >> 32);
            walk += move(stepBits_[i]);
            ends[i + 1] = walk;
            walk += move(stepBits_[i + 1]);
            ends[i + 2] = walk;
        }
        // Pulled straight onto the minute's close; highs and lows gathered on the way.
        const std::int64_t excess = walk - (last - first);
        const std::int64_t* reach = reach_[session].data();
        std::int64_t open = first, high = first, low = first;
        ends[0] = first;
        for (std::size_t i = 0; i < kStepsPerMinute; ++i) {
            const std::int64_t close =
                i + 1 == kStepsPerMinute
                    ? last
                    : first + ends[i + 1] - ((excess * kTwelfths[i + 1] + kHalf) >> 32);
            ends[i + 1] = close;
            const std::uint32_t bits = stepBits_[i];
            // One comparison, no branch: which end is higher is a coin toss.
            const std::int64_t top = std::max(open, close), bottom = open + close - top;
            high = std::max(high, top + reach[bits >> 24 & 0xf]);
            low = std::min(low, bottom - reach[bits >> 28]);
            open = close;
        }
        // A price reaches the lowest tick only after a fall of tens of days' moves; then the
        // steps are held above it.
        if (low < 1) {
            for (std::size_t i = 1; i < kStepsPerMinute; ++i)
                ends[i] = std::max<std::int64_t>(1, ends[i]);
            high = first;
            low = first;
            for (std::size_t i = 0; i < kStepsPerMinute; ++i) {
                const TickBar step = MakeStep(i);
                high = std::max(high, step.High);
                low = std::min(low, step.Low);
            }
        }
        minute_ = TickBar{first, high, low, last, minuteVolumes_[m]};
    }

    // Step i of the minute held, without its volume.
    TickBar MakeStep(std::size_t i) const {
        const std::int64_t open = stepEnds_[i], close = stepEnds_[i + 1];
        const std::uint32_t bits = stepBits_[i];
        const std::int64_t* reach = reach_[stepSession_].data();
        return TickBar{open, std::max(open, close) + reach[bits >> 24 & 0xf],
                       std::max<std::int64_t>(1, std::min(open, close) - reach[bits >> 28]), close,
                       0};
    }

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

struct BarPos {
    std::int64_t Day = 0;
    std::int32_t K = 0;
};

// Where the bars of one interval stand: on weekdays, from the window's start, one every
// interval (the last one of a day may be short); daily bars at midnight, spanning the window.
class Calendar {
  public:
    Calendar(BarInterval interval, DayWindow window) : interval_(interval), window_(window) {
        const std::int32_t span = window.End - window.Start;
        perDay_ = interval.Daily ? 1 : (span + interval.Seconds - 1) / interval.Seconds;
    }

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
    BarPos Back(BarPos p, std::int64_t& back) const {
        const std::int64_t index = WeekdayNumber(p.Day) * perDay_ + p.K;
        back = std::clamp<std::int64_t>(back, 0, index);
        return BarPos{DayOfWeekdayNumber((index - back) / perDay_),
                      static_cast<std::int32_t>((index - back) % perDay_)};
    }

    BarPos Next(BarPos p) const {
        if (p.K + 1 < perDay_) return BarPos{p.Day, p.K + 1};
        std::int64_t d = p.Day + 1;
        while (!IsWeekday(d)) ++d;
        return BarPos{d, 0};
    }

    // The newest bar that has opened by sec.
    BarPos NewestAt(std::int64_t sec) const {
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

  private:
    BarInterval interval_;
    DayWindow window_;
    std::int32_t perDay_ = 1;
};

bool IsBlank(std::string_view s) {
    return s.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

bool SameBar(const BarPrices& a, const BarPrices& b) {
    return a.dtTime == b.dtTime && a.dOpen == b.dOpen && a.dHigh == b.dHigh && a.dLow == b.dLow &&
           a.dClose == b.dClose && a.dVolume == b.dVolume;
}

}  // namespace

struct SimFeed::SimRequest : FeedRequests::Request {
    SimRequest(BarInterval interval, DayWindow window) : Cal(interval, window) {}
    Market Symbol;
    Calendar Cal;
    BarPos Newest;
    std::int64_t MadeAt = 0;  // market second at which the bars were last made
    std::int64_t ReadyAtMs = 0;

    // A bar as the market has traded it by nowSec: the path from the bar's start up to then.
    BarPrices Make(Path& path, BarPos p, std::int64_t nowSec) const {
        const std::int32_t from = Cal.From(p);
        const std::int64_t traded = nowSec - p.Day * kSecondsPerDay;
        const auto to = static_cast<std::int32_t>(std::min<std::int64_t>(Cal.To(p), traded));
        const std::int64_t w = WeekdayNumber(p.Day);
        const TickBar t = to > from ? path.Over(w, from, to) : path.At(w, from);
        // Divided, not multiplied by the tick: a price is the double nearest its decimal.
        const double unit = Symbol.TicksPerUnit;
        std::array<double, 4> price = {static_cast<double>(t.Open), static_cast<double>(t.High),
                                       static_cast<double>(t.Low), static_cast<double>(t.Close)};
        for (double& x : price) x /= unit;
        return BarPrices{PlatformTimeFromSeconds(Cal.StartSec(p)),
                         price[0],
                         price[1],
                         price[2],
                         price[3],
                         static_cast<double>(t.Volume)};
    }

    std::int64_t EndSec(BarPos p) const { return p.Day * kSecondsPerDay + Cal.To(p); }
};

SimFeed::SimFeed(const SimFeedOptions& options, MessageLoop& loop, Clock& clock)
    : options_(options), loop_(loop), clock_(clock) {}

SimFeed::~SimFeed() {
    if (timer_ != 0) loop_.CancelTimer(timer_);
}

std::int64_t SimFeed::MarketSeconds() const {
    double days = options_.Start ? *options_.Start : clock_.LocalNow();
    if (!std::isfinite(days) || std::fabs(days) > 3e6) days = 0;
    std::int64_t ms = static_cast<std::int64_t>(std::rint(days * 86400000.0));
    if (options_.Start && steadyAtStart_) ms += clock_.SteadyMs() - *steadyAtStart_;
    return FloorDiv(ms, 1000);
}

std::int32_t SimFeed::RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                     const std::string& interval, std::int32_t /*btType*/,
                                     std::int32_t numBars, std::int32_t startTime,
                                     std::int32_t endTime) {
    BarInterval iv;
    if (!ParseBarInterval(interval, iv)) throw HooksError("Unknown interval \"" + interval + "\"");
    DayWindow window;
    if (!ResolveDayWindow(startTime, endTime, kSession, window))
        throw HooksError("Invalid time range " + std::to_string(startTime) + ", " +
                         std::to_string(endTime));
    // A fixed start is the instant of the first request, however long the program took to
    // get there: the same start gives the same bars.
    if (!steadyAtStart_) steadyAtStart_ = clock_.SteadyMs();

    auto r = std::make_unique<SimRequest>(iv, window);
    r->Sink = &sink;
    if (IsBlank(symbol)) {
        Report("sim: no symbol given; no bars");
        r->Ready = true;
        return Open(std::move(r));
    }
    r->Symbol = MarketOf(options_.Seed, symbol);
    r->ReadyAtMs = clock_.SteadyMs() + std::max(options_.ReadyDelayMs, 0);

    const std::int64_t nowSec = MarketSeconds();
    const Calendar& cal = r->Cal;
    r->Newest = cal.NewestAt(nowSec);
    r->MadeAt = nowSec;
    const std::int32_t count = std::clamp(numBars, 0, kMaxBars);
    if (count > 0 && r->Newest.Day >= kFirstDay) {
        std::int64_t back = count - 1;
        const BarPos oldest = cal.Back(r->Newest, back);
        // Made oldest first: the path is walked forward, each part of it drawn once.
        r->Bars.reserve(static_cast<std::size_t>(back + 1));
        Path path(r->Symbol);
        BarPos p = oldest;
        for (std::int64_t n = 0; n <= back; ++n, p = cal.Next(p))
            r->Bars.push_back(r->Make(path, p, nowSec));
    }

    const std::int32_t handle = Open(std::move(r));
    if (timer_ == 0) timer_ = loop_.StartTimer(kTickMs, [this] { Tick(); });
    return handle;
}

bool SimFeed::BecomesReady(Request& r) {
    return clock_.SteadyMs() >= static_cast<SimRequest&>(r).ReadyAtMs;
}

bool SimFeed::Advance(SimRequest& r, std::int64_t nowSec) {
    if (r.Bars.empty()) return false;
    Path path(r.Symbol);
    bool changed = false;
    // The newest bar was still forming when last made: it takes in the path since.
    if (nowSec > r.MadeAt && r.EndSec(r.Newest) > r.MadeAt) {
        const BarPrices b = r.Make(path, r.Newest, nowSec);
        changed = !SameBar(b, r.Bars.back());
        r.Bars.back() = b;
    }
    // New bars open: the ones the market went through unseen, then the one trading now.
    const std::int64_t newestStart = r.Cal.StartSec(r.Cal.NewestAt(nowSec));
    for (int n = 0; n < kMaxBarsPerTick && r.Cal.StartSec(r.Newest) < newestStart; ++n) {
        r.Newest = r.Cal.Next(r.Newest);
        r.Bars.push_back(r.Make(path, r.Newest, nowSec));
        changed = true;
    }
    r.MadeAt = std::max(r.MadeAt, nowSec);
    return changed;
}

void SimFeed::NoRequestsLeft() noexcept {
    if (timer_ != 0) loop_.CancelTimer(timer_);
    timer_ = 0;
}

void SimFeed::Tick() {
    timer_ = 0;
    if (!HasRequests()) return;
    // A receiver may drop the last owner of this feed; stay alive until the walk ends.
    const std::shared_ptr<MarketFeed> keepAlive = weak_from_this().lock();
    timer_ = loop_.StartTimer(kTickMs, [this] { Tick(); });
    const std::int64_t nowSec = MarketSeconds();
    for (const std::int32_t handle : Handles()) {
        // Looked up afresh: a receiver may have released requests or opened new ones.
        auto* r = static_cast<SimRequest*>(Find(handle));
        if (r != nullptr && Advance(*r, nowSec)) Notify(handle);
    }
}

}  // namespace vela
