#include "market/esignal_downloader.h"

#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>

#include <random>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "market/csv_feed.h"
#include "market/market_test_support.h"
#include "market/sim_feed.h"
#include "platform/form_list.h"
#include "platform/runtime_utilities.h"

namespace vela {
namespace {

using testing_support::At;
using testing_support::Bar;
using testing_support::ScriptedFeed;

constexpr double kMinuteInCenturies = 1.0 / 36525.0 / 1440.0;

class ProgressForm : public MessageReceiver {
  public:
    ProgressForm() { RegisterForm(this); }
    ~ProgressForm() override { UnregisterForm(this); }
    void HandleMessage(std::uint32_t msg, std::int64_t wparam, std::int64_t lparam) override {
        EXPECT_EQ(msg, 1415u);
        EXPECT_EQ(wparam, 100);
        Percentages.push_back(lparam);
        if (const auto f = OnMessage) f();
    }
    std::vector<std::int64_t> Percentages;
    std::function<void()> OnMessage;
};

class DownloaderTest : public testing_support::VirtualTimeTest {
  protected:
    std::shared_ptr<SimFeed> UseSim(std::int32_t readyDelayMs = 300) {
        SimFeedOptions options;
        options.Seed = 7;
        options.ReadyDelayMs = readyDelayMs;
        auto feed = std::make_shared<SimFeed>(options, loop, clock);
        InstallFeed(feed);
        return feed;
    }
    std::shared_ptr<ScriptedFeed> UseScripted() {
        auto feed = std::make_shared<ScriptedFeed>();
        InstallFeed(feed);
        return feed;
    }
    // A downloader with its Hooks object, settings stored, counting update calls.
    std::unique_ptr<TEsignalDownloader> Make(const std::string& interval = "1",
                                             std::int32_t speed = 0) {
        auto d = std::make_unique<TEsignalDownloader>();
        d->Run_Esignal_DM();
        d->Set_Info1("IBM", interval, speed, false, 0, 0, [this] { ++updates; });
        return d;
    }
    int updates = 0;
};

TEST_F(DownloaderTest, DownloadsTheSimulatedHistoryOldestFirstInCenturyTime) {
    auto feed = UseSim();
    auto d = Make();
    const std::int64_t start = clock.SteadyMs();
    d->RequestHistory1(200);
    EXPECT_LT(clock.SteadyMs() - start, 1000);  // ready after 300 ms, found at the next poll
    EXPECT_FALSE(d->Block_Updating);
    ASSERT_EQ(d->LCurr.Count(), 200);
    // The newest bar is Monday 10:00; they are one minute apart, the session's start in between.
    EXPECT_NEAR(+d->LCurr[199].dtTime, DateToCenturies(2024, 3, 4, 10.0), 1e-15);
    for (std::int32_t i = 1; i < 200; ++i) EXPECT_LT(+d->LCurr[i - 1].dtTime, +d->LCurr[i].dtTime);
    EXPECT_NEAR(+d->LCurr[199].dtTime - +d->LCurr[198].dtTime, kMinuteInCenturies, 1e-12);
    EXPECT_EQ(+d->LCurr[199].dClose, +feed->GetBar(d->Handle, 0).dClose);
    EXPECT_TRUE(d->IsHistoryReady());
    EXPECT_EQ(updates, 0);
}

TEST_F(DownloaderTest, NotReadyWithinThreeHundredPollsLeavesTheRequestOpen) {
    UseSim(60000);
    auto d = Make();
    const std::int64_t start = clock.SteadyMs();
    d->RequestHistory1(150);
    const std::int64_t waited = clock.SteadyMs() - start;
    EXPECT_GT(waited, 30000);
    EXPECT_LT(waited, 35000);
    EXPECT_EQ(d->LCurr.Count(), 0);
    EXPECT_FALSE(d->Block_Updating);
    EXPECT_FALSE(d->IsHistoryReady());
    // The open request's first event fills LCurr with the newest 100 bars.
    loop.RunFor(1000);
    EXPECT_EQ(d->LCurr.Count(), 100);
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(d->RT_Active());
}

TEST_F(DownloaderTest, EventsArrivingWhilePollingAreDropped) {
    UseSim(2500);  // two live ticks pass while the download polls
    auto d = Make();
    d->RequestHistory1(50);
    EXPECT_EQ(d->LCurr.Count(), 50);
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(d->RT_Active());
    loop.RunFor(1000);
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(d->RT_Active());
}

TEST_F(DownloaderTest, EventsForOlderRequestsChangeNothing) {
    auto feed = UseScripted();
    feed->Bars = {Bar(At(2024, 3, 4, 9, 30)), Bar(At(2024, 3, 4, 9, 31))};
    auto d = Make();
    d->RequestHistory1(10);
    const std::int32_t old = d->Handle;
    d->RequestHistory1(10);
    ASSERT_NE(d->Handle, old);
    // The replaced request was released before the new one was made.
    EXPECT_EQ(feed->Releases[old], 1);
    d->OnBarsChanged1(d->eSignal.get(), old);
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(d->RT_Active());
    EXPECT_EQ(d->TLastUpdated, -1.0);
    // An event for the current request is merged.
    feed->Fire(d->Handle);
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(d->RT_Active());
}

TEST_F(DownloaderTest, MergesAtMostOncePerUpdatePeriod) {
    auto feed = UseScripted();
    feed->Bars = {Bar(At(2024, 3, 4, 9, 30))};
    auto d = Make("1", 5000);
    d->RequestHistory1(10);
    const double t0 = clock.LocalNow();
    struct Step {
        std::int64_t ms;
        bool merged;
    };
    const std::vector<Step> steps = {{0, true},     {4000, false}, {4999, false}, {5002, true},
                                     {9000, false}, {10003, true}, {10004, false}};
    int expected = 0;
    for (const Step& s : steps) {
        clock.SetLocal(t0 + s.ms / 86400000.0);
        feed->Bars.push_back(Bar(clock.LocalNow(), static_cast<double>(s.ms)));
        feed->Fire(d->Handle);
        expected += s.merged ? 1 : 0;
        EXPECT_EQ(updates, expected) << "at " << s.ms << " ms";
        EXPECT_TRUE(d->RT_Active()) << "skipped events still mark streaming";
    }
    // Every merge fetched the newest bars, so no bar was lost in between.
    EXPECT_EQ(d->LCurr.Count(), 7);
}

TEST_F(DownloaderTest, EachMergedUpdateHandsItsBarsOnBeforeTheUpdateProcedure) {
    auto feed = UseScripted();
    feed->Bars = {Bar(At(2024, 3, 4, 9, 30), 10), Bar(At(2024, 3, 4, 9, 31), 11)};
    auto d = Make();
    std::vector<std::string> calls;
    d->OnMergedBars = [&](std::span<const BarPrices> update) {
        std::string closes;
        for (const BarPrices& b : update) closes += std::to_string(static_cast<int>(b.dClose));
        calls.push_back("merged " + closes + " of " + std::to_string(d->LCurr.Count()));
    };
    d->Info_Update_Procedure = [&] { calls.push_back("update"); };
    d->RequestHistory1(10);
    EXPECT_TRUE(calls.empty()) << "the history itself is no merged update";
    feed->Bars.back().dClose = 12;
    feed->Bars.push_back(Bar(At(2024, 3, 4, 9, 32), 13));
    feed->Fire(d->Handle);
    EXPECT_EQ(calls, (std::vector<std::string>{"merged 101213 of 3", "update"}));
}

TEST_F(DownloaderTest, StreamingOnTheLiveFeedKeepsEveryBar) {
    UseSim();
    auto d = Make("5S", 5000);
    std::vector<std::int64_t> mergedAt;
    d->Info_Update_Procedure = [&] { mergedAt.push_back(clock.SteadyMs()); };
    d->RequestHistory1(20);
    loop.RunFor(60000);
    ASSERT_GE(mergedAt.size(), 9u);
    // Events come every second; one exactly 5 s after a merge is at the rounding edge of the
    // period test, so gaps are 5 or 6 s.
    for (std::size_t i = 1; i < mergedAt.size(); ++i) {
        EXPECT_GE(mergedAt[i] - mergedAt[i - 1], 5000);
        EXPECT_LE(mergedAt[i] - mergedAt[i - 1], 6000);
    }
    const double fiveSeconds = kMinuteInCenturies / 12;
    for (std::int32_t i = 1; i < d->LCurr.Count(); ++i)
        EXPECT_NEAR(+d->LCurr[i].dtTime - +d->LCurr[i - 1].dtTime, fiveSeconds, 1e-12) << i;
    EXPECT_GT(d->LCurr.Count(), 30);
}

TEST_F(DownloaderTest, StopReleasesOnceAndALateEventStillCounts) {
    auto feed = UseScripted();
    feed->Bars = {Bar(At(2024, 3, 4, 9, 30))};
    auto d = Make();
    d->RequestHistory1(10);
    const std::int32_t h = d->Handle;
    feed->Fire(h);
    ASSERT_TRUE(d->RT_Active());
    d->Stop_RT();
    EXPECT_FALSE(d->RT_Active());
    EXPECT_EQ(d->Handle, h);
    EXPECT_EQ(feed->Releases[h], 1);
    // A late event with the released handle: merged (nothing to fetch), streaming again.
    d->OnBarsChanged1(d->eSignal.get(), h);
    EXPECT_EQ(updates, 2);
    EXPECT_TRUE(d->RT_Active());
    EXPECT_EQ(d->LCurr.Count(), 1);
    d->Stop_RT();
    d.reset();
    EXPECT_EQ(feed->Releases[h], 1);
}

TEST_F(DownloaderTest, ProgressIsBroadcastEveryFiftyBarsOfLargeDownloads) {
    auto feed = UseScripted();
    struct Case {
        int bars;
        std::vector<std::int64_t> percentages;
    };
    const std::vector<Case> cases = {
        {200, {25, 50, 75, 100}}, {120, {}}, {121, {17, 58, 100}}, {101, {}}};
    for (const Case& c : cases) {
        feed->Bars.clear();
        for (int i = 0; i < c.bars; ++i)
            feed->Bars.push_back(Bar(At(2024, 3, 4, 9, 30) + i / 1440.0));
        auto d = Make();
        ProgressForm form;
        d->RequestHistory1(c.bars);
        EXPECT_EQ(d->LCurr.Count(), c.bars);
        EXPECT_EQ(form.Percentages, c.percentages) << c.bars << " bars";
    }
}

TEST_F(DownloaderTest, BarTimesBecomeCenturyTimeWithoutMilliseconds) {
    auto feed = UseScripted();
    const double tenOhOne = At(2024, 3, 4, 10, 0, 1);  // inexact in binary
    feed->Bars = {Bar(At(1899, 12, 31, 12)), Bar(At(2000, 1, 1, 12)),
                  Bar(At(2000, 1, 1, 12, 0, 0, 999)), Bar(tenOhOne),
                  Bar(std::nextafter(tenOhOne, 0.0))};
    auto d = Make();
    d->RequestHistory1(10);
    ASSERT_EQ(d->LCurr.Count(), 5);
    EXPECT_EQ(+d->LCurr[0].dtTime, 0.0);
    EXPECT_EQ(+d->LCurr[1].dtTime, 1.0);
    EXPECT_EQ(+d->LCurr[2].dtTime, 1.0);
    const double expected = DateToCenturies(2024, 3, 4, 10 + 1 / 3600.0);
    EXPECT_EQ(+d->LCurr[3].dtTime, expected);
    EXPECT_EQ(+d->LCurr[4].dtTime, expected);
}

// A long download reuses what depends on the day or the time of day alone; every bar must
// still get the very century time of the plain steps (fields, hours, DateToCenturies):
// seconds and milliseconds, midnight carries, days before 1899, the 1582 switch.
TEST_F(DownloaderTest, LongDownloadsConvertEveryTimeAsThePlainStepsDo) {
    auto feed = UseScripted();
    std::mt19937 rng(9);
    std::vector<double> times;
    for (double day : {45355.0, 45356.0, -10.0, -115860.0, -115861.0, 0.0}) {
        for (int k = 0; k < 900; ++k) {
            const double fraction = k % 7 == 0   ? 1.0 - 1e-9  // carries
                                    : k % 5 == 0 ? static_cast<double>(rng() % 86400000) / 8.64e7
                                                 : (570 + k) / 1440.0;  // minutes
            times.push_back(day < 0 ? day - fraction : day + fraction);
        }
    }
    std::sort(times.begin(), times.end());
    for (double t : times) feed->Bars.push_back(Bar(t));
    auto d = Make();
    d->RequestHistory1(static_cast<std::int32_t>(times.size()));
    ASSERT_EQ(d->LCurr.Count(), static_cast<std::int32_t>(times.size()));
    for (std::size_t i = 0; i < times.size(); ++i) {
        CivilDateTime c;
        ASSERT_TRUE(DecodePlatformDateTime(times[i], c));
        const double expected =
            DateToCenturies(c.Year, c.Month, c.Day, c.Hour + c.Minute / 60.0 + c.Second / 3600.0);
        const double got = +d->LCurr[static_cast<std::int32_t>(i)].dtTime;
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << i << " " << times[i];
    }
}

TEST_F(DownloaderTest, FailuresEndInStatesWithoutData) {
    // No Hooks object: like a failing component, the bars held stay.
    {
        UseScripted();
        TEsignalDownloader d;
        d.LCurr.Add1(Bar(1));
        d.RequestHistory1(10);
        EXPECT_EQ(d.LCurr.Count(), 1);
        EXPECT_FALSE(d.Block_Updating);
        EXPECT_EQ(d.Handle, -1);
        d.OnBarsChanged1(nullptr, -1);  // no request yet: ignored
        EXPECT_FALSE(d.RT_Active());
    }
    // No feed to reach: the first component call fails.
    {
        InstallFeed(nullptr);
        auto d = Make();
        d->LCurr.Add1(Bar(1));
        d->RequestHistory1(10);
        EXPECT_EQ(d->LCurr.Count(), 1);
        EXPECT_FALSE(d->Block_Updating);
        std::string info = "old";
        EXPECT_EQ(d->IsEntitled(info), 0);
        EXPECT_EQ(info, "eSignal is not intitled");
    }
    // A failure while fetching the download keeps the bars fetched before it.
    auto feed = UseScripted();
    for (int i = 0; i < 10; ++i) feed->Bars.push_back(Bar(At(2024, 3, 4, 9, 30 + i)));
    feed->FailGetBarAfter = 4;
    auto d = Make();
    d->RequestHistory1(10);
    EXPECT_EQ(d->LCurr.Count(), 4);
    // A failure inside an event leaves LCurr as it was and never escapes.
    feed->Fire(d->Handle);
    EXPECT_EQ(d->LCurr.Count(), 4);
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(d->Updating_Price_History);
    // A bar without a valid time counts as a failed fetch.
    feed->FailGetBarAfter = -1;
    feed->Bars.back().dtTime = std::numeric_limits<double>::quiet_NaN();
    feed->Fire(d->Handle);
    EXPECT_EQ(d->LCurr.Count(), 4);
    EXPECT_FALSE(d->Updating_Price_History);
}

TEST_F(DownloaderTest, NestedEventsForTheSameRequestAreDropped) {
    auto feed = UseScripted();
    feed->Bars = {Bar(At(2024, 3, 4, 9, 30))};
    auto d = Make();
    d->RequestHistory1(10);
    d->Info_Update_Procedure = [&] {
        ++updates;
        feed->Fire(d->Handle);  // arrives while the first is handled
    };
    feed->Fire(d->Handle);
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(d->Updating_Price_History);
}

TEST_F(DownloaderTest, ADownloaderFreedFromInsideItsOwnWorkStopsCleanly) {
    auto feed = UseScripted();
    for (int i = 0; i < 200; ++i) feed->Bars.push_back(Bar(At(2024, 3, 4, 9, 30) + i / 1440.0));
    // Freed by a progress receiver in the middle of the download.
    auto d = Make();
    ProgressForm form;
    form.OnMessage = [&] { d.reset(); };
    d->RequestHistory1(200);
    EXPECT_EQ(d, nullptr);
    EXPECT_TRUE(feed->Open.empty());
    form.OnMessage = nullptr;
    // Freed by its own update procedure.
    d = Make();
    d->RequestHistory1(10);
    const std::int32_t h = d->Handle;
    d->Info_Update_Procedure = [&] { d.reset(); };
    feed->Fire(h);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(feed->Releases[h], 1);
    // Freed while it polls.
    feed->Ready = false;
    d = Make();
    loop.StartTimer(250, [&] { d.reset(); });
    d->RequestHistory1(10);
    EXPECT_EQ(d, nullptr);
}

TEST_F(DownloaderTest, ANestedRequestTakesOverFromTheOuterOne) {
    auto feed = UseScripted();
    for (int i = 0; i < 5; ++i) feed->Bars.push_back(Bar(At(2024, 3, 4, 9, 30 + i)));
    feed->Ready = false;
    auto d = Make();
    bool nested = false;
    loop.StartTimer(250, [&] {
        feed->Ready = true;
        nested = true;
        d->RequestHistory1(5);
    });
    d->RequestHistory1(5);
    EXPECT_TRUE(nested);
    EXPECT_EQ(d->LCurr.Count(), 5);  // once, not twice
    EXPECT_FALSE(d->Block_Updating);
}

TEST_F(DownloaderTest, GlobalHooksMarksItsStepsAndAnswersEntitlement) {
    struct Memo : TraceSink {
        void AppendLine(const std::string& line) override { Lines.push_back(line); }
        std::vector<std::string> Lines;
    } memo;
    SetTraceMemo(&memo);
    std::string info;
    EXPECT_EQ(TEsignalDownloader::IsEntitled_Gloabal(info), -1);
    EXPECT_EQ(info, "eSignal is not intitled");
    UseSim();
    TEsignalDownloader::Run_Esignal_DM_Global();
    EXPECT_EQ(memo.Lines, (std::vector<std::string>{"A1-B1", "A1-B2", "A1-B3", "A1-B4"}));
    ASSERT_NE(TEsignalDownloader::GlobalHooks(), nullptr);
    EXPECT_EQ(TEsignalDownloader::GlobalHooks()->Application(), kApplicationKey);
    EXPECT_EQ(TEsignalDownloader::IsEntitled_Gloabal(info), 1);
    EXPECT_EQ(info, "eSignal is ready");
    TEsignalDownloader::Free_Esignal_DM_Global();
    EXPECT_EQ(TEsignalDownloader::GlobalHooks(), nullptr);
    TEsignalDownloader::Free_Esignal_DM_Global();
    SetTraceMemo(nullptr);
}

class CsvDownloaderTest : public DownloaderTest {
  protected:
    void SetUp() override {
        DownloaderTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() /
               ("vela-dl-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(dir_);
        std::string content = "Date,Time,Open,High,Low,Close,Volume\n";
        for (int m = 0; m < 30; ++m)
            content += "2024-03-01,10:" + std::string(m < 10 ? "0" : "") + std::to_string(m) +
                       ":00," + std::to_string(m) + "," + std::to_string(m) + "," +
                       std::to_string(m) + "," + std::to_string(m) + ",10\n";
        std::ofstream(dir_ / "IBM.csv") << content;
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        DownloaderTest::TearDown();
    }
    std::filesystem::path dir_;
};

TEST_F(CsvDownloaderTest, DownloadsFromFilesAndEndsQuicklyForMissingOnes) {
    InstallFeed(std::make_shared<CsvFeed>(CsvFeedOptions{dir_.string(), 1000, 2}, loop, clock));
    auto d = Make("5");
    d->RequestHistory1(100);
    ASSERT_EQ(d->LCurr.Count(), 6);  // 10:00 .. 10:25; the last two minutes held back
    EXPECT_EQ(+d->LCurr[5].dClose, 27);
    loop.RunFor(2000);  // the held minutes stream into the forming five-minute bar
    EXPECT_EQ(d->LCurr.Count(), 6);
    EXPECT_EQ(+d->LCurr[5].dClose, 29);
    EXPECT_EQ(updates, 2);

    d->Set_Info1("MSFT", "5", 0, false, 0, 0, nullptr);
    const std::int64_t start = clock.SteadyMs();
    d->RequestHistory1(100);
    EXPECT_EQ(d->LCurr.Count(), 0);
    EXPECT_LE(clock.SteadyMs() - start, 200);
}

}  // namespace
}  // namespace vela
