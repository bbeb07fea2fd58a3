#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "market/bar_interval.h"
#include "market/kline.h"
#include "platform/http_transport.h"

namespace vela {

// How a requested interval is served: from the exchange's own klines of Base, gathered into
// buckets of BucketMs aligned to UTC (a bucket of one kline when the exchange has the
// interval itself).
struct IntervalPlan {
    std::string Base;  // the exchange's name of the kline interval it serves
    std::int64_t BaseMs = 0;
    std::int64_t BucketMs = 0;
    bool Daily = false;
};

// A page of klines and what was wrong with the items left out of it.
struct KlinePage {
    std::vector<Kline> Klines;  // in the order the exchange sent them
    std::vector<std::string> Problems;
    bool Malformed = false;  // the page itself could not be read
};

// A kline event of one stream.
struct StreamKline {
    std::string Stream;
    Kline K;
};

// What a failed answer means.
struct ExchangeFailure {
    enum class Kind { Transport, UnknownSymbol, RateLimited, Other } What = Kind::Other;
    std::string Text;               // for the user
    std::int64_t RetryAfterMs = 0;  // RateLimited: how long the exchange asks to wait
};

// The limits an exchange sets on requests from one address.
struct RequestLimits {
    std::int32_t WeightPerRequest = 1;
    std::int32_t WeightPerMinute = 1200;
    std::int32_t MaxInFlight = 4;
};

// What one exchange's public market data looks like on the wire: its URLs, its messages and
// its limits. The network feed does the rest, the same for every exchange.
class ExchangeProtocol {
  public:
    virtual ~ExchangeProtocol() = default;

    // How the feed is named in reports and symbol prefixes ("binance").
    virtual std::string_view Name() const = 0;
    // The symbol as the exchange spells it; empty with the reason when it cannot be one.
    virtual std::string Symbol(std::string_view typed, std::string& why) const = 0;
    virtual bool Plan(const BarInterval& interval, IntervalPlan& plan) const = 0;
    virtual std::int32_t MaxKlinesPerRequest() const = 0;
    virtual RequestLimits Limits() const = 0;

    // Klines of [startMs, endMs] (both inclusive; -1: unbounded), oldest first, at most limit
    // of them; without a start, the newest ones.
    virtual std::string KlinesUrl(const std::string& symbol, const IntervalPlan& plan,
                                  std::int64_t startMs, std::int64_t endMs,
                                  std::int32_t limit) const = 0;
    virtual std::string PingUrl() const = 0;
    virtual void ParseKlines(std::string_view body, KlinePage& page) const = 0;
    // Why an answer that is not a page failed (a status other than 200, or no answer).
    virtual ExchangeFailure Failure(const HttpResponse& response,
                                    const std::string& symbol) const = 0;
    // The weight the exchange says this address has used in the current minute, or -1.
    virtual std::int32_t UsedWeight(const HttpResponse& response) const = 0;

    virtual std::string StreamName(const std::string& symbol, const IntervalPlan& plan) const = 0;
    // One connection that carries the given streams from the start.
    virtual std::string StreamUrl(const std::vector<std::string>& streams) const = 0;
    // The message that adds streams to an open connection or removes them.
    virtual std::string SubscribeMessage(const std::vector<std::string>& streams, bool subscribe,
                                         std::int64_t id) const = 0;
    // The kline events of one frame; false with the problem when the frame is not readable
    // or reports an error. Frames that carry no kline (answers to subscriptions) give none.
    virtual bool ParseFrame(std::string_view text, std::vector<StreamKline>& events,
                            std::string& problem) const = 0;
};

}  // namespace vela
