#include "chart/chart_column_cache.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/pixel_mapping.h"
#include "series/column_cursor.h"
#include "series/line_reducer.h"
#include "series/series_indicators.h"

namespace vela {

namespace {

constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
// Positions per block of the price range: a few hundred blocks for a million bars, and a
// streaming update looks at one of them again.
constexpr std::size_t kBlock = 4096;

using Run = ChartColumnCache::Run;

// Collects the walk's points into runs as ColumnRunLine collects them for the reducer, but
// keeps them instead of handing them on.
class RunRecorder {
  public:
    RunRecorder(std::vector<Run>& runs, const double* items) : runs_(runs), items_(items) {}

    void Add(std::int32_t i, std::int32_t x) {
        const double v = items_[i];
        if (inRun_ && x == run_.X) {
            run_.End = i;
            run_.Last = v;
            if (v < run_.Lo) run_.Lo = v;
            if (v > run_.Hi) run_.Hi = v;
            run_.Nan |= v != v;
            return;
        }
        if (inRun_) Close(false);
        inRun_ = true;
        run_ = Run{x, i, i, v, v, v, v, v != v, false};
    }
    void Break() {
        if (!inRun_) return;
        Close(true);
        inRun_ = false;
    }
    // Add(j, x) for j = from, from + 1, ... up to last in the run's column x, while segment
    // j - 1 -> j is drawn (item j non-null and keep(j - 1)); item from - 1 is in the run.
    // Returns the last position added (from - 1 when none was).
    template <class Keep>
    std::int32_t Extend(std::int32_t from, std::int32_t last, Keep keep) {
        double lo = run_.Lo;
        double hi = run_.Hi;
        bool nan = run_.Nan;
        std::int32_t j = from;
        for (; j <= last; ++j) {
            const double v = items_[j];
            if (v == kNullValue || !keep(j - 1)) break;
            if (v < lo) lo = v;
            if (v > hi) hi = v;
            nan |= v != v;
        }
        if (j > from) {
            run_.End = j - 1;
            run_.Last = items_[j - 1];
            run_.Lo = lo;
            run_.Hi = hi;
            run_.Nan = nan;
        }
        return j - 1;
    }

  private:
    void Close(bool broken) {
        run_.Broken = broken;
        runs_.push_back(run_);
    }

