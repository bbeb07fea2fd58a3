#include "series/line_reducer.h"

#include <algorithm>

namespace vela {

void LineReducer::Point(TPoint p) {
    if (!inRun_) {
        inRun_ = true;
        x_ = p.X;
        lo_ = hi_ = last_ = p.Y;
        lastCovered_ = false;
        return;
    }
    drewSegment_ = true;
    penEnd_ = p;
    if (p.X == x_) {
        // A vertical segment from last_ towards p.Y covers last_ and everything up to p.Y but
        // not p.Y itself, which earlier segments of the column covered exactly when it lies
        // inside their extent.
        if (p.Y != last_) {
            lastCovered_ = lo_ <= p.Y && p.Y <= hi_;
            lo_ = std::min(lo_, p.Y);
            hi_ = std::max(hi_, p.Y);
            last_ = p.Y;
        }
        return;
    }
    EndRun(true);
    canvas_.MoveTo(x_, last_);
    canvas_.LineTo(p.X, p.Y);
    x_ = p.X;
    lo_ = hi_ = last_ = p.Y;
    lastCovered_ = false;
}

void LineReducer::Break() {
    if (!inRun_) return;
    EndRun(false);
    inRun_ = false;
}

void LineReducer::Finish() {
    Break();
    if (drewSegment_) canvas_.MoveTo(penEnd_.X, penEnd_.Y);
}

void LineReducer::EndRun(bool leaves) {
    if (lo_ == hi_) return;  // no vertical segment of any length
    // Covered: [lo, hi] whole; otherwise last_ is an end of it and stays out.
    const bool lastIsEnd = last_ == lo_ || last_ == hi_;
    const bool whole = lastCovered_ && !(leaves && lastIsEnd);
    if (whole) {
        Line(x_, lo_, hi_);
        Line(x_, hi_, lo_);
    } else if (last_ == hi_) {
        Line(x_, lo_, hi_);
    } else {
        Line(x_, hi_, lo_);
    }
}

void LineReducer::Line(std::int32_t x, std::int32_t y0, std::int32_t y1) {
    canvas_.MoveTo(x, y0);
    canvas_.LineTo(x, y1);
}

}  // namespace vela
