#include "market/network_feed.h"

#include <algorithm>
#include <cmath>

#include "market/history_paging.h"
#include "market/interval_table.h"
#include "market/kline_bars.h"

namespace vela {

namespace {

constexpr std::size_t kMaxReported = 20;
// Live changes that arrive while a history is still coming in wait for it, up to this many.
constexpr std::size_t kMaxBuffered = 100'000;

// How the chart window names an interval ("1 min"), for reports.
std::string DescribeInterval(const BarInterval& iv) {
    for (const IntervalEntry& e : kIntervalTable) {
        BarInterval other;
        if (ParseBarInterval(e.Text, other) && other.Daily == iv.Daily &&
            other.Seconds == iv.Seconds)
            return std::string(e.Item);
    }
    if (iv.Daily) return "1 day";
    return iv.Seconds % 60 == 0 ? std::to_string(iv.Seconds / 60) + " min"
                                : std::to_string(iv.Seconds) + " s";
}

// "https://host:port" of a URL, to say where an answer did not come from.
std::string Origin(const std::string& url) {
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    return url.substr(0, path);
}

}  // namespace

struct NetworkFeed::NetRequest : FeedRequests::Request {
    enum class Phase { Paging, CatchingUp, Live, Failed };

    NetworkFeed* Owner = nullptr;
    std::int32_t Handle = 0;
    std::string Symbol;
    std::string Label;   // "binance BTCUSDT 1 min"
    std::string Stream;  // empty: none wanted
    IntervalPlan Plan;
    std::int32_t Wanted = 0;
    Phase State = Phase::Paging;
    std::unique_ptr<HistoryPaging> Paging;
    std::unique_ptr<KlineBars> Built;
    std::int64_t StartedMs = 0;
    std::vector<Kline> Buffered;
    bool Gap = false;  // live changes may have been missed since the bars were last complete
    std::size_t Reported = 0;
    std::size_t Unreported = 0;

    ~NetRequest() override {
        if (Owner != nullptr) Owner->Forget(*this);
    }
};

NetworkFeed::NetworkFeed(std::unique_ptr<ExchangeProtocol> protocol, NetworkFeedOptions options,
                         MessageLoop& loop, Clock& clock, HttpTransport& http,
                         WebSocketTransport& ws)
    : protocol_(std::move(protocol)),
      options_(options),
      loop_(loop),
      clock_(clock),
      http_(http),
      ws_(ws),
      reconnectMs_(options.FirstReconnectMs) {}

NetworkFeed::~NetworkFeed() {
    // Requests go first: each forgets its jobs and streams here, while the feed is whole.
    ReleaseAll();
    for (const auto& [id, job] : inFlight_) http_.Cancel(id);
    inFlight_.clear();
    if (ping_ != 0) http_.Cancel(ping_);
    for (const MessageLoop::TimerId t : {wakeTimer_, reconnectTimer_, subscribeTimer_})
        if (t != 0) loop_.CancelTimer(t);
    Disconnect();
}

std::int32_t NetworkFeed::IsEntitled() {
    const std::int64_t now = clock_.SteadyMs();
    if (ping_ == 0 && (pingedAtMs_ < 0 || now - pingedAtMs_ >= options_.EntitlementEveryMs)) {
        pingedAtMs_ = now;
        auto id = std::make_shared<HttpTransport::RequestId>(0);
        *id = http_.Get(protocol_->PingUrl(), options_.RequestTimeoutMs,
                        [this, id](const HttpResponse& r) {
                            if (ping_ != *id) return;
                            ping_ = 0;
                            entitled_ = r.Status == 200 ? 1 : 0;
                        });
        ping_ = *id;
    }
    return entitled_;
}

std::int32_t NetworkFeed::RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                         const std::string& interval, std::int32_t /*btType*/,
                                         std::int32_t numBars, std::int32_t startTime,
                                         std::int32_t endTime) {
    BarInterval iv;
    DayWindow window;
    // The exchange trades around the clock: every bar of the day is served.
    ReadRequest(interval, startTime, endTime, DayWindow{}, iv, window);
    const std::string name(protocol_->Name());
    auto r = std::make_unique<NetRequest>();
    r->Sink = &sink;
    r->Wanted = std::max(numBars, 0);
    if (SaysBlankSymbol(symbol, name)) {
        r->State = NetRequest::Phase::Failed;
        r->Ready = true;
        return Open(std::move(r));
    }
    std::string why;
    r->Symbol = protocol_->Symbol(symbol, why);
    r->Label = name + " " + (r->Symbol.empty() ? symbol : r->Symbol) + " " + DescribeInterval(iv);
    if (!r->Symbol.empty() && !protocol_->Plan(iv, r->Plan))
        why = r->Label + ": the exchange has no klines to build this interval from";
    if (!why.empty()) {
        Report(why);
        r->State = NetRequest::Phase::Failed;
        r->Ready = true;
        return Open(std::move(r));
    }
    r->Owner = this;
    r->StartedMs = clock_.SteadyMs();
    r->Paging =
        std::make_unique<HistoryPaging>(r->Plan, protocol_->MaxKlinesPerRequest(), r->Wanted);
    r->Built = std::make_unique<KlineBars>(r->Plan.BucketMs, r->Plan.Daily, options_.Utc);
    r->Stream = protocol_->StreamName(r->Symbol, r->Plan);
    NetRequest& request = *r;
    request.Handle = Open(std::move(r));
    // Subscribed before the history is asked for: changes that come meanwhile wait for it.
    Want(request.Stream);
    if (request.Wanted == 0) {
        Serve(request, false);
    } else {
        QueuePages(request);
    }
    return request.Handle;
}

