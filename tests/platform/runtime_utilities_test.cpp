#include "platform/runtime_utilities.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/form_list.h"
#include "platform/settable_clock.h"
#include "platform/virtual_message_loop.h"

namespace vela {
namespace {

class RuntimeUtilitiesTest : public ::testing::Test {
  protected:
    SettableClock clock;
    VirtualMessageLoop loop{clock, 0};  // no idle tick: waits end only on real messages

    void SetUp() override {
        previousClock_ = InstallClock(&clock);
        previousLoop_ = InstallMessageLoop(&loop);
    }
    void TearDown() override {
        InstallMessageLoop(previousLoop_);
        InstallClock(previousClock_);
    }

  private:
    Clock* previousClock_ = nullptr;
    MessageLoop* previousLoop_ = nullptr;
};

// A repeating timer, like the main window's clock tick.
void Repeat(VirtualMessageLoop& loop, std::int64_t every, int& ticks) {
    loop.StartTimer(every, [&loop, every, &ticks] {
        ++ticks;
        Repeat(loop, every, ticks);
    });
}

TEST_F(RuntimeUtilitiesTest, WaitPumpingLastsMoreThanTheTimeAndEndsOnAMessage) {
    int ticks = 0;
    Repeat(loop, 30, ticks);
    WaitPumping(100);
    // Ticks at 30, 60, 90, 120: 120 is the first check past 100 ms.
    EXPECT_EQ(clock.SteadyMs(), 120);

    // With a single late message the wait ends only when it arrives.
    SettableClock c2;
    VirtualMessageLoop lone(c2, 0);
    InstallMessageLoop(&lone);
    InstallClock(&c2);
    bool handled = false;
    lone.StartTimer(250, [&] { handled = true; });
    WaitPumping(100);
    EXPECT_EQ(c2.SteadyMs(), 250);
    lone.ProcessPendingMessages();
    EXPECT_TRUE(handled);
    InstallMessageLoop(&loop);
    InstallClock(&clock);
}

TEST_F(RuntimeUtilitiesTest, WaitPumpingZeroEndsAtTheFirstMillisecond) {
    int ticks = 0;
    Repeat(loop, 1, ticks);
    WaitPumping(0);
    EXPECT_EQ(clock.SteadyMs(), 1);
}

TEST_F(RuntimeUtilitiesTest, WaitPumpingIgnoresAWallClockSetBack) {
    int ticks = 0;
    loop.StartTimer(50, [&] { clock.SetLocal(clock.LocalNow() - 1.0 / 24); });  // an hour back
    Repeat(loop, 40, ticks);
    WaitPumping(100);
    EXPECT_EQ(clock.SteadyMs(), 120);
}

class MemoCapture : public TraceSink {
  public:
    void AppendLine(const std::string& line) override { Lines.push_back(line); }
    std::vector<std::string> Lines;
};

TEST_F(RuntimeUtilitiesTest, TraceMarkPumpsAndWritesOnlyWhileTheMemoExists) {
    int handled = 0;
    loop.Post([&] { ++handled; });
    SetTraceMemo(nullptr);
    TraceMark("A1");  // before the main window: nothing written, messages still handled
    EXPECT_EQ(handled, 1);
    {
        MemoCapture memo;
        SetTraceMemo(&memo);
        // A handler run by the marker's pumping writes its own marker first.
        loop.Post([] { TraceMark("A2-B1"); });
        TraceMark("A1-B1");
        TraceMark(std::string(300, 'x'));
        ASSERT_EQ(memo.Lines.size(), 3u);
        EXPECT_EQ(memo.Lines[0], "A2-B1");
        EXPECT_EQ(memo.Lines[1], "A1-B1");
        EXPECT_EQ(memo.Lines[2].size(), 255u);
    }
    EXPECT_EQ(TraceMemo(), nullptr);
    TraceMark("A3");  // the memo is gone: writes nothing, no crash
}

TEST(AppFolder, EndsInExactlyOneSeparator) {
    EXPECT_EQ(FolderOfProgramPath("/opt/vela/vela-monitor"), "/opt/vela/");
    EXPECT_EQ(FolderOfProgramPath("/vela-monitor"), "/");
    EXPECT_EQ(FolderOfProgramPath("vela-monitor"), "./");
    const std::string folder = AppFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_NE(folder.substr(0, folder.size() - 1).back(), '/');
}

class RecordingForm : public MessageReceiver {
  public:
    explicit RecordingForm(std::vector<std::string>& log, std::string name)
        : log_(log), name_(std::move(name)) {
        RegisterForm(this);
    }
    ~RecordingForm() override { UnregisterForm(this); }
    void HandleMessage(std::uint32_t msg, std::int64_t wparam, std::int64_t lparam) override {
        log_.push_back(name_ + ":" + std::to_string(msg) + "," + std::to_string(wparam) + "," +
                       std::to_string(lparam));
        // A copy: the handler may free this form, and OnMessage with it.
        if (const auto handler = OnMessage) handler();
    }
    std::function<void()> OnMessage;

  private:
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(BroadcastToForms, ReachesEachFormOnceInCreationOrder) {
    std::vector<std::string> log;
    RecordingForm a(log, "a"), b(log, "b");
    BroadcastToForms(-1, 100, 5);  // negative: nothing sent
    BroadcastToForms(1415, 100, 25);
    EXPECT_EQ(log, (std::vector<std::string>{"a:1415,100,25", "b:1415,100,25"}));
}

TEST(BroadcastToForms, SurvivesFormsVanishingOrAppearingDuringDelivery) {
    std::vector<std::string> log;
    auto a = std::make_unique<RecordingForm>(log, "a");
    auto b = std::make_unique<RecordingForm>(log, "b");
    auto c = std::make_unique<RecordingForm>(log, "c");
    std::unique_ptr<RecordingForm> born;
    // a closes b and opens a new form; c closes itself.
    a->OnMessage = [&] {
        b.reset();
        born = std::make_unique<RecordingForm>(log, "new");
    };
    c->OnMessage = [&] { c.reset(); };
    BroadcastToForms(1415, 100, 50);
    EXPECT_EQ(log, (std::vector<std::string>{"a:1415,100,50", "c:1415,100,50"}));
    EXPECT_EQ(c, nullptr);
    log.clear();
    a->OnMessage = nullptr;
    BroadcastToForms(7, 1, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"a:7,1,2", "new:7,1,2"}));
}

}  // namespace
}  // namespace vela
