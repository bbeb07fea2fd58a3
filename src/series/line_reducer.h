#pragma once

#include <cstdint>

#include "platform/canvas.h"
#include "platform/graphics_types.h"

namespace vela {

// The two ways a series line reaches the canvas. Both take the points of a line in order:
// Point joins a point to the one before it by a segment (the first point after a Break, or
// the very first, starts a new piece), Break leaves a gap, Finish ends the line with the pen
// where the last segment ended.

// Every segment drawn on its own: a move to its start and a line to its end.
class SegmentLine {
  public:
    explicit SegmentLine(Canvas& canvas) : canvas_(canvas) {}

    void Point(TPoint p) {
        if (started_) {
            canvas_.MoveTo(previous_.X, previous_.Y);
            canvas_.LineTo(p.X, p.Y);
        }
        previous_ = p;
        started_ = true;
    }
    void Break() { started_ = false; }
    void Finish() { started_ = false; }

  private:
    Canvas& canvas_;
    TPoint previous_;
    bool started_ = false;
};

// The same pixels as SegmentLine with at most four points per pixel column (the first, the
// lowest, the highest and the last of each run of points in one column), so a line of a
// million points costs a few thousand canvas lines. It relies on the canvas's line rules: a
// line covers its start pixel and leaves out its end pixel, and for a solid pen one pixel wide
// the picture is the union of the segments' pixels whatever their order (see UsesReduction).
class LineReducer {
  public:
    explicit LineReducer(Canvas& canvas) : canvas_(canvas) {}

    // Whether the pen draws lines whose pixels combine as a plain union: solid and one pixel
    // wide (copy or mask mode alike), or clear. Styled pens restart their pattern at every
    // segment and wide pens round their ends, so those lines go segment by segment.
    static bool UsesReduction(const CanvasPen& pen) {
        return pen.Style == PenStyle::Clear || (pen.Style == PenStyle::Solid && pen.Width <= 1);
    }

    void Point(TPoint p);
    void Break();
    void Finish();

  private:
    // Draws the run's vertical part; `leaves` tells that a segment to another column starts
    // at the run's last point, which covers that pixel anyway.
    void EndRun(bool leaves);
    void Line(std::int32_t x, std::int32_t y0, std::int32_t y1);

    Canvas& canvas_;
    bool inRun_ = false;
    // The current run: its column, lowest and highest row, last row, and whether the segments
    // inside the column so far cover the last row (a segment leaves out its end pixel, so the
    // last row is uncovered when the column's walk only ever arrived there).
    std::int32_t x_ = 0;
    std::int32_t lo_ = 0;
    std::int32_t hi_ = 0;
    std::int32_t last_ = 0;
    bool lastCovered_ = false;
    // Where the last segment ended, for the pen position at the end.
    TPoint penEnd_;
    bool drewSegment_ = false;
};

}  // namespace vela