bool NetworkFeed::BecomesReady(Request& base) {
    auto& r = static_cast<NetRequest&>(base);
    if (r.State == NetRequest::Phase::Paging &&
        clock_.SteadyMs() - r.StartedMs >= options_.ServeByMs && r.Paging->BarsInHand() > 0)
        Serve(r, true);
    return r.Ready;
}

void NetworkFeed::NoRequestsLeft() noexcept {
    if (wakeTimer_ != 0) loop_.CancelTimer(wakeTimer_);
    wakeTimer_ = 0;
}

void NetworkFeed::Forget(NetRequest& r) noexcept {
    for (auto it = inFlight_.begin(); it != inFlight_.end();) {
        if (it->second.Handle == r.Handle) {
            http_.Cancel(it->first);
            it = inFlight_.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(queue_, [&r](const Job& j) { return j.Handle == r.Handle; });
    if (!r.Stream.empty()) {
        Unwant(r.Stream);
        r.Stream.clear();
    }
}

// ---- history over HTTP

void NetworkFeed::QueuePages(NetRequest& r) {
    while (const std::optional<HistoryPaging::Page> p = r.Paging->Next()) {
        queue_.push_back(
            Job{r.Handle, JobKind::Page, p->Index, 0,
                protocol_->KlinesUrl(r.Symbol, r.Plan, p->StartMs, p->EndMs, p->Limit)});
    }
    Pump();
}

bool NetworkFeed::Room() const {
    const RequestLimits limits = protocol_->Limits();
    if (static_cast<std::int32_t>(inFlight_.size()) >= limits.MaxInFlight) return false;
    if (clock_.SteadyMs() < pausedUntilMs_) return false;
    const std::int64_t minute = static_cast<std::int64_t>(std::floor(clock_.LocalNow() * 1440));
    const std::int32_t used = minute == usedWeightMinute_ ? usedWeight_ : 0;
    // A tenth of the allowance is left to whatever else shares the address.
    const std::int64_t after =
        used + static_cast<std::int64_t>(inFlight_.size() + 1) * limits.WeightPerRequest;
    return after * 10 <= static_cast<std::int64_t>(limits.WeightPerMinute) * 9;
}

void NetworkFeed::Wake(std::int64_t delayMs) {
    if (wakeTimer_ != 0) return;
    wakeTimer_ = loop_.StartTimer(std::max<std::int64_t>(delayMs, 1), [this] {
        wakeTimer_ = 0;
        Pump();
    });
}

void NetworkFeed::Pump() {
    while (!queue_.empty() && Room()) {
        Job job = std::move(queue_.front());
        queue_.pop_front();
        Start(std::move(job));
    }
    if (queue_.empty() || !inFlight_.empty()) return;
    // Nothing in flight to wake us: wait for the pause to end, or for the next minute.
    const std::int64_t now = clock_.SteadyMs();
    if (now < pausedUntilMs_) {
        Wake(pausedUntilMs_ - now);
        return;
    }
    const double minuteMs = clock_.LocalNow() * 86'400'000.0;
    Wake(60'000 - static_cast<std::int64_t>(std::fmod(minuteMs, 60'000.0)) + 50);
}

