#include "market/sim_price_path.h"

#include <algorithm>
#include <cmath>

#include "market/bar_interval.h"
#include "market/sim_session_calendar.h"

namespace vela::sim {

namespace {

static_assert(kDaySession.Start % 60 == 0 && kDaySession.End % 60 == 0,
              "a minute lies wholly inside or outside the day session");

// A step of the day session moves (in variance) as much as twelve steps of the thin hours
// around it; the night then holds about a fifth of a day's variance, which makes plausible
// overnight gaps. It trades about seven times as much (20 to 3).
constexpr std::int64_t kSessionWeight = 12, kQuietWeight = 1;
constexpr std::int64_t kSessionVolume = 20, kQuietVolume = 3;

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

void Merge(TickBar& into, const TickBar& later) {
    into.High = std::max(into.High, later.High);
    into.Low = std::min(into.Low, later.Low);
    into.Close = later.Close;
    into.Volume += later.Volume;
}

}  // namespace

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

TickBar Path::Over(std::int64_t w, std::int32_t from, std::int32_t to) {
    TickBar bar = Piece(w, from, to);
    while (from < to) Merge(bar, Piece(w, from, to));
    return bar;
}

TickBar Path::At(std::int64_t w, std::int32_t second) {
    const std::int32_t s = second / kStepSeconds;
    const std::int64_t p = Inside(Step(w, s), w, s, second % kStepSeconds);
    return TickBar{p, p, p, p, 0};
}

// The parts of the walk are inline, as members defined in the class are: only Over and At call
// them, and folded into those they make a bar with fewer instructions.

// The longest whole stretch (minute, step or second) that starts at from and ends by to;
// from moves past it.
inline TickBar Path::Piece(std::int64_t w, std::int32_t& from, std::int32_t to) {
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
inline const TickBar& Path::Step(std::int64_t w, std::int32_t stepOfDay) {
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
inline std::int64_t Path::Inside(const TickBar& step, std::int64_t w, std::int32_t stepOfDay,
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

inline void Path::LoadDay(std::int64_t w) {
    if (w == day_) return;
    day_ = w;
    hour_ = minuteIndex_ = kNone;
    const double reference = ReferencePrice(m_, w);
    const auto ticks = [this](double price) {
        return std::max<std::int64_t>(1, Round(price * m_.TicksPerUnit));
    };
    // Volatility is a share of the price: the day's moves scale with where it opens.
    const double unitSigma =
        m_.DayVolatility * reference * m_.TicksPerUnit / std::sqrt(static_cast<double>(kDayWeight));
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

inline void Path::LoadHour(std::int64_t w, std::int32_t hour) {
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
inline void Path::LoadMinute(std::int64_t w, std::int32_t minuteOfDay) {
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
        const std::int64_t bell = 2 * static_cast<std::int64_t>((bits & 0xff) + (bits >> 8 & 0xff) +
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
inline TickBar Path::MakeStep(std::size_t i) const {
    const std::int64_t open = stepEnds_[i], close = stepEnds_[i + 1];
    const std::uint32_t bits = stepBits_[i];
    const std::int64_t* reach = reach_[stepSession_].data();
    return TickBar{open, std::max(open, close) + reach[bits >> 24 & 0xf],
                   std::max<std::int64_t>(1, std::min(open, close) - reach[bits >> 28]), close, 0};
}

}  // namespace vela::sim
