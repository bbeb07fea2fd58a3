#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "market/bar_interval.h"
#include "market/csv_bar_file.h"
#include "market/feed_requests.h"
#include "platform/message_loop.h"

namespace vela {

struct CsvFeedOptions {
    std::string Folder;
    // With a pace, the newest bars of a file are held back from the history and released one
    // at a time, every ReplayMs, as live changes.
    std::int32_t ReplayMs = 0;
    // How many bars to hold back; -1: 100, but at most half of the file.
    std::int32_t Hold = -1;
    // Where the reports go besides the listener (nullptr: nowhere).
    std::ostream* Warnings = &std::cerr;
    // Files of at least this size load on other threads while the request waits; smaller
    // ones are ready at once.
    std::uintmax_t BackgroundLoadBytes = std::uintmax_t{1} << 20;
};

// Bars from CSV files, one per symbol: Folder/<symbol>.csv. The bars are aggregated into the
// requested interval (buckets aligned to the interval from midnight; "D" one bar per date)
// and the newest ones served. A missing file is a symbol the feed does not serve: its
// history is ready at once and empty.
class CsvFeed : public FeedRequests {
  public:
    CsvFeed(CsvFeedOptions options, MessageLoop& loop);
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
    std::shared_ptr<const std::vector<RawBar>> Load(const std::string& symbol);

    // A file's bars and the warnings its reading gave.
    struct FileContent {
        std::shared_ptr<const std::vector<RawBar>> Bars;
        std::string Warnings;
    };

  private:
    struct FileLoad;
    struct CsvRequest;
    std::shared_ptr<FileLoad> StartLoad(const std::string& symbol);
    // Waits for the load and writes its warnings the first time.
    std::shared_ptr<const std::vector<RawBar>> Finish(FileLoad& load);
    bool BecomesReady(Request& request) override;
    // Serves the loaded bars: the request is ready from here on.
    void Complete(CsvRequest& request);
    void Tick();
    void NoRequestsLeft() noexcept override;

    CsvFeedOptions options_;
    MessageLoop& loop_;
    std::unordered_map<std::string, std::shared_ptr<FileLoad>> cache_;
    MessageLoop::TimerId timer_ = 0;
};

}  // namespace vela
