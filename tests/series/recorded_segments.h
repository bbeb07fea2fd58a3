#pragma once

#include <ostream>
#include <vector>

#include "platform/recording_canvas.h"

namespace vela::test {

// A line as the recording canvas saw it.
struct Segment {
    TPoint From;
    TPoint To;
    friend bool operator==(const Segment&, const Segment&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Segment& s) {
    return os << "(" << s.From.X << "," << s.From.Y << ")-(" << s.To.X << "," << s.To.Y << ")";
}

inline std::vector<Segment> SegmentsOf(const RecordingCanvas& canvas) {
    std::vector<Segment> out;
    for (const CanvasRecord& r : canvas.Of(CanvasRecord::Kind::Line))
        out.push_back(Segment{r.From(), r.To()});
    return out;
}

}  // namespace vela::test
