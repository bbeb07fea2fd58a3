#include "market/sim_feed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include "market/sim_price_path.h"
#include "market/sim_session_calendar.h"

namespace vela {

namespace {

using sim::BarPos;
using sim::Calendar;
using sim::kFirstDay;
using sim::kSecondsPerDay;
using sim::Market;
using sim::MarketOf;
using sim::Path;
using sim::TickBar;
using sim::WeekdayNumber;

// After a long pause, at most this many missed bars are opened per tick.
constexpr int kMaxBarsPerTick = 100000;

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
    // The bars while another thread makes them; Bars is empty until they are taken.
    std::future<std::vector<BarPrices>> Making;

    // `count` bars from `oldest` on, as the market has traded them by nowSec.
    std::vector<BarPrices> MakeBars(BarPos oldest, std::int64_t count, std::int64_t nowSec) const {
        std::vector<BarPrices> bars;
        // Made oldest first: the path is walked forward, each part of it drawn once.
        bars.reserve(static_cast<std::size_t>(count));
        Path path(Symbol);
        BarPos p = oldest;
        for (std::int64_t n = 0; n < count; ++n, p = Cal.Next(p))
            bars.push_back(Make(path, p, nowSec));
        return bars;
    }

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

SimFeed::SimFeed(const SimFeedOptions& options, MessageLoop& loop, Clock& clock,
                 const Clock* market)
    : options_(options), loop_(loop), clock_(clock), market_(market ? *market : clock) {}

SimFeed::~SimFeed() {
    if (timer_ != 0) loop_.CancelTimer(timer_);
}

std::int64_t SimFeed::MarketSeconds() const {
    double days = options_.Start ? *options_.Start : market_.LocalNow();
    if (!std::isfinite(days) || std::fabs(days) > 3e6) days = 0;
    std::int64_t ms = static_cast<std::int64_t>(std::rint(days * 86400000.0));
    if (options_.Start && steadyAtStart_) ms += market_.SteadyMs() - *steadyAtStart_;
    return FloorDiv(ms, 1000);
}

std::int32_t SimFeed::RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                     const std::string& interval, std::int32_t /*btType*/,
                                     std::int32_t numBars, std::int32_t startTime,
                                     std::int32_t endTime) {
    BarInterval iv;
    DayWindow window;
    ReadRequest(interval, startTime, endTime, kSession, iv, window);
    // A fixed start is the instant of the first request, however long the program took to
    // get there: the same start gives the same bars.
    if (!steadyAtStart_) steadyAtStart_ = market_.SteadyMs();

    auto r = std::make_unique<SimRequest>(iv, window);
    r->Sink = &sink;
    if (SaysBlankSymbol(symbol, "sim")) {
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
        bool started = false;
        if (options_.BackgroundBars > 0 && count >= options_.BackgroundBars) {
            // A big history is made while the requester waits for readiness; the maker has
            // its own copy of the request's market and calendar.
            try {
                auto maker = std::make_shared<SimRequest>(iv, window);
                maker->Symbol = r->Symbol;
                r->Making = std::async(std::launch::async, [maker, oldest, back, nowSec] {
                    return maker->MakeBars(oldest, back + 1, nowSec);
                });
                started = true;
            } catch (const std::system_error&) {
                // No thread to be had: made here and now.
            }
        }
        if (!started) r->Bars = r->MakeBars(oldest, back + 1, nowSec);
    }

    const std::int32_t handle = Open(std::move(r));
    if (timer_ == 0) timer_ = loop_.StartTimer(kTickMs, [this] { Tick(); });
    return handle;
}

bool SimFeed::BecomesReady(Request& r) {
    if (clock_.SteadyMs() < static_cast<SimRequest&>(r).ReadyAtMs) return false;
    // Ready when its time has come, as the bars made on the spot are: waits for the rest.
    Settle(r);
    return true;
}

void SimFeed::Settle(Request& base) {
    auto& r = static_cast<SimRequest&>(base);
    if (r.Making.valid()) r.Bars = r.Making.get();
}

std::int32_t SimFeed::GetNumBars(std::int32_t handle) {
    if (Request* r = Find(handle)) Settle(*r);
    return FeedRequests::GetNumBars(handle);
}

BarData SimFeed::GetBar(std::int32_t handle, std::int32_t index) {
    if (Request* r = Find(handle)) Settle(*r);
    return FeedRequests::GetBar(handle, index);
}

bool SimFeed::Advance(SimRequest& r, std::int64_t nowSec) {
    Settle(r);
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
