#include <benchmark/benchmark.h>

#include <limits>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "market/bar_list.h"
#include "market/csv_feed.h"
#include "market/esignal_downloader.h"
#include "market/sim_feed.h"
#include "platform/atomic_file.h"
#include "platform/settable_clock.h"
#include "platform/virtual_message_loop.h"
#include "text/calendar.h"

namespace {

using namespace vela;

constexpr std::int32_t kMillion = 1'000'000;

// Virtual time and a feed installed for the length of one benchmark.
struct Bench {
    SettableClock clock{EncodePlatformDateTime(CivilDateTime{2024, 3, 4, 10, 0, 0, 0})};
    VirtualMessageLoop loop{clock};
    Clock* previousClock = InstallClock(&clock);
    MessageLoop* previousLoop = InstallMessageLoop(&loop);
    explicit Bench(std::shared_ptr<MarketFeed> feed) { InstallFeed(std::move(feed)); }
    ~Bench() {
        InstallFeed(nullptr);
        InstallMessageLoop(previousLoop);
        InstallClock(previousClock);
    }
};

std::int64_t ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        std::int64_t kb = 0;
        if (key == "VmRSS:" && status >> kb) return kb;
    }
    return 0;
}

// A ready sim request of a million five-second bars, fetched with century-time conversion
// into a list that is refilled, as a chart window's repeated Run refills its bars. With
// Arg 1 every round takes fresh memory, as the first download of a process does, and pays
// the page faults of the list (48 MB).
void BM_SimGetDataMillionBars(benchmark::State& state) {
    SettableClock clock;
    VirtualMessageLoop loop(clock);
    auto feed = std::make_shared<SimFeed>(SimFeedOptions{}, loop, clock);
    Bench bench(feed);
    TEsignalDownloader d;
    d.Run_Esignal_DM();
    d.Handle = d.eSignal->RequestHistory("IBM", "5S", 1, kMillion, -1, -1);
    const bool fresh = state.range(0) != 0;
    TLBarList bars;
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            bars = TLBarList();
            state.ResumeTiming();
        }
        bars.Clear();
        d.GetData(bars, -1);
        benchmark::DoNotOptimize(bars.Prices().data());
        if (bars.Count() != kMillion) state.SkipWithError("short download");
    }
    state.counters["per_bar"] = benchmark::Counter(
        kMillion, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SimGetDataMillionBars)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Making the simulated history itself, which a request pays once: a number of bars of one
