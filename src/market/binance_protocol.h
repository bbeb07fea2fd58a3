#pragma once

#include <string>

#include "market/exchange_protocol.h"

namespace vela {

// Binance's public spot market data: klines over REST, kline streams over WebSocket.
class BinanceProtocol : public ExchangeProtocol {
  public:
    static constexpr char kDefaultRest[] = "https://data-api.binance.vision";
    static constexpr char kDefaultStreams[] = "wss://data-stream.binance.vision";

    BinanceProtocol(std::string rest = kDefaultRest, std::string streams = kDefaultStreams);

    std::string_view Name() const override { return "binance"; }
    std::string Symbol(std::string_view typed, std::string& why) const override;
    bool Plan(const BarInterval& interval, IntervalPlan& plan) const override;
    std::int32_t MaxKlinesPerRequest() const override { return 1000; }
    RequestLimits Limits() const override { return RequestLimits{2, 6000, 4}; }

    std::string KlinesUrl(const std::string& symbol, const IntervalPlan& plan, std::int64_t startMs,
                          std::int64_t endMs, std::int32_t limit) const override;
    std::string PingUrl() const override { return rest_ + "/api/v3/ping"; }
    // A page of well-formed klines is read in one fast pass; anything else by the checked
    // reading, which says what it left out.
    void ParseKlines(std::string_view body, KlinePage& page) const override;
    // The checked reading alone, which the fast pass must agree with.
    void ParseKlinesChecked(std::string_view body, KlinePage& page) const;
    ExchangeFailure Failure(const HttpResponse& response, const std::string& symbol) const override;
    std::int32_t UsedWeight(const HttpResponse& response) const override;

    std::string StreamName(const std::string& symbol, const IntervalPlan& plan) const override;
    std::string StreamUrl(const std::vector<std::string>& streams) const override;
    std::string SubscribeMessage(const std::vector<std::string>& streams, bool subscribe,
                                 std::int64_t id) const override;
    bool ParseFrame(std::string_view text, std::vector<StreamKline>& events,
                    std::string& problem) const override;

  private:
    std::string rest_;
    std::string streams_;
};

}  // namespace vela
