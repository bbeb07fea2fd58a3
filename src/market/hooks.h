#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "market/bar_data.h"
#include "market/market_feed.h"

namespace vela {

// The application key every Hooks object is handed first.
inline constexpr char kApplicationKey[] = "5D20C8E1A93F4B7C86E0D41F2B9A37C5";

// The failure of every operation that needs a connection when no feed can be reached.
inline constexpr char kNotConnectedMessage[] =
    "DefaultInterface is NULL. Component is not connected to Server. You must call 'Connect' or "
    "'ConnectTo' before this operation";

// The data component as the system calls it. Connection is lazy: the first operation
// attaches to the process-wide feed. Operations that need the feed throw HooksError.
class THooks : private FeedEventSink {
  public:
    using TBarsChangedEvent = std::function<void(THooks* ASender, std::int32_t lHandle)>;

    THooks() = default;
    THooks(const THooks&) = delete;
    THooks& operator=(const THooks&) = delete;
    // Detaches from the feed: no event reaches a freed object.
    ~THooks() override;

    // Attaches to the installed feed; throws HooksError when there is none.
    void Connect();
    // Releases every request of this object and lets go of the feed.
    void Disconnect() noexcept;
    bool Connected() const { return feed_ != nullptr; }

    // These three swallow every failure; a failed IsEntitled answers 0.
    void SetApplication(const std::string& sApp) noexcept;
    std::int32_t IsEntitled() noexcept;
    const std::string& Application() const { return application_; }

    void ClearSymbolCache();
    std::int32_t RequestHistory(const std::string& sSymbol, const std::string& sInterval,
                                std::int32_t btType, std::int32_t lNumBars, std::int32_t lStartTime,
                                std::int32_t lEndTime);
    std::int32_t IsHistoryReady(std::int32_t lHandle);
    std::int32_t GetNumBars(std::int32_t lHandle);
    BarData GetBar(std::int32_t lHandle, std::int32_t lBarIndex);
    void ReleaseHistory(std::int32_t lHandle);

    // One handler at a time; called on the user-interface thread while it handles messages.
    TBarsChangedEvent OnBarsChanged;

  private:
    void BarsChanged(std::int32_t handle) override;
    MarketFeed& Feed() {
        if (!feed_) Connect();
        return *feed_;
    }

    std::shared_ptr<MarketFeed> feed_;
    std::string application_;
};

}  // namespace vela
