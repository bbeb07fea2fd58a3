#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "geometry/pixel_mapping.h"
#include "geometry/value_mapping.h"
#include "platform/canvas.h"
#include "series/column_cursor.h"
#include "series/column_run_line.h"
#include "series/double_list.h"
#include "series/line_reducer.h"
#include "series/list_error.h"

namespace vela {

namespace {

// Calls draw with the point feed that suits the canvas's pen.
template <class Draw>
void WithLine(Canvas& canvas, const double* items, const PixelMapping& y, Draw draw) {
    if (LineReducer::UsesReduction(canvas.Pen())) {
        LineReducer line(canvas);
        ColumnRunLine feed(line, items, y);
        draw(feed);
        feed.Finish();
    } else {
        SegmentLine line(canvas);
        PointLine<SegmentLine> feed(line, items, y);
        draw(feed);
        feed.Finish();
    }
}

// Gap-free lines drawn as one line: a move to the first point, lines to the others.
class PolyLine {
  public:
    explicit PolyLine(Canvas& canvas) : canvas_(canvas) {}
    void Point(TPoint p) {
        if (started_)
            canvas_.LineTo(p.X, p.Y);
        else
            canvas_.MoveTo(p.X, p.Y);
        started_ = true;
    }
    void Break() { started_ = false; }
    void Finish() { started_ = false; }

  private:
    Canvas& canvas_;
    bool started_ = false;
};

// Calls draw with the point feed of a gap-free line that suits the canvas's pen.
template <class Draw>
void WithPolyLine(Canvas& canvas, const double* items, const PixelMapping& y, Draw draw) {
    if (LineReducer::UsesReduction(canvas.Pen())) {
        // Points skipped in between keep a column's points from being consecutive items, so
        // every point is mapped on its own (the reducer still draws four per column).
        LineReducer line(canvas);
        PointLine<LineReducer> feed(line, items, y);
        draw(feed);
        feed.Finish();
        return;
    }
    PolyLine line(canvas);
    PointLine<PolyLine> feed(line, items, y);
    draw(feed);
    feed.Finish();
}

// No colour of its own: the segments keep the pen's.
struct PenColour {
    static constexpr bool kChanges = false;
    TColor operator()(double, double) const { return 0; }
};

// The segment walk every segment member shares: segments i -> i + 1 for i in [first, end),
// each drawn when both items are non-null and keep(i) agrees, its points placed at
// columnOf(position) and rows y(item). A colour rule sets the pen before each segment drawn
// (and leaves it at the last one's); runs of one colour still reach the canvas reduced.
template <class ColumnOf, class Keep, class Colour = PenColour>
void WalkSegments(Canvas& canvas, const double* items, std::int32_t first, std::int32_t end,
                  std::int32_t count, ColumnOf columnOf, bool monotone, const PixelMapping& y,
                  Keep keep, Colour colour = {}) {
    if (end <= first) return;
    ColumnCursor columns(columnOf, monotone, count);
    WithLine(canvas, items, y, [&](auto& line) {
        // The position the line has reached; -1 when it is broken.
        std::int32_t reached = -1;
        for (std::int32_t i = first; i < end; ++i) {
            const double a = items[i];
            const double b = items[i + 1];
            if (a == kNullValue || b == kNullValue || !keep(i)) {
                line.Break();
                reached = -1;
                continue;
            }
            if constexpr (Colour::kChanges) {
                const TColor c = colour(a, b);
                if (c != canvas.Pen().Color) {
                    // What was drawn so far in the old colour goes out first.
                    line.Finish();
                    canvas.Pen().Color = c;
                    reached = -1;
                }
            }
            if (reached != i) {
                line.Break();
                line.Add(i, columns.At(i));
            }
            line.Add(i + 1, columns.At(i + 1));
            reached = i + 1;
        }
    });
}

// The gap-free walk: one line through the points of [first, last] that drawable(i) accepts.
template <class Drawable>
void WalkPoints(Canvas& canvas, const double* items, std::int32_t first, std::int32_t last,
                std::int32_t count, const PixelMapping& x, const PixelMapping& y,
                Drawable drawable) {
    if (last < first) return;
    ColumnCursor columns([&](std::int32_t k) { return x(k); }, true, count);
    WithPolyLine(canvas, items, y, [&](auto& line) {
        for (std::int32_t i = first; i <= last; ++i)
            if (drawable(i)) line.Add(i, columns.At(i));
    });
}

constexpr auto kEverySegment = [](std::int32_t) { return true; };

// The sign rule: both ends above 0 plus, both below minus, else the end of larger magnitude
// (the second on a tie) decides by its sign.
struct SignColour {
    static constexpr bool kChanges = true;
    TColor Minus;
    TColor Plus;
    TColor operator()(double a, double b) const {
        if (a > 0 && b > 0) return Plus;
        if (a < 0 && b < 0) return Minus;
        const double decider = std::fabs(a) > std::fabs(b) ? a : b;
        return decider >= 0 ? Plus : Minus;
    }
};

// The gradient at the segment's middle value: GradientColor's channels through the quick
// mapping, which gives the very same values.
struct GradientColour {
    static constexpr bool kChanges = true;
    GradientColour(TColor minus, TColor plus, double vmin, double vmax)
        : flat_(vmin == vmax),
          red_(RedOf(minus), RedOf(plus), vmin, vmax),
          green_(GreenOf(minus), GreenOf(plus), vmin, vmax),
          blue_(BlueOf(minus), BlueOf(plus), vmin, vmax) {}
    TColor operator()(double a, double b) const {
        if (flat_) return clWhite;
        const double v = (a + b) / 2;
        return RgbColor(red_(v) & 0xFF, green_(v) & 0xFF, blue_(v) & 0xFF);
    }

