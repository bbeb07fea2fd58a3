#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "market/exchange_protocol.h"
#include "market/feed_requests.h"
#include "platform/clock.h"
#include "platform/http_transport.h"
#include "platform/message_loop.h"
#include "platform/websocket_transport.h"

namespace vela {

struct NetworkFeedOptions {
    bool Utc = false;  // bar times in UTC instead of the computer's time zone
    std::int64_t RequestTimeoutMs = 10'000;
    // A history still coming in by then is served with the newest bars fetched so far, before
    // the downloader's wait of 300 polls of 100 ms ends.
    std::int64_t ServeByMs = 28'000;
    std::int64_t EntitlementEveryMs = 10'000;
    std::int64_t FirstReconnectMs = 1'000;
    std::int64_t LastReconnectMs = 60'000;
    // Subscription changes go out at most this often (exchanges cap messages per second).
    std::int64_t SubscribeEveryMs = 250;
};

// A feed of an exchange's public market data, the same for every exchange: its protocol
// says what the wire looks like. History comes over HTTP in pages, several in flight within
// the exchange's request limits; live changes come over one WebSocket connection that
// carries the streams of every open request. After a dropped connection it reconnects with
// a growing pause and fetches what was missed, so no bar is lost and none is doubled.
class NetworkFeed : public FeedRequests {
  public:
    NetworkFeed(std::unique_ptr<ExchangeProtocol> protocol, NetworkFeedOptions options,
                MessageLoop& loop, Clock& clock, HttpTransport& http, WebSocketTransport& ws);
    ~NetworkFeed() override;

    // 1 once the exchange answered its ping, 0 when it did not (or not yet); asks again now
    // and then, never waiting for the answer.
    std::int32_t IsEntitled() override;
    void ClearSymbolCache() override {}
    std::int32_t RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                const std::string& interval, std::int32_t btType,
                                std::int32_t numBars, std::int32_t startTime,
                                std::int32_t endTime) override;

    const ExchangeProtocol& Protocol() const { return *protocol_; }

  private:
    struct NetRequest;
    enum class JobKind { Page, Backfill };
    struct Job {
        std::int32_t Handle = 0;
        JobKind Kind = JobKind::Page;
        int Page = 0;
        std::int64_t FromMs = 0;  // Backfill: klines from this open time on
        std::string Url;
    };

    bool BecomesReady(Request& request) override;
    void NoRequestsLeft() noexcept override;
    void Forget(NetRequest& request) noexcept;

    // HTTP: jobs wait for room within the limits, then go out.
    void Pump();
    bool Room() const;
    void Start(Job job);
    void Answered(HttpTransport::RequestId id, const HttpResponse& response);
    void PageAnswered(NetRequest& r, const Job& job, const HttpResponse& response);
    void BackfillAnswered(NetRequest& r, const Job& job, const HttpResponse& response);
    void QueuePages(NetRequest& r);
    // The history is in: its bars are built and served, and buffered live changes applied.
    void Serve(NetRequest& r, bool partial);
    void Fail(NetRequest& r, const std::string& why);
    void Problems(NetRequest& r, const std::vector<std::string>& problems);
    void Backfill(NetRequest& r, std::int64_t fromMs);
    void Wake(std::int64_t delayMs);

    // The stream connection.
    void Want(const std::string& stream);
    void Unwant(const std::string& stream);
    void Connect();
    // Lets the connection go, with every timer that belongs to it.
    void Disconnect() noexcept;
    void Opened();
    void Closed(const std::string& reason);
    void Frame(const std::string& text);
    void ScheduleSubscriptions();
    void SendSubscriptions();
    // Applies a live kline; true when the request's bars changed.
    bool Apply(NetRequest& r, const Kline& k, bool reportOlder);

    std::unique_ptr<ExchangeProtocol> protocol_;
    NetworkFeedOptions options_;
    MessageLoop& loop_;
    Clock& clock_;
    HttpTransport& http_;
    WebSocketTransport& ws_;

    std::deque<Job> queue_;
    std::map<HttpTransport::RequestId, Job> inFlight_;
    std::int32_t usedWeight_ = 0;         // as the exchange last said
    std::int64_t usedWeightMinute_ = -1;  // the minute it said so in
    std::int64_t pausedUntilMs_ = 0;      // steady time; the exchange asked to wait
    MessageLoop::TimerId wakeTimer_ = 0;

    std::int32_t entitled_ = 0;
    HttpTransport::RequestId ping_ = 0;
    std::int64_t pingedAtMs_ = -1;

    std::map<std::string, int> wanted_;  // streams and how many requests use them
    std::set<std::string> subscribed_;   // streams the open connection carries
    std::unique_ptr<WebSocketConnection> connection_;
    bool open_ = false;
    bool heardSinceOpen_ = false;
    std::int64_t reconnectMs_;
    MessageLoop::TimerId reconnectTimer_ = 0;
    MessageLoop::TimerId subscribeTimer_ = 0;
    // A connection that has not opened by then is given up (its handshake may never end).
    MessageLoop::TimerId openTimer_ = 0;
    std::int64_t subscribedAtMs_ = -1'000'000;
    std::int64_t nextMessageId_ = 1;
    std::size_t streamProblems_ = 0;
};

}  // namespace vela
