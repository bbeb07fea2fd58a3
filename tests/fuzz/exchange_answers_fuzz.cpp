// Reads arbitrary bytes as every answer an exchange can send: a page of klines, a stream
// frame and a failed request; the klines read are then built into bars. Nothing may crash,
// and every kline taken must hold finite prices.
//
// Input: the first byte picks the bar length the klines are built into; the rest is the
// answer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "market/binance_protocol.h"
#include "market/kline_bars.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const std::int64_t kBuckets[] = {1000, 5000, 60'000, 120'000, 86'400'000};
    const std::int64_t bucket = kBuckets[data[0] % 5];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const vela::BinanceProtocol protocol("http://127.0.0.1:9", "ws://127.0.0.1:9");

    vela::KlinePage page;
    protocol.ParseKlines(text, page);
    std::vector<vela::StreamKline> events;
    std::string problem;
    protocol.ParseFrame(text, events, problem);
    vela::HttpResponse failed;
    failed.Status = 400 + data[0] % 30;
    failed.Body = std::string(text);
    failed.Headers = {{"retry-after", std::string(text.substr(0, 12))}};
    protocol.Failure(failed, "BTCUSDT");
    protocol.UsedWeight(vela::HttpResponse{200, {}, {}, {{"x-mbx-used-weight-1m", failed.Body}}});

    vela::KlineBars built(bucket, bucket == 86'400'000, true);
    std::vector<vela::BarPrices> bars;
    for (const vela::Kline& k : page.Klines) {
        if (!std::isfinite(k.Open) || !std::isfinite(k.Close) || !std::isfinite(k.High) ||
            !std::isfinite(k.Low))
            std::abort();
        built.Apply(k, bars);
    }
    for (const vela::StreamKline& e : events) built.Apply(e.K, bars);
    return 0;
}
