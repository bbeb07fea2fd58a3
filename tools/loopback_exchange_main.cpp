// A stand-in of Binance's public market data on this computer, to try the program's Binance
// feed without the internet: REST klines and kline streams of a few symbols, made up, live.
//
//   vela-loopback-exchange [--drop-every SECONDS]
//   vela-monitor --feed binance,rest=http://127.0.0.1:PORT,ws=ws://127.0.0.1:PORT
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <string>

#include "app/loopback_exchange.h"
#include "market/fake_exchange.h"

namespace {

using vela::testing_support::FakeExchange;
using vela::testing_support::IntervalMs;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The streams a client listens to: those of its URL and of its SUBSCRIBE messages since.
std::set<std::string> StreamsOf(const vela::app::loopback::WebSocketServer& ws, int client) {
    std::set<std::string> streams;
    const std::string path = ws.RequestPath(client);
    const std::size_t at = path.find("streams=");
    auto add = [&streams](std::string list, char sep, bool on) {
        std::size_t start = 0;
        while (start < list.size()) {
            const std::size_t end = std::min(list.find(sep, start), list.size());
            std::string s = list.substr(start, end - start);
            std::erase(s, '"');
            if (!s.empty()) {
                if (on) {
                    streams.insert(s);
                } else {
                    streams.erase(s);
                }
            }
            start = end + 1;
        }
    };
    if (at != std::string::npos) add(path.substr(at + 8), '/', true);
    for (const std::string& m : ws.Received(client)) {
        const std::size_t open = m.find('['), close = m.find(']');
        if (open == std::string::npos || close == std::string::npos) continue;
        add(m.substr(open + 1, close - open - 1), ',',
            m.find("\"SUBSCRIBE\"") != std::string::npos);
    }
    return streams;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int dropEvery = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--drop-every") dropEvery = std::atoi(argv[i + 1]);

    FakeExchange data;
    const char* symbols[] = {"BTCUSDT", "ETHUSDT", "BNBUSDT"};
    const char* intervals[] = {"1s", "1m", "5m", "15m", "1h", "1d"};
    const std::int64_t now = NowMs();
    std::uint64_t seed = 1;
    for (const char* s : symbols)
        for (const char* i : intervals)
            data.Klines[s][i] =
                FakeExchange::Walk(now + IntervalMs(i), IntervalMs(i), 3000, seed++);

    vela::app::loopback::Exchange exchange;
    exchange.Rest.SetResponder([&data](const std::string& path) {
        const FakeExchange::Reply r = data.Answer(path);
        vela::app::loopback::HttpAnswer a;
        a.Status = r.Status;
        a.Body = r.Body;
        a.Headers = {{"X-MBX-USED-WEIGHT-1m", "10"}, {"Content-Type", "application/json"}};
        return a;
    });
    std::cout << "vela-monitor --feed binance,rest=" << exchange.Rest.RestUrl()
              << ",ws=" << exchange.Ws.WsUrl() << std::endl;

    // Once a second every forming kline trades on, new ones open, and listeners hear of it.
    std::uint64_t x = 88172645463325252ull;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const std::int64_t t = NowMs();
        ++ticks;
        for (auto& [symbol, byInterval] : data.Klines) {
            for (auto& [interval, klines] : byInterval) {
                const std::int64_t length = IntervalMs(interval);
                vela::Kline& last = klines.back();
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                const double step = static_cast<double>(static_cast<int>(x % 201) - 100) / 20.0;
                if (t >= last.OpenMs + length) {
                    vela::Kline next = last;
                    next.OpenMs = t / length * length;
                    next.Open = next.High = next.Low = next.Close = last.Close;
                    next.Volume = 0;
                    next.Trades = 0;
                    klines.push_back(next);
                }
                vela::Kline& k = klines.back();
                k.Close = std::max(1.0, k.Close + step);
                k.High = std::max(k.High, k.Close);
                k.Low = std::min(k.Low, k.Close);
                k.Volume += static_cast<double>(x % 100) / 10.0;
                ++k.Trades;
                std::string lower = symbol;
                for (char& c : lower) c = static_cast<char>(std::tolower(c));
                const std::string stream = lower + "@kline_" + interval;
                for (int c = 0; c < exchange.Ws.Clients(); ++c)
                    if (exchange.Ws.IsOpen(c) && StreamsOf(exchange.Ws, c).count(stream))
                        exchange.Ws.SendText(
                            c, vela::testing_support::KlineEventJson(symbol, interval, k, length));
            }
        }
        if (dropEvery > 0 && ticks % dropEvery == 0)
            for (int c = 0; c < exchange.Ws.Clients(); ++c)
                if (exchange.Ws.IsOpen(c)) exchange.Ws.Abort(c);
    });
    tick.start(1000);
    return QCoreApplication::exec();
}
