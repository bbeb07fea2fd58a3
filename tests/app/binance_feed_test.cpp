#include <gtest/gtest.h>
#include <unistd.h>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/bar_table_model.h"
#include "app/chart_window.h"
#include "app/loopback_exchange.h"
#include "app/main_window.h"
#include "app/qt_http_transport.h"
#include "app/qt_message_loop.h"
#include "app/qt_websocket_transport.h"
#include "market/esignal_downloader.h"
#include "market/fake_exchange.h"
#include "market/feed_factory.h"
#include "market/feed_router.h"
#include "market/interval_table.h"

namespace vela::app {
namespace {

namespace fs = std::filesystem;
using testing_support::FakeExchange;
using testing_support::IntervalMs;
using testing_support::KlineEventJson;

// 2024-03-04 10:00 UTC.
constexpr std::int64_t kNowMs = 1'709'546'400'000;

// Times as the exchange's UTC, the way the feed shows them in a computer set to UTC.
class UtcZone {
  public:
    UtcZone() {
        if (const char* tz = std::getenv("TZ")) old_ = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~UtcZone() {
        if (old_) {
            setenv("TZ", old_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::optional<std::string> old_;
};

// The program's feeds over a loopback stand-in of the exchange, with a folder of CSV files
// beside it.
class BinanceLoopbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallMessageLoop(&loop_);
        InstallClock(&clock_);
        dir_ = fs::temp_directory_path() / ("vela-binance-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        exchange_.Rest.SetResponder([this](const std::string& path) {
            const FakeExchange::Reply r = data_.Answer(path);
            loopback::HttpAnswer a;
            a.Status = r.Status;
            a.Body = r.Body;
            a.Headers = {{"X-MBX-USED-WEIGHT-1m", "12"}, {"Content-Type", "application/json"}};
            return a;
        });
    }
    void TearDown() override {
        InstallFeed(nullptr);
        router_.reset();
        InstallClock(nullptr);
        InstallMessageLoop(nullptr);
        fs::remove_all(dir_);
    }

    void StartFeeds(const std::string& rest) {
        const FeedServices services{loop_, clock_, nullptr, &http_, &ws_};
        router_ = std::make_shared<FeedRouter>();
        std::string error;
        ASSERT_TRUE(router_->Start(
            {"binance,rest=" + rest + ",ws=" + exchange_.Ws.WsUrl(), "csv:" + dir_.string()},
            [services](std::string_view spec) { return MakeFeed(spec, services); }, error))
            << error;
        router_->SetReportStream(nullptr);
        router_->SetReportListener([this](const std::string& line) { reports_.push_back(line); });
        InstallFeed(router_);
    }
    void StartFeeds() { StartFeeds(exchange_.Rest.RestUrl()); }

    // The klines of one interval, as the exchange and as a CSV file of the same bars.
    void Have(const std::string& interval, std::size_t n, const std::string& file) {
        std::vector<Kline>& k = data_.Klines["BTCUSDT"][interval];
        k = FakeExchange::Walk(kNowMs, IntervalMs(interval), n, n);
        std::ofstream out(dir_ / (file + ".csv"));
        out << "Date,Time,Open,High,Low,Close,Volume\n";
        for (const Kline& b : k) {
            const std::time_t t = static_cast<std::time_t>(b.OpenMs / 1000);
            std::tm tm{};
            gmtime_r(&t, &tm);
            char when[32];
            std::strftime(when, sizeof when, "%Y-%m-%d,%H:%M:%S", &tm);
            out << when << "," << testing_support::Decimal(b.Open) << ","
                << testing_support::Decimal(b.High) << "," << testing_support::Decimal(b.Low) << ","
                << testing_support::Decimal(b.Close) << "," << testing_support::Decimal(b.Volume)
                << "\n";
        }
    }

    TForm1* Run(TForm2& main, const std::string& symbol, int intervalIndex, int bars) {
        TForm1* form = main.BitBtn1Click();
        form->Edit1->setText(QString::fromStdString(symbol));
        form->ComboBox1->setCurrentIndex(intervalIndex);
        form->SpinEdit1->setValue(bars);
        form->SpinEdit2->setValue(0);
        form->BitBtn1Click();
        return form;
    }

    static std::vector<std::string> Lines(const TForm1& form) {
        std::vector<std::string> lines;
        for (int i = 0; i < form.Table()->LineCount(); ++i) lines.push_back(form.Table()->Line(i));
        return lines;
    }

    QtMessageLoop loop_;
    QtClock clock_;
    QtHttpTransport http_;
    QtWebSocketTransport ws_;
    loopback::Exchange exchange_;
    FakeExchange data_;
    fs::path dir_;
    std::shared_ptr<FeedRouter> router_;
    std::vector<std::string> reports_;
};

TEST_F(BinanceLoopbackTest, TheBinanceTableEqualsTheCsvTableOfTheSameBarsForEveryInterval) {
    const UtcZone utc;
    struct Base {
        const char* interval;
        const char* file;
        std::size_t klines;
    };
    // Every chart interval is served from one of these; 40 bars of the coarsest built one.
    const Base bases[] = {{"1s", "BASE1S", 1300}, {"1m", "BASE1M", 130}, {"5m", "BASE5M", 90},
                          {"15m", "BASE15M", 45}, {"1h", "BASE1H", 45},  {"1d", "BASE1D", 45}};
    for (const Base& b : bases) Have(b.interval, b.klines, b.file);
    StartFeeds();
    const char* fileOf[] = {"BASE1S", "BASE1S", "BASE1S",  "BASE1M", "BASE1M",
                            "BASE5M", "BASE5M", "BASE15M", "BASE1H", "BASE1D"};
    for (int i = 0; i < static_cast<int>(kIntervalTable.size()); ++i) {
        TForm2 main;
        const std::string item(kIntervalTable[static_cast<std::size_t>(i)].Item);
        TForm1* binance = Run(main, "BINANCE:btcusdt", i, 40);
        TForm1* csv = Run(main, std::string("CSV:") + fileOf[i], i, 40);
        const std::vector<std::string> lines = Lines(*binance);
        EXPECT_EQ(lines.size(), 40u) << item;
        EXPECT_EQ(lines, Lines(*csv)) << item;
    }
    for (const std::string& r : reports_) ADD_FAILURE() << r;
}

TEST_F(BinanceLoopbackTest, AStreamingWindowKeepsEveryBarThroughADroppedConnection) {
    Have("1m", 200, "UNUSED");
    StartFeeds();
    TForm2 main;
    TForm1* form = Run(main, "BINANCE:BTCUSDT", 3, 100);
    ASSERT_EQ(form->Table()->LineCount(), 100);
    ASSERT_TRUE(loopback::WaitUntil([this] { return exchange_.Ws.OpenClients() == 1; }));
    EXPECT_EQ(exchange_.Ws.RequestPath(0), "/stream?streams=btcusdt@kline_1m");

    // The forming bar trades on; the window hears of it through the message loop.
    std::vector<Kline>& all = data_.Klines["BTCUSDT"]["1m"];
    Kline k = all.back();
    k.Close += 7.5;
    k.High = std::max(k.High, k.Close);
    k.Trades += 5;
    k.Closed = false;
    exchange_.Ws.SendTextToAll(KlineEventJson("BTCUSDT", "1m", k, 60'000));
    ASSERT_TRUE(loopback::WaitUntil([&] {
        const TLBarList& l = form->E().LCurr;
        return l.Count() > 0 && l.Prices().back().dClose == k.Close;
    }));
    EXPECT_EQ(form->E().LCurr.Count(), 100);

    // The connection drops; meanwhile that bar closes and two more open.
    exchange_.Ws.Abort(0);
    k.Close += 1;
    k.Trades += 1;
    all.back() = k;
    for (int i = 0; i < 2; ++i) {
        Kline next = all.back();
        next.OpenMs += 60'000;
        next.Close += 2;
        next.Trades = 3;
        all.push_back(next);
    }
    ASSERT_TRUE(loopback::WaitUntil([this] { return exchange_.Ws.OpenClients() == 1; }, 5000));
    ASSERT_TRUE(loopback::WaitUntil([&] { return form->E().LCurr.Count() == 102; }));
    // The newest three bars are the exchange's, once each.
    const TLBarList& bars = form->E().LCurr;
    for (int back = 0; back < 3; ++back) {
        const Kline& want = all[all.size() - 1 - static_cast<std::size_t>(back)];
        const BarData got = bars.GetItem(bars.Count() - 1 - back);
        EXPECT_EQ(+got.dClose, want.Close) << back;
    }
    bool said = false;
    for (const std::string& r : reports_)
        said = said || r.find("connecting again in 1 s") != std::string::npos;
    EXPECT_TRUE(said);
}

TEST_F(BinanceLoopbackTest, AnExchangeThatIsDownGivesNoBarsAndSaysWhy) {
    StartFeeds("http://127.0.0.1:1");
    TForm2 main;
    TForm1* form = Run(main, "BINANCE:BTCUSDT", 3, 100);
    EXPECT_EQ(form->Table()->LineCount(), 0);
    ASSERT_FALSE(reports_.empty());
    EXPECT_NE(reports_.front().find("binance BTCUSDT 1 min: no history from http://127.0.0.1:1"),
              std::string::npos)
        << reports_.front();
}

}  // namespace
}  // namespace vela::app