void NetworkFeed::Start(Job job) {
    auto id = std::make_shared<HttpTransport::RequestId>(0);
    *id = http_.Get(job.Url, options_.RequestTimeoutMs,
                    [this, id](const HttpResponse& response) { Answered(*id, response); });
    inFlight_.emplace(*id, std::move(job));
}

void NetworkFeed::Answered(HttpTransport::RequestId id, const HttpResponse& response) {
    const auto it = inFlight_.find(id);
    if (it == inFlight_.end()) return;
    const Job job = std::move(it->second);
    inFlight_.erase(it);
    // A receiver of the events below may drop the last owner of this feed.
    const std::shared_ptr<MarketFeed> keepAlive = weak_from_this().lock();
    if (const std::int32_t used = protocol_->UsedWeight(response); used >= 0) {
        usedWeight_ = used;
        usedWeightMinute_ = static_cast<std::int64_t>(std::floor(clock_.LocalNow() * 1440));
    }
    if (auto* r = static_cast<NetRequest*>(Find(job.Handle)); r != nullptr && r->Owner != nullptr) {
        if (job.Kind == JobKind::Page) {
            PageAnswered(*r, job, response);
        } else {
            BackfillAnswered(*r, job, response);
        }
    }
    Pump();
}

void NetworkFeed::Problems(NetRequest& r, const std::vector<std::string>& problems) {
    for (const std::string& p : problems) {
        if (r.Reported < kMaxReported) {
            ++r.Reported;
            Report(r.Label + ": " + p);
        } else {
            ++r.Unreported;
        }
    }
}

void NetworkFeed::PageAnswered(NetRequest& r, const Job& job, const HttpResponse& response) {
    if (r.State != NetRequest::Phase::Paging) return;
    if (response.Status == 200) {
        KlinePage page;
        protocol_->ParseKlines(response.Body, page);
        Problems(r, page.Problems);
        if (page.Malformed) {
            r.Paging->Failed(job.Page);
        } else {
            r.Paging->Received(job.Page, std::move(page.Klines));
        }
    } else {
        const ExchangeFailure f = protocol_->Failure(response, r.Symbol);
        switch (f.What) {
            case ExchangeFailure::Kind::RateLimited:
                if (clock_.SteadyMs() >= pausedUntilMs_) Report(r.Label + ": " + f.Text);
                pausedUntilMs_ = std::max(pausedUntilMs_, clock_.SteadyMs() + f.RetryAfterMs);
                r.Paging->Retry(job.Page);
                QueuePages(r);
                return;
            case ExchangeFailure::Kind::UnknownSymbol:
                Fail(r, f.Text);
                return;
            case ExchangeFailure::Kind::Transport:
            case ExchangeFailure::Kind::Other:
                if (job.Page == HistoryPaging::kProbe) {
                    r.Paging->Failed(job.Page);
                    break;
                }
                if (job.Page == 0) {
                    Fail(r, r.Label + ": no history from " + Origin(job.Url) + ": " + f.Text);
                    return;
                }
                Report(r.Label + ": a page of history failed (" + f.Text +
                       "); the history stops there");
                r.Paging->Failed(job.Page);
                break;
        }
    }
    if (r.Paging->Complete()) {
        Serve(r, false);
        // A downloader that stopped waiting hears of the bars as a change.
        if (clock_.SteadyMs() - r.StartedMs >= options_.ServeByMs) Notify(r.Handle);
        return;
    }
    QueuePages(r);
}

