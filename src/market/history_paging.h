#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "market/exchange_protocol.h"
#include "market/kline.h"

namespace vela {

// The plan for fetching a history of a number of bars in pages of at most a given number of
// klines, several pages at a time. The first page is the newest klines; the others are
// stretches of time before it, each a whole number of bars long, so that no bar is split
// between pages. A probe for the symbol's first kline tells where its history begins.
class HistoryPaging {
  public:
    static constexpr int kProbe = -1;

    struct Page {
        int Index = 0;              // 0 the newest, 1 the one before ...; kProbe the first kline
        std::int64_t StartMs = -1;  // -1: not bounded
        std::int64_t EndMs = -1;
        std::int32_t Limit = 0;
    };

    HistoryPaging(const IntervalPlan& plan, std::int32_t maxKlines, std::int32_t wantedBars);

    // The next page worth asking for, counting on the pages in flight to come back full.
    std::optional<Page> Next();
    // A page came back: its klines as the exchange sent them.
    void Received(int index, std::vector<Kline> klines);
    // A page that cannot be had: the history ends after it.
    void Failed(int index);
    // A page to ask for again (the exchange asked to wait).
    void Retry(int index);

    // Enough bars, or the history ends.
    bool Complete() const;
    // The bars held in the unbroken run of pages from the newest.
    std::int64_t BarsInHand() const;
    // Whether the history ran out before the wanted number of bars.
    bool ReachedFirst() const { return reachedFirst_; }
    bool Started() const { return asked0_; }
    // The klines of that run, oldest first; the plan is spent after this.
    std::vector<Kline> Take();

  private:
    struct Result {
        std::vector<Kline> Klines;
        std::int64_t Bars = 0;
        bool Failed = false;
    };
    Page PageAt(int index) const;
    // Walks the run of pages from the newest: bars, and whether it ends the history.
    void Walk(std::int64_t& bars, bool& ends) const;

    IntervalPlan plan_;
    std::int32_t pageKlines_;
    std::int64_t barsPerPage_;
    std::int64_t wanted_;
    bool asked0_ = false;
    bool askedProbe_ = false;
    std::optional<std::int64_t> firstMs_;  // the first kline's open; INT64_MAX when none
    bool probeFailed_ = false;
    std::int64_t boundaryMs_ = 0;  // where page 1 ends (the first bar boundary in page 0)
    bool page0Full_ = false;
    int nextIndex_ = 1;
    std::map<int, Result> results_;
    std::vector<int> inFlight_;
    std::vector<int> retry_;
    mutable bool reachedFirst_ = false;
};

}  // namespace vela