// interval, ending on a Monday morning.
void SimRequest(benchmark::State& state, const char* interval, std::int32_t count) {
    SettableClock clock(EncodePlatformDateTime(CivilDateTime{2024, 3, 4, 10, 0, 0, 0}));
    VirtualMessageLoop loop(clock);
    SimFeed feed(SimFeedOptions{}, loop, clock);
    struct : FeedEventSink {
        void BarsChanged(std::int32_t) override {}
    } sink;
    for (auto _ : state) {
        const auto h = feed.RequestHistory(sink, "IBM", interval, 1, count, -1, -1);
        if (feed.GetNumBars(h) != count) state.SkipWithError("short history");
        feed.ReleaseHistory(h);
    }
    state.counters["per_bar"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SimRequestMillionBars(benchmark::State& state) {
    SimRequest(state, "5S", kMillion);
}
BENCHMARK(BM_SimRequestMillionBars)->Unit(benchmark::kMillisecond);

// A minute bar spans twelve five-second steps of the market.
void BM_SimRequestMillionMinuteBars(benchmark::State& state) {
    SimRequest(state, "1", kMillion);
}
BENCHMARK(BM_SimRequestMillionMinuteBars)->Unit(benchmark::kMillisecond);

// Twenty years of daily bars, each spanning a whole day session.
void BM_SimRequestTwentyYearsDaily(benchmark::State& state) {
    SimRequest(state, "D", 5000);
}
BENCHMARK(BM_SimRequestTwentyYearsDaily)->Unit(benchmark::kMillisecond);

// Merging the newest 100 bars (the forming one replaced, the rest as held) must cost the same
// whatever the number of bars held.
void BM_BarListUpdateHundred(benchmark::State& state) {
    const auto held = static_cast<std::int32_t>(state.range(0));
    TLBarList list;
    BarData b;
    for (std::int32_t i = 0; i < held; ++i) {
        b.dtTime = i;
        list.Add1(b);
    }
    TLBarList fresh;
    for (std::int32_t i = held - 99; i <= held; ++i) {
        b.dtTime = i;
        fresh.Add1(b);
    }
    for (auto _ : state) {
        list.Update(fresh);  // replaces 99, appends 1
        state.PauseTiming();
        b.dtTime = held;  // keep the size steady between rounds
        fresh.SetItem(99, b);
        state.ResumeTiming();
        benchmark::DoNotOptimize(list.Count());
    }
    if (list.Count() != held + 1) state.SkipWithError("wrong merge");
}
BENCHMARK(BM_BarListUpdateHundred)->Arg(10'000)->Arg(1'000'000);

// The memory a million held bars take after a download.
void BM_HeldMillionBarsMemory(benchmark::State& state) {
    SettableClock clock;
    VirtualMessageLoop loop(clock);
    auto feed = std::make_shared<SimFeed>(SimFeedOptions{}, loop, clock);
    Bench bench(feed);
    TEsignalDownloader d;
    d.Run_Esignal_DM();
    d.Handle = d.eSignal->RequestHistory("IBM", "5S", 1, kMillion, -1, -1);
    double bytes = 0, rssDeltaBytes = 0;
    for (auto _ : state) {
        const std::int64_t before = ResidentKb();
        TLBarList bars;
        d.GetData(bars, -1);
        rssDeltaBytes = static_cast<double>(ResidentKb() - before) * 1024.0;
        bytes = static_cast<double>(bars.CapacityBytes());
    }
    state.counters["list_MB"] = bytes / 1e6;
    state.counters["rss_growth_MB"] = rssDeltaBytes / 1e6;
}
BENCHMARK(BM_HeldMillionBarsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// A CSV file of a million one-minute bars, loaded and served whole.
void BM_CsvMillionMinuteBars(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "vela-bench-csv";
    std::filesystem::create_directories(dir);
    {
        std::string text = "Date,Time,Open,High,Low,Close,Volume\n";
        text.reserve(60u * kMillion);
        char buf[32];
        auto num = [&](double v) {
            const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
            text.append(buf, r.ptr);
        };
        std::int64_t day = DaysFromCivil(2000, 1, 3);
        int minute = 0;
        double price = 100;
        for (std::int32_t i = 0; i < kMillion; ++i) {
            std::int64_t y;
            unsigned m, d;
            CivilFromDays(day, y, m, d);
            const int hm = 9 * 60 + 30 + minute;
            char line[40];
            const int n = std::snprintf(line, sizeof line, "%04d-%02u-%02u,%02d:%02d:00,",
                                        static_cast<int>(y), m, d, hm / 60, hm % 60);
            text.append(line, static_cast<std::size_t>(n));
            price += static_cast<double>(std::int64_t{i} * 7919 % 13 - 6) * 0.01;
            num(price);
            text += ',';
            num(price + 0.05);
            text += ',';
            num(price - 0.05);
            text += ',';
            num(price + 0.01);
            text += ",1200\n";
            if (++minute == 390) {
                minute = 0;
                // 1970-01-01 was a Thursday: remainders 2 and 3 are weekends.
                do ++day;
                while (day % 7 == 2 || day % 7 == 3);
            }
        }
        if (!WriteFileAtomically((dir / "BENCH.csv").string(), text)) {
            state.SkipWithError("cannot write the bench file");
            return;
        }
    }
    SettableClock clock;
    VirtualMessageLoop loop(clock);
    // In virtual time the downloader's waits cost nothing and would not wait for a load on
    // another thread: the file is loaded within the request (still parsed on all cores).
    CsvFeedOptions options{dir.string()};
    options.BackgroundLoadBytes = std::numeric_limits<std::uintmax_t>::max();
    auto feed = std::make_shared<CsvFeed>(options, loop, clock);
    Bench bench(feed);
    TEsignalDownloader d;
    d.Run_Esignal_DM();
    d.Set_Info1("BENCH", "1", 0, false, 0, 0, nullptr);
    for (auto _ : state) {
        d.RequestHistory1(kMillion);  // clears the cache: reads and parses the file again
        if (d.LCurr.Count() != kMillion) state.SkipWithError("short download");
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CsvMillionMinuteBars)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