  private:
    bool flat_;
    PixelMapping red_;
    PixelMapping green_;
    PixelMapping blue_;
};

// Raises the list's index error unless positions first..last lie in a list of count items.
void CheckSpan(std::int32_t first, std::int32_t last, std::int32_t count) {
    if (last < first) return;
    detail::CheckIndex(first, static_cast<std::size_t>(count));
    detail::CheckIndex(last, static_cast<std::size_t>(count));
}

}  // namespace

template <class ColourFor>
void TVegaDoubleList::DrawWholeListColoured(Canvas& Canv, const TRect& R,
                                            ColourFor colourFor) const {
    double lo = 0, hi = 0;
    GetMinMax(lo, hi);
    if (!(hi > lo)) return;
    const std::int32_t count = Count();
    const PixelMapping x(R.Left, R.Right, 0, count - 1);
    const PixelMapping y(R.Bottom, R.Top, lo, hi);
    WalkSegments(
        Canv, FList.data(), 0, count - 1, count, [&](std::int32_t k) { return x(k); }, true, y,
        kEverySegment, colourFor(lo, hi));
}

template <class Drawable>
void TVegaDoubleList::DrawGapFree(Canvas& Canv, const TRect& R, std::int32_t XMin,
                                  std::int32_t XMax, double lo, double hi,
                                  Drawable drawable) const {
    if (!(hi > lo) || XMax < XMin) return;
    CheckSpan(XMin, XMax, Count());
    const PixelMapping x(R.Left, R.Right, XMin, XMax);
    const PixelMapping y(R.Bottom, R.Top, lo, hi);
    WalkPoints(Canv, FList.data(), XMin, XMax, Count(), x, y, drawable);
}

void TVegaDoubleList::Draw(Canvas& Canv, const TRect& R) const {
    double lo = 0, hi = 0;
    GetMinMax(lo, hi);
    if (!(hi > lo)) return;
    Draw1(Canv, R, lo, hi);
}

void TVegaDoubleList::Draw2(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax) {
    GetMinMaxWithNullSpan(ViewedMin, ViewedMax, kNullValue, XMin, XMax);
    Draw3(Canv, R, XMin, XMax, ViewedMin, ViewedMax);
}

void TVegaDoubleList::Draw3(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax,
                            double YMin, double YMax) const {
    if (FList.empty() || !(YMax > YMin) || XMax - 1 < XMin) return;
    CheckSpan(XMin, XMax, Count());
    const PixelMapping x(R.Left, R.Right, XMin, XMax);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    WalkSegments(
        Canv, FList.data(), XMin, XMax, Count(), [&](std::int32_t k) { return x(k); }, true, y,
        kEverySegment);
}

void TVegaDoubleList::Draw2Rescaled(Canvas& Canv, const TRect& R, std::int32_t XMin,
                                    std::int32_t XMax, double TTMin, double TTMax,
                                    const TVegaDoubleList& TimeList) const {
    double lo = 0, hi = 0;
    GetMinMaxWithNullSpan(lo, hi, kNullValue, XMin, XMax);
    if (!(hi > lo) || XMax - 1 < XMin) return;
    CheckSpan(XMin, XMax, Count());
    CheckSpan(XMin, XMax, TimeList.Count());
    const PixelMapping x(R.Left, R.Right, TTMin, TTMax);
    const PixelMapping y(R.Bottom, R.Top, lo, hi);
    const double* times = TimeList.FList.data();
    const std::int32_t n = std::min(Count(), TimeList.Count());
    WalkSegments(
        Canv, FList.data(), XMin, XMax, n, [&](std::int32_t k) { return x(times[k]); },
        MapsMonotonically(times, n, x), y, kEverySegment);
}

void TVegaDoubleList::Draw2Rescaled1(Canvas& Canv, const TRect& R, double TTMin, double TTMax,
                                     const TVegaDoubleList& TimeList, double MaxXStep) {
    const std::int32_t n = std::min(Count(), TimeList.Count());
    double lo = 1e22, hi = -1e22;
    for (std::int32_t i = 0; i < n; ++i) {
        const double v = FList[static_cast<std::size_t>(i)];
        const double t = TimeList.FList[static_cast<std::size_t>(i)];
        if (v == kNullValue || !((TTMin - t) * (TTMax - t) < 0)) continue;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    ViewedMin = lo;
    ViewedMax = hi;
    if (!(hi > lo)) return;
    DrawTimeWindow(Canv, R, TTMin, TTMax, lo, hi, TimeList, MaxXStep);
}

void TVegaDoubleList::Draw2Rescaled10(Canvas& Canv, const TRect& R, double TTMin, double TTMax,
                                      double YMin, double YMax, const TVegaDoubleList& TimeList,
                                      double MaxXStep) {
    ViewedMin = YMin;
    ViewedMax = YMax;
    if (!(YMin < YMax)) return;
    DrawTimeWindow(Canv, R, TTMin, TTMax, YMin, YMax, TimeList, MaxXStep);
}

void TVegaDoubleList::DrawTimeWindow(Canvas& Canv, const TRect& R, double TTMin, double TTMax,
                                     double YMin, double YMax, const TVegaDoubleList& TimeList,
                                     double MaxXStep) const {
    const std::int32_t n = std::min(Count(), TimeList.Count());
    const PixelMapping x(R.Left, R.Right, TTMin, TTMax);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    const double* times = TimeList.FList.data();
    // A segment with both times outside the window or on its border is left out, and so is
    // one that steps too far in time (a gap in the data).
    const auto keep = [&](std::int32_t i) {
        const double t0 = times[i];
        const double t1 = times[i + 1];
        if ((TTMin - t0) * (TTMax - t0) >= 0 && (TTMin - t1) * (TTMax - t1) >= 0) return false;
        return std::fabs(t1 - t0) < MaxXStep;
    };
    WalkSegments(
        Canv, FList.data(), 0, n - 1, n, [&](std::int32_t k) { return x(times[k]); },
        MapsMonotonically(times, n, x), y, keep);
}

void TVegaDoubleList::DrawDifferentColor(Canvas& Canv, const TRect& R, TColor cl_Minus,
                                         TColor cl_Plus) const {
    DrawWholeListColoured(Canv, R, [&](double, double) { return SignColour{cl_Minus, cl_Plus}; });
}

void TVegaDoubleList::DrawDifferentColor10(Canvas& Canv, const TRect& R, TColor cl_Minus,
                                           TColor cl_Plus) const {
    DrawWholeListColoured(Canv, R, [&](double lo, double hi) {
        return GradientColour{cl_Minus, cl_Plus, lo, hi};
    });
}

void TVegaDoubleList::DrawDifferentColor1(Canvas& Canv, const TRect& R, TColor cl_Minus,
                                          TColor cl_Plus, double VMin, double VMax,
                                          std::int32_t XMin, std::int32_t XMax) const {
    if (!(VMax > VMin) || XMax - 1 < XMin) return;
    CheckSpan(XMin, XMax, Count());
    const PixelMapping x(R.Left, R.Right, XMin, XMax);
    const PixelMapping y(R.Bottom, R.Top, VMin, VMax);
    WalkSegments(
        Canv, FList.data(), XMin, XMax, Count(), [&](std::int32_t k) { return x(k); }, true, y,
        kEverySegment, SignColour{cl_Minus, cl_Plus});
}

void TVegaDoubleList::DrawColored1(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                                   double VMin, double VMax, std::int32_t XMin,
                                   std::int32_t XMax) const {
    if (!(VMax > VMin) || XMax - 1 < XMin) return;
    CheckSpan(XMin, XMax, Count());
    const PixelMapping x(R.Left, R.Right, XMin, XMax);
    const PixelMapping y(R.Bottom, R.Top, VMin, VMax);
    WalkSegments(
        Canv, FList.data(), XMin, XMax, Count(), [&](std::int32_t k) { return x(k); }, true, y,
        kEverySegment, GradientColour{cl_Minus, cl_Plus, VMin, VMax});
}

void TVegaDoubleList::DrawNoGap(Canvas& Canv, const TRect& R) const {
    double lo = 0, hi = 0;
    GetMinMax(lo, hi);
    const double* items = FList.data();
    DrawGapFree(Canv, R, 0, Count() - 1, lo, hi,
                [&](std::int32_t i) { return items[i] != kNullValue; });
}

void TVegaDoubleList::Draw2NoGap(Canvas& Canv, const TRect& R, std::int32_t XMin,
                                 std::int32_t XMax) {
    GetMinMaxWithNullSpan(ViewedMin, ViewedMax, kNullValue, XMin, XMax);
    const double* items = FList.data();
    DrawGapFree(Canv, R, XMin, XMax, ViewedMin, ViewedMax,
                [&](std::int32_t i) { return items[i] != kNullValue; });
}

void TVegaDoubleList::Draw2SkipNULL(Canvas& Canv, const TRect& R, std::int32_t XMin,
                                    std::int32_t XMax, double SkippedValue) const {
    double lo = 0, hi = 0;
    GetMinMaxWithNullSpan(lo, hi, kNullValue, XMin, XMax);
    const double* items = FList.data();
    DrawGapFree(Canv, R, XMin, XMax, lo, hi,
                [&](std::int32_t i) { return items[i] != kNullValue && items[i] != SkippedValue; });
}

void TVegaDoubleList::Draw1(Canvas& Canv, const TRect& R, double YMin, double YMax) const {
    if (!(YMax > YMin)) return;
    const std::int32_t count = Count();
    const PixelMapping x(R.Left, R.Right, 0, count - 1);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    // An even spacing is monotone.
    WalkSegments(
        Canv, FList.data(), 0, count - 1, count, [&](std::int32_t k) { return x(k); }, true, y,
        kEverySegment);
}

void TVegaDoubleList::Draw1Rescaled(Canvas& Canv, const TRect& R, double YMin, double YMax,
                                    double TTMin, double TTMax,
                                    const TVegaDoubleList& TimeList) const {
    if (!(YMax > YMin)) return;
    const std::int32_t n = std::min(Count(), TimeList.Count());
    const PixelMapping x(R.Left, R.Right, TTMin, TTMax);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    const double* times = TimeList.FList.data();
    // Only the segment's first time is tested.
    const auto inWindow = [&](std::int32_t i) {
        return (TTMin - times[i]) * (TTMax - times[i]) <= 0;
    };
    WalkSegments(
        Canv, FList.data(), 0, n - 1, n, [&](std::int32_t k) { return x(times[k]); },
        MapsMonotonically(times, n, x), y, inWindow);
}

}  // namespace vela