    std::vector<Run>& runs_;
    const double* items_;
    bool inRun_ = false;
    Run run_;
};

// The walk of the plain segment drawing over segments i -> i + 1, i from `from` to n - 2,
// each drawn when both items are non-null and keep(i) agrees, into runs. `reached` is where
// the line stood before `from` (-1: broken); the recorder holds the run it stood in. Once a
// segment reaches a column, the rest of the column is taken in one tight pass.
template <class ColumnOf, class Keep>
void Walk(RunRecorder& line, const double* items, std::int32_t from, std::int32_t n,
          std::int32_t reached, ColumnOf columnOf, bool monotone, Keep keep) {
    ColumnCursor columns(columnOf, monotone, n);
    for (std::int32_t i = from; i < n - 1; ++i) {
        const double a = items[i];
        const double b = items[i + 1];
        if (a == kNullValue || b == kNullValue || !keep(i)) {
            line.Break();
            reached = -1;
            continue;
        }
        if (reached != i) {
            line.Break();
            line.Add(i, columns.At(i));
        }
        line.Add(i + 1, columns.At(i + 1));
        reached = i + 1;
        const auto last = static_cast<std::int32_t>(std::min<std::int64_t>(columns.Next(), n) - 1);
        if (last > i + 1) {
            reached = line.Extend(i + 2, last, keep);
            i = reached - 1;
        }
    }
    line.Break();
}

// Brings runs made from items of which the first `kept` are those of now up to date: a run
// whose walk ended two positions before the first changed item is kept (the step after its
// last point decided how it ended), and the walk goes on after the last one kept, standing
// where the plain walk stood there.
template <class ColumnOf, class Keep>
void Refresh(std::vector<Run>& runs, std::size_t kept, const double* items, std::int32_t n,
             ColumnOf columnOf, bool monotone, Keep keep) {
    const auto stays = [kept](const Run& r) { return static_cast<std::size_t>(r.End) + 2 <= kept; };
    runs.erase(std::partition_point(runs.begin(), runs.end(), stays), runs.end());
    RunRecorder line(runs, items);
    std::int32_t from = 0;
    std::int32_t reached = -1;
    if (!runs.empty()) {
        const Run last = runs.back();
        from = last.End + 1;
        if (!last.Broken) {
            // The segment that left the last run began the next one at `from`.
            line.Add(from, columnOf(from));
            reached = from;
        }
    }
    Walk(line, items, from, n, reached, columnOf, monotone, keep);
}

// Hands the runs to the reducer as ColumnRunLine would have: a run that a segment leaves
// goes as its first, lowest, highest and last point, any other point by point.
void Replay(const std::vector<Run>& runs, const double* items, const PixelMapping& y,
            LineReducer& line) {
    for (const Run& r : runs) {
        const bool collapse =
            !r.Broken && r.End - r.Start >= 4 && !r.Nan && y.Regular(r.Lo) && y.Regular(r.Hi);
        if (collapse) {
            const std::int32_t a = y(r.Lo);
            const std::int32_t b = y(r.Hi);
            line.Point(TPoint{r.X, y(r.First)});
            line.Point(TPoint{r.X, std::min(a, b)});
            line.Point(TPoint{r.X, std::max(a, b)});
            line.Point(TPoint{r.X, y(r.Last)});
        } else {
            for (std::int32_t i = r.Start; i <= r.End; ++i) line.Point(TPoint{r.X, y(items[i])});
        }
        if (r.Broken) line.Break();
    }
    line.Finish();
}

}  // namespace

void ChartColumnCache::Keep(std::size_t positions) {
    logged_.Keep(positions);
    bars_.Kept = std::min(bars_.Kept, positions);
    for (LineColumns& line : lines_) line.Kept = std::min(line.Kept, positions);
    for (BlockRange* blocks : {&highs_, &lows_}) blocks->Kept = std::min(blocks->Kept, positions);
}

void ChartColumnCache::RangeOf(BlockRange& blocks, const TVegaDoubleList& list, double& lo,
                               double& hi) {
    const std::span<const double> items = list.Items();
    const std::size_t n = items.size();
    // A count that changed while nobody said what stayed: nothing is vouched for.
    std::size_t kept = blocks.Kept == kAll && blocks.Count != n ? 0 : std::min(blocks.Kept, n);
    const std::size_t count = (n + kBlock - 1) / kBlock;
    const std::size_t keptBlocks = std::min(kept / kBlock, blocks.Lo.size());
    blocks.Lo.resize(count);
    blocks.Hi.resize(count);
    for (std::size_t b = keptBlocks; b < count; ++b) {
        double blockLo = kMinSearchStart;
        double blockHi = kMaxSearchStart;
        const std::size_t end = std::min(n, (b + 1) * kBlock);
        for (std::size_t i = b * kBlock; i < end; ++i) {
            const double v = items[i];
            if (v == kNullValue) continue;
            if (v < blockLo) blockLo = v;
            if (v > blockHi) blockHi = v;
        }
        blocks.Lo[b] = blockLo;
        blocks.Hi[b] = blockHi;
    }
    // Taken in order with the same comparisons, the blocks' extremes give GetMinMax's.
    lo = kMinSearchStart;
    hi = kMaxSearchStart;
    for (std::size_t b = 0; b < count; ++b) {
        if (blocks.Lo[b] < lo) lo = blocks.Lo[b];
        if (blocks.Hi[b] > hi) hi = blocks.Hi[b];
    }
    blocks.Kept = kAll;
    blocks.Count = n;
}

void ChartColumnCache::HighLowRange(const ChartState& s, double& highMin, double& highMax,
                                    double& lowMin, double& lowMax) {
    RangeOf(highs_, s.LHigh, highMin, highMax);
    RangeOf(lows_, s.LLow, lowMin, lowMax);
}

void ChartColumnCache::DrawLine(const ChartState& s, const TVegaDoubleList& line, Canvas& canvas,
                                const TRect& plot, double ymin, double ymax, double tmin,
                                double tmax, bool log) {
    const ChartOverlays& o = s.Overlays;
    // What the line was made with: an average's type and window, the RSI's window.
    ChartAverage made{-1, 0};
    std::size_t slot = lines_.size();
    if (&line == &s.LClose || &line == &s.LLow || &line == &s.LHigh) {
        slot = &line == &s.LClose ? 0 : &line == &s.LLow ? 1 : 2;
    } else if (&line == &o.LRsi) {
        slot = kRsiSlot;
        made.Window = o.RsiWindow;
    } else {
        for (std::size_t k = 0;
             k < std::min({kAverageSlots, o.LAverages.size(), o.Averages.size()}); ++k)
            if (&line == &o.LAverages[k]) {
                slot = 3 + k;
                made = o.Averages[k];
            }
    }
    if (slot == lines_.size() || !LineReducer::UsesReduction(canvas.Pen())) {
        if (s.Intraday)
            line.Draw1(canvas, plot, ymin, ymax);
        else
            line.Draw1Rescaled(canvas, plot, ymin, ymax, tmin, tmax, s.LTime);
        return;
    }
    if (!(ymax > ymin)) return;
    LineColumns& columns = lines_[slot];
    const double* items = line.Items().data();
    const std::int32_t count = line.Count();
    LineKey key{count, -1, {plot.Left, plot.Right, true, log, 0, 0}, made.Type, made.Window};
    if (!s.Intraday)
        key = LineKey{count,
                      s.LTime.Count(),
                      {plot.Left, plot.Right, false, log, tmin, tmax},
                      made.Type,
                      made.Window};
    std::size_t kept = columns.Key == key ? columns.Kept : 0;
    // An average's pass may have changed items before the first changed close.
    if (slot >= 3 && slot < kRsiSlot && kept < static_cast<std::size_t>(count))
        kept = MovingAverageItemsKept(made.Window, made.Type, kept);
    if (s.Intraday) {
        const PixelMapping x(plot.Left, plot.Right, 0, count - 1);
        // An even spacing is monotone.
        Refresh(
            columns.Runs, kept, items, count, [&](std::int32_t k) { return x(k); }, true,
            [](std::int32_t) { return true; });
    } else {
        const PixelMapping x(plot.Left, plot.Right, tmin, tmax);
        const double* times = s.LTime.Items().data();
        // Only the segment's first time is tested.
        const std::int32_t n = std::min(count, s.LTime.Count());
        Refresh(
            columns.Runs, kept, items, n, [&](std::int32_t k) { return x(times[k]); },
            MapsMonotonically(times, n, x),
            [&](std::int32_t i) { return (tmin - times[i]) * (tmax - times[i]) <= 0; });
    }
    columns.Key = key;
    columns.Kept = kAll;
    const PixelMapping y(plot.Bottom, plot.Top, ymin, ymax);
    LineReducer reducer(canvas);
    Replay(columns.Runs, items, y, reducer);
}

const std::vector<BarColumn>& ChartColumnCache::BarColumns(const ChartState& s, const TRect& plot,
                                                           const BarScale& scale, bool log) {
    KeptBars& kept = bars_;
    const std::int32_t n = std::min({s.LClose.Count(), s.LHigh.Count(), s.LLow.Count()});
    if (n < 2 || s.LTime.Count() < n) {
        kept = KeptBars{};
        return kept.Columns;
    }
    const bool open = s.LOpen.Count() >= n;
    const bool volume = s.LVolume.Count() >= n;
    const double* times = s.LTime.Items().data();
    // The mappings of BarColumnsOf, the close line's.
    const PixelMapping byPosition(plot.Left, plot.Right, 0, s.LClose.Count() - 1);
    const PixelMapping byTime(plot.Left, plot.Right, scale.TMin, scale.TMax);
    const auto xOf = [&](std::int32_t i) { return s.Intraday ? byPosition(i) : byTime(times[i]); };

    const BarKey key{
        n,    s.LClose.Count(), s.LTime.Count(),
        open, volume,           {plot.Left, plot.Right, s.Intraday, log, scale.TMin, scale.TMax}};
    std::size_t unchanged = kept.Key == key ? std::min(kept.Kept, static_cast<std::size_t>(n)) : 0;
    // A changed bar can join a column only where columns never turn back over the bars.
    if (unchanged > 0 && !s.Intraday && !MapsMonotonically(times, n, byTime)) unchanged = 0;
    // A column stays when its bars all stayed and no changed bar can fall into it: it lies
    // left of the first changed bar's column.
    std::size_t stays = 0;
    if (unchanged > 0) {
        const bool all = unchanged >= static_cast<std::size_t>(n);
        const std::int32_t changedX = all ? 0 : xOf(static_cast<std::int32_t>(unchanged));
        while (stays < kept.Columns.size() &&
               static_cast<std::size_t>(kept.Last[stays]) < unchanged &&
               (all || kept.Columns[stays].X < changedX))
            ++stays;
    }
    kept.Columns.resize(stays);
    kept.Last.resize(stays);
    // The next bar after the last column kept starts a column of its own.
    ForEachBarColumn(s, plot, scale, stays > 0 ? kept.Last.back() + 1 : 0,
                     [&kept](const BarColumn& c, std::int32_t last) {
                         kept.Columns.push_back(c);
                         kept.Last.push_back(last);
                     });
    kept.Key = key;
    kept.Kept = kAll;
    return kept.Columns;
}

}  // namespace vela
