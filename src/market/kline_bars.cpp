#include "market/kline_bars.h"

#include <algorithm>
#include <ctime>

#include "market/bar_interval.h"

namespace vela {

namespace {

constexpr std::int64_t kDaySeconds = 86400;

// Days since 1 January 1970 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// 1 January 1970 counted from 30 December 1899.
constexpr std::int64_t kUnixEpochDay = 25569;

}  // namespace

std::int64_t LocalOffsetSeconds(std::int64_t utcSeconds) {
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    // Everything runs on the user-interface thread; the shared result is read at once.
    const std::tm* local = std::localtime(&t);
    if (local == nullptr) return 0;
    const std::int64_t localSeconds =
        DaysFromCivil(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday) * kDaySeconds +
        local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
    return localSeconds - utcSeconds;
}

double ShownTime::Of(std::int64_t utcMs, bool daily) {
    std::int64_t seconds = FloorDiv(utcMs, 1000);
    if (!utc_ && !daily) {
        const std::int64_t block = FloorDiv(seconds, 900);
        if (block != block_) {
            block_ = block;
            offset_ = LocalOffsetSeconds(seconds);
        }
        seconds += offset_;
    }
    return PlatformTimeFromSeconds(seconds + kUnixEpochDay * kDaySeconds);
}

std::int64_t KlineBars::BucketOf(std::int64_t openMs) const {
    return FloorDiv(openMs, bucketMs_) * bucketMs_;
}

BarPrices KlineBars::Aggregate() const {
    BarPrices b{shownOpen_,           forming_.front().Open,  forming_.front().High,
                forming_.front().Low, forming_.front().Close, forming_.front().Volume};
    for (std::size_t i = 1; i < forming_.size(); ++i) {
        const Kline& k = forming_[i];
        b.dHigh = std::max(b.dHigh, k.High);
        b.dLow = std::min(b.dLow, k.Low);
        b.dClose = k.Close;
        b.dVolume += k.Volume;
    }
    return b;
}

KlineBars::Result KlineBars::Apply(const Kline& k, std::vector<BarPrices>& bars) {
    const std::int64_t bucket = BucketOf(k.OpenMs);
    if (!forming_.empty() && bucket < bucket_) return Result::Older;
    if (forming_.empty() || bucket > bucket_) {
        bucket_ = bucket;
        forming_.assign(1, k);
        shownOpen_ = shown_.Of(bucket, daily_);
        bars.push_back(Aggregate());
        return Result::Changed;
    }
    const auto at = std::lower_bound(forming_.begin(), forming_.end(), k.OpenMs,
                                     [](const Kline& a, std::int64_t ms) { return a.OpenMs < ms; });
    if (at == forming_.end()) {
        // The usual case while history is built: one more kline at the end, taken in as the
        // sums go, in time order.
        forming_.push_back(k);
        BarPrices& b = bars.back();
        b.dHigh = std::max(b.dHigh, k.High);
        b.dLow = std::min(b.dLow, k.Low);
        b.dClose = k.Close;
        b.dVolume += k.Volume;
        return Result::Changed;
    }
    if (at->OpenMs == k.OpenMs) {
        if (k.Trades < at->Trades) return Result::Stale;
        if (at->Open == k.Open && at->High == k.High && at->Low == k.Low && at->Close == k.Close &&
            at->Volume == k.Volume && at->Trades == k.Trades) {
            at->Closed = at->Closed || k.Closed;
            return Result::Unchanged;
        }
        *at = k;
    } else {
        forming_.insert(at, k);
    }
    bars.back() = Aggregate();
    return Result::Changed;
}

}  // namespace vela
