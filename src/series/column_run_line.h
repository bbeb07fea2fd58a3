#pragma once

#include <cstdint>

#include "geometry/pixel_mapping.h"
#include "platform/graphics_types.h"
#include "series/line_reducer.h"

namespace vela {

// Feeds the points of a series line to a LineReducer. Add(i, x) joins item i, at column x, to
// the point added before it (unless the line was broken in between); items are the series
// values, mapped to rows by y. Neighbouring points in one column are collected as their
// lowest and highest value and reach the reducer as the column's first, lowest, highest and
// last point, so a long line costs one comparison per point. The pixels stay those of every
// segment drawn on its own: a column that a segment leaves needs only its extent (the leaving
// segment covers the last row), and the last column before a gap goes point by point.
class ColumnRunLine {
  public:
    ColumnRunLine(LineReducer& line, const double* items, const PixelMapping& y)
        : line_(line), items_(items), y_(y) {}

    void Add(std::int32_t i, std::int32_t x) {
        const double v = items_[i];
        if (inRun_ && x == x_) {
            end_ = i;
            if (v < lo_) lo_ = v;
            if (v > hi_) hi_ = v;
            nan_ |= v != v;
            return;
        }
        if (inRun_) Flush(true);
        inRun_ = true;
        x_ = x;
        start_ = end_ = i;
        lo_ = hi_ = v;
        nan_ = v != v;
    }

    void Break() {
        if (!inRun_) return;
        Flush(false);
        inRun_ = false;
        line_.Break();
    }

    void Finish() {
        Break();
        line_.Finish();
    }

  private:
    void Flush(bool leaves);

    LineReducer& line_;
    const double* items_;
    const PixelMapping& y_;
    bool inRun_ = false;
    std::int32_t x_ = 0;
    std::int32_t start_ = 0;
    std::int32_t end_ = 0;
    double lo_ = 0;
    double hi_ = 0;
    bool nan_ = false;
};

// Every point mapped and handed on as it comes, for lines drawn segment by segment.
template <class Line>
class PointLine {
  public:
    PointLine(Line& line, const double* items, const PixelMapping& y)
        : line_(line), items_(items), y_(y) {}

    void Add(std::int32_t i, std::int32_t x) { line_.Point(TPoint{x, y_(items_[i])}); }
    void Break() { line_.Break(); }
    void Finish() { line_.Finish(); }

  private:
    Line& line_;
    const double* items_;
    const PixelMapping& y_;
};

}  // namespace vela
