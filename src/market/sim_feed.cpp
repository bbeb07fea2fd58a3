#include "market/sim_feed.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace vela {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr double kSessionSeconds = 6.5 * 3600;
// Bars older than 1 January 1900 are not made: every bar stays within the calendar years
// that platform date-times can express.
constexpr std::int64_t kFirstDay = 2;
// After a long pause, at most this many missed bars are opened per tick.
constexpr int kMaxBarsPerTick = 100000;

std::uint64_t Fnv1a(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// splitmix64: small, fast, and the same sequence on every machine.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t Next() { return Mix(s_ += 0x9e3779b97f4a7c15ull); }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Mean 0, variance 1, bell-shaped (a sum of three uniforms).
    double Normal() { return (Uniform() + Uniform() + Uniform() - 1.5) * 2.0; }

  private:
    std::uint64_t s_;
};

double Cents(double price) {
    return std::rint(price * 100.0) / 100.0;
}

struct BarPos {
    std::int64_t Day = 0;
    std::int32_t K = 0;
};

// Where the bars of one interval stand: on weekdays, from the window's start, one every
// interval (the last one of a day may be short); daily bars at midnight.
class Calendar {
  public:
    Calendar(BarInterval interval, DayWindow window) : interval_(interval), window_(window) {
        const std::int32_t span = window.End - window.Start;
        perDay_ = interval.Daily ? 1 : (span + interval.Seconds - 1) / interval.Seconds;
    }

    std::int64_t StartSec(BarPos p) const {
        return p.Day * kSecondsPerDay +
               (interval_.Daily ? 0 : window_.Start + std::int64_t{p.K} * interval_.Seconds);
    }

    BarPos Prev(BarPos p) const {
        if (p.K > 0) return BarPos{p.Day, p.K - 1};
        std::int64_t d = p.Day - 1;
        while (!IsWeekday(d)) --d;
        return BarPos{d, perDay_ - 1};
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

    // The bar trading at sec, if the market is open then.
    bool Trading(std::int64_t sec, BarPos& out) const {
        const std::int64_t day = FloorDiv(sec, kSecondsPerDay);
        const std::int64_t sod = sec - day * kSecondsPerDay;
        if (!IsWeekday(day) || sod < window_.Start || sod >= window_.End) return false;
        out =
            BarPos{day, interval_.Daily
                            ? 0
                            : static_cast<std::int32_t>((sod - window_.Start) / interval_.Seconds)};
        return true;
    }

    // Share of a day's trading that one bar covers.
    double BarSeconds() const {
        return interval_.Daily ? window_.End - window_.Start : interval_.Seconds;
    }

    // Hours outside the regular session trade thinly.
    bool InSession(std::int64_t startSec) const {
        if (interval_.Daily) return true;
        const std::int64_t sod = startSec - FloorDiv(startSec, kSecondsPerDay) * kSecondsPerDay;
        return sod >= SimFeed::kSession.Start && sod < SimFeed::kSession.End;
    }

  private:
    BarInterval interval_;
    DayWindow window_;
    std::int32_t perDay_ = 1;
};

}  // namespace

struct SimFeed::SimRequest : FeedRequests::Request {
    SimRequest(BarInterval interval, DayWindow window, std::uint64_t seed)
        : Cal(interval, window), Random(seed) {}
    Calendar Cal;
    Rng Random;
    BarPos Newest;
    double Level = 100;
    double SigmaBar = 0.001;
    double SigmaTick = 0.0001;
    double SigmaGap = 0.004;
    double VolumePerSecond = 1000;
    std::int64_t ReadyAtMs = 0;

    double Volume(std::int64_t startSec, double seconds) {
        const double v = VolumePerSecond * seconds * (0.3 + 1.4 * Random.Uniform());
        return std::rint(Cal.InSession(startSec) ? v : v * 0.15);
    }

    // High and low around an open and a close already in cents.
    void Extremes(BarPrices& b) {
        const double hi = std::max(b.dOpen, b.dClose);
        const double lo = std::min(b.dOpen, b.dClose);
        b.dHigh = std::max(hi, Cents(hi * (1 + SigmaBar * 0.6 * Random.Uniform())));
        b.dLow = std::min(lo, std::max(0.01, Cents(lo * (1 - SigmaBar * 0.6 * Random.Uniform()))));
    }

    // Pulls a wandering price gently back towards the symbol's level.
    double Revert(double p) const { return std::max(0.05, p + 0.002 * (Level - p)); }
};

SimFeed::SimFeed(const SimFeedOptions& options, MessageLoop& loop, Clock& clock)
    : options_(options), loop_(loop), clock_(clock), steadyAtStart_(clock.SteadyMs()) {}

SimFeed::~SimFeed() {
    if (timer_ != 0) loop_.CancelTimer(timer_);
}

