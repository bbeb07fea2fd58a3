#include "market/binance_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "market/fake_exchange.h"

namespace vela {
namespace {

using testing_support::FakeExchange;

TEST(BinanceProtocol, TheFastReadingOfAPageAgreesWithTheCheckedOne) {
    std::string body = "[";
    const auto klines = FakeExchange::Walk(1'709'546'400'000, 60'000, 1000, 7);
    for (std::size_t i = 0; i < klines.size(); ++i)
        body += (i ? "," : "") + testing_support::KlineJson(klines[i], 60'000);
    body += "]";
    const BinanceProtocol protocol;
    KlinePage fast, checked;
    protocol.ParseKlines(body, fast);
    protocol.ParseKlinesChecked(body, checked);
    ASSERT_EQ(fast.Klines.size(), 1000u);
    ASSERT_EQ(checked.Klines.size(), 1000u);
    EXPECT_TRUE(fast.Problems.empty());
    for (std::size_t i = 0; i < 1000; ++i) {
        const Kline& a = fast.Klines[i];
        const Kline& b = checked.Klines[i];
        ASSERT_EQ(a.OpenMs, klines[i].OpenMs);
        ASSERT_EQ(a.OpenMs, b.OpenMs);
        ASSERT_EQ(a.Open, b.Open);
        ASSERT_EQ(a.High, b.High);
        ASSERT_EQ(a.Low, b.Low);
        ASSERT_EQ(a.Close, klines[i].Close);
        ASSERT_EQ(a.Close, b.Close);
        ASSERT_EQ(a.Volume, b.Volume);
        ASSERT_EQ(a.Trades, b.Trades);
    }
}

TEST(BinanceProtocol, AddressesAndMessages) {
    const BinanceProtocol protocol("http://127.0.0.1:8/", "ws://127.0.0.1:9");
    IntervalPlan plan;
    ASSERT_TRUE(protocol.Plan(BarInterval{30, false}, plan));
    EXPECT_EQ(plan.Base, "1s");
    EXPECT_EQ(protocol.KlinesUrl("BTCUSDT", plan, -1, -1, 990),
              "http://127.0.0.1:8/api/v3/klines?symbol=BTCUSDT&interval=1s&limit=990");
    EXPECT_EQ(protocol.KlinesUrl("BTCUSDT", plan, 5, 9, 3),
              "http://127.0.0.1:8/api/v3/klines?symbol=BTCUSDT&interval=1s&startTime=5&endTime=9"
              "&limit=3");
    EXPECT_EQ(protocol.StreamUrl({"btcusdt@kline_1s", "ethusdt@kline_1m"}),
              "ws://127.0.0.1:9/stream?streams=btcusdt@kline_1s/ethusdt@kline_1m");
    EXPECT_EQ(protocol.StreamName("BTCUSDT", plan), "btcusdt@kline_1s");
    EXPECT_EQ(protocol.SubscribeMessage({"a@kline_1m", "b@kline_1m"}, false, 7),
              "{\"method\":\"UNSUBSCRIBE\",\"params\":[\"a@kline_1m\",\"b@kline_1m\"],\"id\":7}");
    std::string why;
    EXPECT_EQ(protocol.Symbol(" btcUsdt ", why), "BTCUSDT");
    EXPECT_EQ(protocol.Symbol("BTC-USD", why), "");
    EXPECT_EQ(why, "binance: BTC-USD is not a Binance symbol; write BTCUSDT");
}

TEST(BinanceProtocol, WhatFailedAnswersMean) {
    const BinanceProtocol protocol;
    struct Case {
        HttpResponse response;
        ExchangeFailure::Kind kind;
        std::string text;
        std::int64_t retryMs;
    };
    const Case cases[] = {
        {{400, {}, "{\"code\":-1121,\"msg\":\"Invalid symbol.\"}", {}},
         ExchangeFailure::Kind::UnknownSymbol,
         "binance: no symbol NOPE",
         0},
        {{429, {}, "{}", {{"retry-after", "12"}}},
         ExchangeFailure::Kind::RateLimited,
         "the exchange limits requests (HTTP 429); waiting 12 s as it asks",
         12'000},
        {{418, {}, "", {}},
         ExchangeFailure::Kind::RateLimited,
         "the exchange limits requests (HTTP 418); waiting 60 s as it asks",
         60'000},
        {{0, "connection refused", "", {}},
         ExchangeFailure::Kind::Transport,
         "connection refused",
         0},
        {{503, {}, "{\"code\":-1001,\"msg\":\"Internal error.\"}", {}},
         ExchangeFailure::Kind::Other,
         "HTTP 503: Internal error.",
         0},
        {{500, {}, "<html>", {}}, ExchangeFailure::Kind::Other, "HTTP 500", 0},
    };
    for (const Case& c : cases) {
        const ExchangeFailure f = protocol.Failure(c.response, "NOPE");
        EXPECT_EQ(f.What, c.kind) << c.text;
        EXPECT_EQ(f.Text, c.text);
        EXPECT_EQ(f.RetryAfterMs, c.retryMs) << c.text;
    }
    EXPECT_EQ(protocol.UsedWeight(HttpResponse{200, {}, {}, {{"x-mbx-used-weight-1m", "42"}}}), 42);
    EXPECT_EQ(protocol.UsedWeight(HttpResponse{200, {}, {}, {{"x-mbx-used-weight-1m", "4x"}}}), -1);
}

}  // namespace
}  // namespace vela
