#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "market/kline.h"

namespace vela::testing_support {

// Prices as the exchange writes them: the shortest decimal that reads back the same.
inline std::string Decimal(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

inline std::string KlineJson(const Kline& k, std::int64_t lengthMs) {
    return "[" + std::to_string(k.OpenMs) + ",\"" + Decimal(k.Open) + "\",\"" + Decimal(k.High) +
           "\",\"" + Decimal(k.Low) + "\",\"" + Decimal(k.Close) + "\",\"" + Decimal(k.Volume) +
           "\"," + std::to_string(k.OpenMs + lengthMs - 1) + ",\"0\"," + std::to_string(k.Trades) +
           ",\"0\",\"0\",\"0\"]";
}

inline std::string KlineEventJson(const std::string& symbol, const std::string& interval,
                                  const Kline& k, std::int64_t lengthMs) {
    std::string lower = symbol;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return "{\"stream\":\"" + lower + "@kline_" + interval +
           "\",\"data\":{\"e\":\"kline\",\"E\":" + std::to_string(k.OpenMs + 1) + ",\"s\":\"" +
           symbol + "\",\"k\":{\"t\":" + std::to_string(k.OpenMs) +
           ",\"T\":" + std::to_string(k.OpenMs + lengthMs - 1) + ",\"s\":\"" + symbol +
           "\",\"i\":\"" + interval + "\",\"f\":1,\"L\":2,\"o\":\"" + Decimal(k.Open) +
           "\",\"c\":\"" + Decimal(k.Close) + "\",\"h\":\"" + Decimal(k.High) + "\",\"l\":\"" +
           Decimal(k.Low) + "\",\"v\":\"" + Decimal(k.Volume) +
           "\",\"n\":" + std::to_string(k.Trades) + ",\"x\":" + (k.Closed ? "true" : "false") +
           ",\"q\":\"0\",\"V\":\"0\",\"Q\":\"0\",\"B\":\"0\"}}}";
}

inline std::int64_t IntervalMs(std::string_view interval) {
    static const std::map<std::string_view, std::int64_t> ms = {
        {"1s", 1000},     {"1m", 60'000},    {"5m", 300'000},
        {"15m", 900'000}, {"1h", 3'600'000}, {"1d", 86'400'000}};
    const auto it = ms.find(interval);
    return it == ms.end() ? 0 : it->second;
}

// The klines an exchange holds for its symbols and intervals, and its answers to the
// klines request as its public documentation describes them: without a start the newest
// `limit`, with a start the first `limit` from it, always within [startTime, endTime].
struct FakeExchange {
    // symbol -> interval -> klines, oldest first
    std::map<std::string, std::map<std::string, std::vector<Kline>>> Klines;

    // A plausible walk of n klines of an interval ending before endMs.
    static std::vector<Kline> Walk(std::int64_t endMs, std::int64_t lengthMs, std::size_t n,
                                   std::uint64_t seed = 1) {
        std::vector<Kline> out;
        out.reserve(n);
        double price = 30000;
        std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
        const std::int64_t first =
            (endMs / lengthMs) * lengthMs - static_cast<std::int64_t>(n) * lengthMs;
        for (std::size_t i = 0; i < n; ++i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            const double step = static_cast<double>(static_cast<int>(x % 2001) - 1000) / 100.0;
            Kline k;
            k.OpenMs = first + static_cast<std::int64_t>(i) * lengthMs;
            k.Open = price;
            price = std::max(1.0, price + step);
            k.Close = price;
            k.High = std::max(k.Open, k.Close) + static_cast<double>(x % 7) * 0.25;
            k.Low = std::min(k.Open, k.Close) - static_cast<double>(x % 5) * 0.25;
            k.Volume = static_cast<double>(x % 1000) / 8.0;
            k.Trades = static_cast<std::int64_t>(x % 50) + 1;
            k.Closed = true;
            out.push_back(k);
        }
        return out;
    }

    static std::optional<std::string> Param(std::string_view query, std::string_view key) {
        std::size_t at = 0;
        while (at < query.size()) {
            const std::size_t amp = std::min(query.find('&', at), query.size());
            const std::string_view item = query.substr(at, amp - at);
            if (item.starts_with(key) && item.size() > key.size() && item[key.size()] == '=')
                return std::string(item.substr(key.size() + 1));
            at = amp + 1;
        }
        return std::nullopt;
    }

    struct Reply {
        int Status = 200;
        std::string Body;
    };

    // Answers "/api/v3/klines?..." and "/api/v3/ping" (path and query, no host).
    Reply Answer(std::string_view pathAndQuery) const {
        const std::size_t q = pathAndQuery.find('?');
        const std::string_view path = pathAndQuery.substr(0, q);
        const std::string_view query =
            q == std::string_view::npos ? std::string_view() : pathAndQuery.substr(q + 1);
        if (path == "/api/v3/ping") return {200, "{}"};
        if (path != "/api/v3/klines") return {404, "{\"code\":-1,\"msg\":\"no such path\"}"};
        const std::string symbol = Param(query, "symbol").value_or("");
        const auto s = Klines.find(symbol);
        if (s == Klines.end()) return {400, "{\"code\":-1121,\"msg\":\"Invalid symbol.\"}"};
        const std::string interval = Param(query, "interval").value_or("");
        const auto i = s->second.find(interval);
        const std::int64_t length = IntervalMs(interval);
        if (length == 0) return {400, "{\"code\":-1120,\"msg\":\"Invalid interval.\"}"};
        const std::vector<Kline> none;
        const std::vector<Kline>& all = i == s->second.end() ? none : i->second;
        const std::int64_t limit = std::stoll(Param(query, "limit").value_or("500"));
        if (limit < 1 || limit > 1000) return {400, "{\"code\":-1100,\"msg\":\"Bad limit.\"}"};
        const auto start = Param(query, "startTime");
        const auto end = Param(query, "endTime");
        const std::int64_t lo = start ? std::stoll(*start) : INT64_MIN;
        const std::int64_t hi = end ? std::stoll(*end) : INT64_MAX;
        std::vector<const Kline*> picked;
        for (const Kline& k : all)
            if (k.OpenMs >= lo && k.OpenMs <= hi) picked.push_back(&k);
        if (static_cast<std::int64_t>(picked.size()) > limit) {
            if (start) {
                picked.resize(static_cast<std::size_t>(limit));
            } else {
                picked.erase(picked.begin(), picked.end() - limit);
            }
        }
        std::string body = "[";
        for (std::size_t n = 0; n < picked.size(); ++n)
            body += (n ? "," : "") + KlineJson(*picked[n], length);
        return {200, body + "]"};
    }
};

}  // namespace vela::testing_support