std::int64_t SimFeed::MarketSeconds() const {
    double days = options_.Start ? *options_.Start : clock_.LocalNow();
    if (!std::isfinite(days) || std::fabs(days) > 3e6) days = 0;
    std::int64_t ms = static_cast<std::int64_t>(std::rint(days * 86400000.0));
    if (options_.Start) ms += clock_.SteadyMs() - steadyAtStart_;
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

    const std::int64_t nowSec = MarketSeconds();
    const std::uint64_t symbolHash = Fnv1a(symbol);
    Calendar probe(iv, window);
    const BarPos newest = probe.NewestAt(nowSec);
    const std::uint64_t seed =
        Mix(options_.Seed ^
            Mix(symbolHash ^ Mix(static_cast<std::uint64_t>(iv.Seconds) * 2 + iv.Daily) ^
                Mix(static_cast<std::uint64_t>(probe.StartSec(newest))) ^
                Mix(static_cast<std::uint64_t>(window.Start) << 20 |
                    static_cast<std::uint64_t>(window.End))));
    auto r = std::make_unique<SimRequest>(iv, window, seed);
    r->Sink = &sink;
    r->Newest = newest;
    r->ReadyAtMs = clock_.SteadyMs() + std::max(options_.ReadyDelayMs, 0);

    // The symbol's character: indices ("$INDU") trade in thousands, stocks in tens.
    const double u = static_cast<double>(Mix(symbolHash) >> 11) * 0x1.0p-53;
    const bool index = !symbol.empty() && symbol[0] == '$';
    r->Level = index ? 1000.0 * std::pow(10.0, 1.6 * u) : 5.0 * std::pow(10.0, 2.0 * u);
    const double dayVolatility = index ? 0.009 : 0.014;
    r->SigmaBar = dayVolatility * std::sqrt(r->Cal.BarSeconds() / kSessionSeconds);
    r->SigmaTick = dayVolatility * std::sqrt(1.0 / kSessionSeconds) * 3.0;
    r->VolumePerSecond = (index ? 40000.0 : 300.0) * (0.5 + u);

    // Bars from the newest back, prices walked backwards from the level.
    const std::int32_t count = std::clamp(numBars, 0, kMaxBars);
    std::vector<BarPrices>& bars = r->Bars;
    bars.reserve(static_cast<std::size_t>(count));
    double p = Cents(r->Level * (1 + 0.02 * (r->Random.Uniform() - 0.5)));
    BarPos pos = newest;
    for (std::int32_t i = 0; i < count && pos.Day >= kFirstDay; ++i) {
        const std::int64_t start = r->Cal.StartSec(pos);
        BarPrices b;
        b.dtTime = PlatformTimeFromSeconds(start);
        b.dClose = Cents(p);
        const double step = std::clamp(r->SigmaBar * r->Random.Normal(), -0.5, 0.5);
        b.dOpen = std::max(0.01, Cents(b.dClose / (1 + step)));
        r->Extremes(b);
        b.dVolume = r->Volume(start, r->Cal.BarSeconds());
        bars.push_back(b);
        const BarPos older = r->Cal.Prev(pos);
        p = b.dOpen;
        if (older.Day != pos.Day) p /= 1 + std::clamp(r->SigmaGap * r->Random.Normal(), -0.5, 0.5);
        p = r->Revert(p);
        pos = older;
    }
    std::reverse(bars.begin(), bars.end());

    const std::int32_t handle = Open(std::move(r));
    if (timer_ == 0) timer_ = loop_.StartTimer(kTickMs, [this] { Tick(); });
    return handle;
}

bool SimFeed::BecomesReady(Request& r) {
    return clock_.SteadyMs() >= static_cast<SimRequest&>(r).ReadyAtMs;
}

bool SimFeed::Advance(SimRequest& r, std::int64_t nowSec) {
    BarPos trading;
    if (!r.Cal.Trading(nowSec, trading)) return false;
    const std::int64_t tradingStart = r.Cal.StartSec(trading);
    const std::int64_t newestStart = r.Cal.StartSec(r.Newest);
    if (r.Bars.empty() || tradingStart < newestStart) return false;
    if (tradingStart == newestStart) {
        // The forming bar moves.
        BarPrices& b = r.Bars.back();
        const double step = std::clamp(r.SigmaTick * r.Random.Normal(), -0.5, 0.5);
        b.dClose = std::max(0.01, Cents(b.dClose * (1 + step)));
        b.dHigh = std::max(b.dHigh, b.dClose);
        b.dLow = std::min(b.dLow, b.dClose);
        b.dVolume += std::rint(r.VolumePerSecond * (0.3 + 1.4 * r.Random.Uniform()));
        return true;
    }
    // New bars open: the ones the market went through unseen, then the one trading now.
    for (int n = 0; n < kMaxBarsPerTick && r.Cal.StartSec(r.Newest) < tradingStart; ++n) {
        const BarPos next = r.Cal.Next(r.Newest);
        const std::int64_t start = r.Cal.StartSec(next);
        double p = r.Bars.back().dClose;
        if (next.Day != r.Newest.Day)
            p *= 1 + std::clamp(r.SigmaGap * r.Random.Normal(), -0.5, 0.5);
        BarPrices b;
        b.dtTime = PlatformTimeFromSeconds(start);
        b.dOpen = std::max(0.01, Cents(r.Revert(p)));
        if (start == tradingStart) {
            b.dClose = b.dHigh = b.dLow = b.dOpen;
            b.dVolume = std::rint(r.VolumePerSecond * r.Random.Uniform());
        } else {
            const double step = std::clamp(r.SigmaBar * r.Random.Normal(), -0.5, 0.5);
            b.dClose = std::max(0.01, Cents(b.dOpen * (1 + step)));
            r.Extremes(b);
            b.dVolume = r.Volume(start, r.Cal.BarSeconds());
        }
        r.Bars.push_back(b);
        r.Newest = next;
    }
    return true;
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
