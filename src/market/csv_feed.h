#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "market/bar_interval.h"
#include "market/csv_bar_file.h"
#include "market/feed_requests.h"
#include "platform/clock.h"
#include "platform/message_loop.h"

namespace vela {

struct CsvFeedOptions {
    std::string Folder;
    // With a pace, the newest bars of a file are held back from the history and released one
    // at a time, every ReplayMs from the feed's first request, as live changes; the feed
    // reports when a file's replay has reached its end.
    std::int32_t ReplayMs = 0;
    // How many bars to hold back; -1: 100, but at most half of the file.
    std::int32_t Hold = -1;
    // Where the reports go besides the listener (nullptr: nowhere).
    std::ostream* Warnings = &std::cerr;
    // Files of at least this size load on other threads while the request waits; smaller
    // ones are ready at once.
    std::uintmax_t BackgroundLoadBytes = std::uintmax_t{1} << 20;
    // The files' times mark the end of each bar (exchange data often does: 09:31 is the
    // minute 09:30-09:31) instead of its start.
    bool LabelEnd = false;
    // A request whose interval is the file's own, over the whole day, is served straight from
    // the file's bars instead of from a copy of them (same bars; off only to compare the two).
    bool ServeInPlace = true;
};

// A file's bars as the feed serves them.
struct CsvSeries {
    std::vector<RawBar> Bars;  // oldest first, each time the start of its bar
    // The file's own bar length: the most common gap between times within a day; a file
    // with one bar a day holds daily bars.
    std::int64_t SpacingSeconds = 0;
    bool Daily = false;
};

// The file's own spacing of bars, oldest first.
void DetectSpacing(CsvSeries& series);

// Bars from CSV files, one per symbol: Folder/<symbol>.csv (or the one file whose name
// matches ignoring case). The bars are aggregated into the requested interval (buckets
// aligned to the interval from midnight; "D" one bar per date) and the newest ones served.
// A symbol without a file, or an interval finer than the file's, is served no bars: the
// history is ready at once and empty, and the feed reports why.
class CsvFeed : public FeedRequests {
  public:
    CsvFeed(CsvFeedOptions options, MessageLoop& loop, Clock& clock);
    ~CsvFeed() override;

    // 1 while the folder can be read.
    std::int32_t IsEntitled() override;
    void ClearSymbolCache() override { cache_.clear(); }
    std::int32_t RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                const std::string& interval, std::int32_t btType,
                                std::int32_t numBars, std::int32_t startTime,
                                std::int32_t endTime) override;

    // The file's bars, or nullptr when the symbol has no readable file; waits for a load
    // in progress.
    std::shared_ptr<const CsvSeries> Load(const std::string& symbol);

    std::int32_t GetNumBars(std::int32_t handle) override;
    BarData GetBar(std::int32_t handle, std::int32_t index) override;

    // A file's bars and what its reading had to report.
    struct FileContent {
        std::shared_ptr<const CsvSeries> Series;
        std::string Warnings;
    };

  private:
    struct FileLoad;
    struct CsvRequest;
    std::shared_ptr<FileLoad> StartLoad(const std::string& symbol);
    // Waits for the load and reports its warnings the first time.
    std::shared_ptr<const CsvSeries> Finish(FileLoad& load);
    bool BecomesReady(Request& request) override;
    // Serves the loaded bars: the request is ready from here on.
    void Complete(CsvRequest& request);
    // Releases the bars the replay has reached by now; true when any were.
    bool CatchUp(CsvRequest& request);
    // The replay of the file has released its last bar: nothing more streams.
    void SayReplayEnded(FileLoad& load);
    void ScheduleTick();
    void Tick();
    void NoRequestsLeft() noexcept override;
    // Says the reports of background loads as they end, whether or not a request still
    // waits for them (the requester may have given up or gone).
    void WatchLoads();
    void StartWatch();

    CsvFeedOptions options_;
    MessageLoop& loop_;
    Clock& clock_;
    // The replay's one clock, started by the first request (not by the feed's making, which
    // may come long before any window): every request sees the bars released since then.
    std::optional<std::int64_t> startMs_;
    std::unordered_map<std::string, std::shared_ptr<FileLoad>> cache_;
    MessageLoop::TimerId timer_ = 0;
    // Background loads whose reports are not said yet.
    std::vector<std::shared_ptr<FileLoad>> loading_;
    MessageLoop::TimerId watch_ = 0;
    // The watch outlives the requests, so it is never cancelled (the loop may be gone by the
    // feed's end); it finds the feed through this, which ends with the feed.
    std::shared_ptr<CsvFeed*> self_ = std::make_shared<CsvFeed*>(this);
};

}  // namespace vela
