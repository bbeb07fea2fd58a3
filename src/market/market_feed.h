#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "market/bar_data.h"

namespace vela {

// A failure of the data component, handed to the caller of a Hooks operation.
class HooksError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Receives the bars-changed events of the requests it made.
class FeedEventSink {
  public:
    virtual ~FeedEventSink() = default;
    virtual void BarsChanged(std::int32_t handle) = 0;
};

// What stands behind the Hooks component: a source of bar histories and live changes.
// Runs on the user-interface thread; events arrive through the message loop. Failures are
// thrown as HooksError. Shared ownership (Hooks objects hold it) lets a feed keep itself
// alive while its own event delivery runs.
class MarketFeed : public std::enable_shared_from_this<MarketFeed> {
  public:
    virtual ~MarketFeed() = default;

    // 1 when data can be served, 0 when not.
    virtual std::int32_t IsEntitled() = 0;
    virtual void ClearSymbolCache() = 0;
    // Opens a request; its events go to sink until it is released or the sink detaches.
    virtual std::int32_t RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                        const std::string& interval, std::int32_t btType,
                                        std::int32_t numBars, std::int32_t startTime,
                                        std::int32_t endTime) = 0;
    // Unknown or released handles: not ready, no bars.
    virtual bool IsHistoryReady(std::int32_t handle) = 0;
    virtual std::int32_t GetNumBars(std::int32_t handle) = 0;
    // Index 0 is the newest bar, 1 - GetNumBars the oldest; dtTime is a platform date-time.
    virtual BarData GetBar(std::int32_t handle, std::int32_t index) = 0;
    // Ends a request; unknown handles are ignored.
    virtual void ReleaseHistory(std::int32_t handle) = 0;
    // Releases every request of the sink: it will get no further event.
    virtual void DetachSink(FeedEventSink& sink) noexcept = 0;

    // The feed's reports: what it cannot serve and why, and what it found wrong in its data,
    // one line each (without the line end). They go to the report stream (stderr unless
    // set; nullptr: nowhere) and to the listener, which the program uses to show them to
    // the user. Both are set on the user-interface thread.
    using ReportListener = std::function<void(const std::string& line)>;
    void SetReportListener(ReportListener listener) { listener_ = std::move(listener); }
    void SetReportStream(std::ostream* stream) { stream_ = stream; }
    // How many lines have been said, and the newest of them said after the first `count`
    // (only the last kKeptReports are kept): what a chart window's run heard of its feed.
    static constexpr std::size_t kKeptReports = 32;
    std::uint64_t ReportCount() const { return reportCount_; }
    std::vector<std::string> ReportsSince(std::uint64_t count) const;

  protected:
    // Says one line; a line holding line ends is said line by line.
    void Report(const std::string& text);

  private:
    ReportListener listener_;
    std::ostream* stream_ = &std::cerr;
    std::deque<std::string> recent_;
    std::uint64_t reportCount_ = 0;
};

// The process-wide feed chosen at start-up; empty until installed.
void InstallFeed(std::shared_ptr<MarketFeed> feed);
std::shared_ptr<MarketFeed> InstalledFeed();

}  // namespace vela