void NetworkFeed::Serve(NetRequest& r, bool partial) {
    const std::int64_t inHand = r.Paging->BarsInHand();
    const bool reachedFirst = r.Paging->ReachedFirst();
    // Pages still waiting or in flight are not needed any more.
    for (auto it = inFlight_.begin(); it != inFlight_.end();) {
        if (it->second.Handle == r.Handle && it->second.Kind == JobKind::Page) {
            http_.Cancel(it->first);
            it = inFlight_.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(queue_,
                  [&r](const Job& j) { return j.Handle == r.Handle && j.Kind == JobKind::Page; });
    const std::vector<Kline> klines = r.Paging->Take();
    r.Bars.reserve(static_cast<std::size_t>(std::min<std::int64_t>(inHand, r.Wanted) + 16));
    for (const Kline& k : klines) r.Built->Apply(k, r.Bars);
    const std::size_t wanted = static_cast<std::size_t>(r.Wanted);
    for (const Kline& k : r.Buffered) r.Built->Apply(k, r.Bars);
    std::vector<Kline>().swap(r.Buffered);
    r.First = r.Bars.size() - std::min(wanted, r.Bars.size());
    const std::size_t shown = r.Bars.size() - r.First;
    if (partial) {
        const std::int64_t seconds = (clock_.SteadyMs() - r.StartedMs + 500) / 1000;
        Report(r.Label + ": " + std::to_string(shown) + " of " + std::to_string(r.Wanted) +
               " bars fetched in " + std::to_string(seconds) + " s; showing those");
    } else if (reachedFirst && shown < wanted) {
        Report(r.Label + ": the exchange has " + std::to_string(shown) + " of the " +
               std::to_string(r.Wanted) + " bars asked for; showing those");
    }
    if (r.Unreported > 0) {
        Report(r.Label + ": " + std::to_string(r.Unreported) + " more klines left out");
        r.Unreported = 0;
    }
    r.State = NetRequest::Phase::Live;
    r.Ready = true;
    // Changes that came before the connection was open are not in the bars.
    r.Gap = !open_;
}

void NetworkFeed::Fail(NetRequest& r, const std::string& why) {
    Report(why);
    r.State = NetRequest::Phase::Failed;
    r.Ready = true;
    r.Bars.clear();
    r.First = 0;
    std::vector<Kline>().swap(r.Buffered);
    const std::int32_t handle = r.Handle;
    std::erase_if(queue_, [handle](const Job& j) { return j.Handle == handle; });
    if (!r.Stream.empty()) {
        Unwant(r.Stream);
        r.Stream.clear();
    }
}

void NetworkFeed::Backfill(NetRequest& r, std::int64_t fromMs) {
    r.State = NetRequest::Phase::CatchingUp;
    queue_.push_front(
        Job{r.Handle, JobKind::Backfill, 0, fromMs,
            protocol_->KlinesUrl(r.Symbol, r.Plan, fromMs, -1, protocol_->MaxKlinesPerRequest())});
    Pump();
}

void NetworkFeed::BackfillAnswered(NetRequest& r, const Job& job, const HttpResponse& response) {
    if (r.State != NetRequest::Phase::CatchingUp) return;
    KlinePage page;
    if (response.Status == 200) {
        protocol_->ParseKlines(response.Body, page);
        Problems(r, page.Problems);
    } else {
        const ExchangeFailure f = protocol_->Failure(response, r.Symbol);
        if (f.What == ExchangeFailure::Kind::RateLimited) {
            pausedUntilMs_ = std::max(pausedUntilMs_, clock_.SteadyMs() + f.RetryAfterMs);
            queue_.push_front(job);
            return;
        }
        Report(r.Label + ": the bars missed while the stream was down cannot be fetched (" +
               f.Text + "); some may be missing");
    }
    std::stable_sort(page.Klines.begin(), page.Klines.end(),
                     [](const Kline& a, const Kline& b) { return a.OpenMs < b.OpenMs; });
    bool changed = false;
    for (const Kline& k : page.Klines)
        changed = r.Built->Apply(k, r.Bars) == KlineBars::Result::Changed || changed;
    if (!page.Malformed &&
        static_cast<std::int32_t>(page.Klines.size()) >= protocol_->MaxKlinesPerRequest() &&
        page.Klines.back().OpenMs >= job.FromMs) {
        // A long outage: the next page from where this one ended.
        Backfill(r, page.Klines.back().OpenMs + 1);
        if (changed) Notify(r.Handle);
        return;
    }
    for (const Kline& k : r.Buffered)
        changed = r.Built->Apply(k, r.Bars) == KlineBars::Result::Changed || changed;
    std::vector<Kline>().swap(r.Buffered);
    r.State = NetRequest::Phase::Live;
    r.Gap = !open_;
    if (changed) Notify(r.Handle);
}

// ---- live changes over the stream connection

void NetworkFeed::Want(const std::string& stream) {
    if (++wanted_[stream] > 1) return;
    if (!connection_) {
        if (reconnectTimer_ == 0) Connect();
        return;
    }
    if (open_) ScheduleSubscriptions();
}

void NetworkFeed::Unwant(const std::string& stream) {
    const auto it = wanted_.find(stream);
    if (it == wanted_.end() || --it->second > 0) return;
    wanted_.erase(it);
    if (wanted_.empty()) {
        // Nobody listens: the connection goes, and comes again with the next request.
        Disconnect();
        if (reconnectTimer_ != 0) loop_.CancelTimer(reconnectTimer_);
        reconnectTimer_ = 0;
        return;
    }
    if (open_) ScheduleSubscriptions();
}

void NetworkFeed::Connect() {
    if (connection_ || wanted_.empty()) return;
    std::vector<std::string> streams;
    for (const auto& [stream, n] : wanted_) streams.push_back(stream);
    subscribed_ = std::set<std::string>(streams.begin(), streams.end());
    open_ = false;
    WebSocketHandlers handlers;
    handlers.Opened = [this] { Opened(); };
    handlers.Text = [this](const std::string& text) { Frame(text); };
    handlers.Closed = [this](const std::string& reason) { Closed(reason); };
    connection_ = ws_.Open(protocol_->StreamUrl(streams), std::move(handlers));
    openTimer_ = loop_.StartTimer(options_.RequestTimeoutMs, [this] {
        openTimer_ = 0;
        if (connection_ && !open_)
            Closed("no answer within " + std::to_string(options_.RequestTimeoutMs / 1000) + " s");
    });
}

void NetworkFeed::Disconnect() noexcept {
    if (openTimer_ != 0) loop_.CancelTimer(openTimer_);
    openTimer_ = 0;
    connection_.reset();
    open_ = false;
    subscribed_.clear();
}

void NetworkFeed::Opened() {
    if (openTimer_ != 0) loop_.CancelTimer(openTimer_);
    openTimer_ = 0;
    open_ = true;
    heardSinceOpen_ = false;
    ScheduleSubscriptions();
    for (const std::int32_t handle : Handles()) {
        auto* r = static_cast<NetRequest*>(Find(handle));
        if (r != nullptr && r->State == NetRequest::Phase::Live && r->Gap && !r->Built->Empty())
            Backfill(*r, r->Built->NewestBucketMs());
    }
}

void NetworkFeed::Closed(const std::string& reason) {
    // The transport lets its connection go from inside its own handler.
    Disconnect();
    for (const std::int32_t handle : Handles())
        if (auto* r = static_cast<NetRequest*>(Find(handle)); r != nullptr) r->Gap = true;
    if (wanted_.empty() || reconnectTimer_ != 0) return;
    const std::int64_t wait = reconnectMs_;
    reconnectMs_ = std::min(reconnectMs_ * 2, options_.LastReconnectMs);
    Report(std::string(protocol_->Name()) + ": the stream connection ended (" + reason +
           "); connecting again in " + std::to_string((wait + 999) / 1000) + " s");
    reconnectTimer_ = loop_.StartTimer(wait, [this] {
        reconnectTimer_ = 0;
        Connect();
    });
}

void NetworkFeed::ScheduleSubscriptions() {
    if (subscribeTimer_ != 0) return;
    const std::int64_t wait =
        std::max<std::int64_t>(subscribedAtMs_ + options_.SubscribeEveryMs - clock_.SteadyMs(), 0);
    subscribeTimer_ = loop_.StartTimer(wait, [this] {
        subscribeTimer_ = 0;
        SendSubscriptions();
    });
}

void NetworkFeed::SendSubscriptions() {
    if (!open_ || !connection_) return;
    std::vector<std::string> add, remove;
    for (const auto& [stream, n] : wanted_)
        if (subscribed_.count(stream) == 0) add.push_back(stream);
    for (const std::string& stream : subscribed_)
        if (wanted_.count(stream) == 0) remove.push_back(stream);
    if (add.empty() && remove.empty()) return;
    subscribedAtMs_ = clock_.SteadyMs();
    if (!add.empty())
        connection_->SendText(protocol_->SubscribeMessage(add, true, nextMessageId_++));
    if (!remove.empty())
        connection_->SendText(protocol_->SubscribeMessage(remove, false, nextMessageId_++));
    for (const std::string& s : add) subscribed_.insert(s);
    for (const std::string& s : remove) subscribed_.erase(s);
}

bool NetworkFeed::Apply(NetRequest& r, const Kline& k, bool reportOlder) {
    const KlineBars::Result result = r.Built->Apply(k, r.Bars);
    if (result == KlineBars::Result::Older && reportOlder)
        Problems(r, {"a streamed kline opening at " + std::to_string(k.OpenMs) +
                     " ms is older than the bars held; left out"});
    return result == KlineBars::Result::Changed;
}

void NetworkFeed::Frame(const std::string& text) {
    const std::shared_ptr<MarketFeed> keepAlive = weak_from_this().lock();
    if (!heardSinceOpen_) {
        heardSinceOpen_ = true;
        reconnectMs_ = options_.FirstReconnectMs;
    }
    std::vector<StreamKline> events;
    std::string problem;
    if (!protocol_->ParseFrame(text, events, problem)) {
        if (streamProblems_ < kMaxReported)
            Report(std::string(protocol_->Name()) + ": " + problem + "; left out");
        ++streamProblems_;
        return;
    }
    std::vector<std::int32_t> changed;
    for (const std::int32_t handle : Handles()) {
        auto* r = static_cast<NetRequest*>(Find(handle));
        if (r == nullptr || r->Stream.empty()) continue;
        bool moved = false;
        for (const StreamKline& e : events) {
            if (e.Stream != r->Stream) continue;
            if (r->State == NetRequest::Phase::Live) {
                moved = Apply(*r, e.K, true) || moved;
            } else if (r->Buffered.size() < kMaxBuffered) {
                r->Buffered.push_back(e.K);
            }
        }
        if (moved) changed.push_back(handle);
    }
    // Told after every request moved, since a receiver may release or open requests.
    for (const std::int32_t handle : changed) Notify(handle);
}

}  // namespace vela
