#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "market/bar_data.h"
#include "market/kline.h"

namespace vela {

// Where an exchange's UTC instants are shown: in the computer's local time zone (as a
// desktop terminal shows them) or in UTC. Daily bars keep their UTC date either way: the
// exchange's day is what they are.
class ShownTime {
  public:
    explicit ShownTime(bool utc) : utc_(utc) {}
    // A platform date-time for an instant in UTC milliseconds (the milliseconds dropped).
    double Of(std::int64_t utcMs, bool daily);

  private:
    bool utc_;
    // The local offset changes at most on quarter hours: the last one found is kept.
    std::int64_t block_ = std::numeric_limits<std::int64_t>::min();
    std::int64_t offset_ = 0;
};

// The local time zone's offset from UTC at an instant, in seconds.
std::int64_t LocalOffsetSeconds(std::int64_t utcSeconds);

// Builds the bars of one interval from the exchange's klines of a finer or equal one, kept
// in a caller's list, oldest first: a bar opens at its bucket's boundary in UTC and holds
// the open of its first kline, the high and low over all, the close of the last and the
// summed volume. A kline may arrive many times while it forms; each state replaces the
// one before unless it holds fewer trades (it is older).
class KlineBars {
  public:
    enum class Result {
        Changed,    // the newest bar changed or a new one opened
        Unchanged,  // the same state again
        Stale,      // an older state of a kline already held
        Older,      // a kline of a bucket before the newest one: not taken
    };

    KlineBars(std::int64_t bucketMs, bool daily, bool utc)
        : bucketMs_(bucketMs), daily_(daily), shown_(utc) {}

    Result Apply(const Kline& k, std::vector<BarPrices>& bars);
    bool Empty() const { return forming_.empty(); }
    // Where the newest bar opens, in UTC milliseconds (only when not Empty).
    std::int64_t NewestBucketMs() const { return bucket_; }
    std::int64_t BucketOf(std::int64_t openMs) const;

  private:
    BarPrices Aggregate() const;

    std::int64_t bucketMs_;
    bool daily_;
    ShownTime shown_;
    std::int64_t bucket_ = std::numeric_limits<std::int64_t>::min();
    std::vector<Kline> forming_;  // the klines of the newest bucket, by open time
    double shownOpen_ = 0;        // the newest bar's time as shown
};

}  // namespace vela
