#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "platform/recording_canvas.h"
#include "series/double_list.h"
#include "series/list_builders.h"

namespace vela {
namespace {

using test::MakeDoubleList;

constexpr double kNull = kNullValue;

struct Segment {
    TPoint From;
    TPoint To;
    friend bool operator==(const Segment&, const Segment&) = default;
};

std::ostream& operator<<(std::ostream& os, const Segment& s) {
    return os << "(" << s.From.X << "," << s.From.Y << ")-(" << s.To.X << "," << s.To.Y << ")";
}

std::vector<Segment> SegmentsOf(const RecordingCanvas& canvas) {
    std::vector<Segment> out;
    for (const CanvasRecord& r : canvas.Of(CanvasRecord::Kind::Line))
        out.push_back(Segment{r.From(), r.To()});
    return out;
}

// x = 0, 10, 20, ... for positions of a five-item list; y = 100 - 25 v for values 0..4.
constexpr TRect kBox{0, 0, 40, 100};

TEST(Draw1, JoinsNeighboursAndBreaksAtNulls) {
    RecordingCanvas canvas;
    canvas.Pen().Color = clTeal;
    MakeDoubleList({1, 2, kNull, 3, 4}).Draw1(canvas, kBox, 0, 4);
    const std::vector<Segment> expected{{{0, 75}, {10, 50}}, {{30, 25}, {40, 0}}};
    EXPECT_EQ(SegmentsOf(canvas), expected);
    for (const CanvasRecord& r : canvas.Records()) EXPECT_EQ(r.Pen.Color, clTeal);
    EXPECT_EQ(canvas.PenPos(), (TPoint{40, 0}));
}

TEST(Draw1, NothingForAnEmptyRangeOrASinglePoint) {
    struct Case {
        const char* Name;
        TVegaDoubleList List;
        double YMin;
        double YMax;
    };
    const Case cases[] = {
        {"flat range", MakeDoubleList({1, 2, 3}), 2, 2},
        {"reversed range", MakeDoubleList({1, 2, 3}), 3, 1},
        {"NaN range", MakeDoubleList({1, 2, 3}), 0, std::numeric_limits<double>::quiet_NaN()},
        {"one item", MakeDoubleList({1}), 0, 4},
        {"empty", TVegaDoubleList(), 0, 4},
        {"only nulls", MakeDoubleList({kNull, kNull, kNull}), 0, 4},
        {"isolated values", MakeDoubleList({1, kNull, 2, kNull, 3}), 0, 4},
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas;
        c.List.Draw1(canvas, kBox, c.YMin, c.YMax);
        EXPECT_TRUE(canvas.Records().empty()) << c.Name;
    }
}

TEST(Draw1Rescaled, PlacesByTimeAndTestsOnlyTheFirstTime) {
    // Times 10..50 over a window 20..40 mapped onto 0..40: x = 2 (t - 20).
    const TVegaDoubleList times = MakeDoubleList({10, 20, 30, 40, 50});
    RecordingCanvas canvas;
    MakeDoubleList({0, 1, 2, 3, 4}).Draw1Rescaled(canvas, kBox, 0, 4, 20, 40, times);
    // 10 lies before the window: no segment from it, although its second point is inside;
    // 40 equals the window's end: its segment is drawn and reaches beyond the box.
    const std::vector<Segment> expected{
        {{0, 75}, {20, 50}}, {{20, 50}, {40, 25}}, {{40, 25}, {60, 0}}};
    EXPECT_EQ(SegmentsOf(canvas), expected);
}

TEST(Draw1Rescaled, StopsWhereTheShorterListEnds) {
    const TVegaDoubleList values = MakeDoubleList({0, 1, 2, 3, 4});
    struct Case {
        TVegaDoubleList Times;
        std::size_t Segments;
    };
    const Case cases[] = {
        {MakeDoubleList({0, 1, 2}), 2},
        {MakeDoubleList({0}), 0},
        {TVegaDoubleList(), 0},
        {MakeDoubleList({0, 1, 2, 3, 4, 5, 6}), 4},
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas;
        values.Draw1Rescaled(canvas, kBox, 0, 4, 0, 6, c.Times);
        EXPECT_EQ(SegmentsOf(canvas).size(), c.Segments) << c.Times.Count();
    }
}

TEST(Draw1Rescaled, NullsAndTimesOutsideTheWindowLeaveGaps) {
    const TVegaDoubleList times = MakeDoubleList({0, 1, 2, 3, 4, 5, 6});
    RecordingCanvas canvas;
    // A window backwards in time is a window all the same; 5 lies outside it, 4 on its
    // border.
    MakeDoubleList({1, 2, kNull, 3, 4, 1, 2})
        .Draw1Rescaled(canvas, TRect{0, 0, 60, 100}, 0, 4, 4, 0, times);
    // x = 60 - 15 t
    const std::vector<Segment> expected{
        {{60, 75}, {45, 50}}, {{15, 25}, {0, 0}}, {{0, 0}, {-15, 75}}};
    EXPECT_EQ(SegmentsOf(canvas), expected);
}

// Per pixel column the records may use only the column's first, lowest, highest and last
// points, and the pen ends where the last segment ended.
TEST(Draw1, ManyPointsReachTheCanvasAsAFewPerColumn) {
    TVegaDoubleList list;
    std::uint32_t seed = 7;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        list.Add(i % 997 == 0 ? kNull : static_cast<double>(seed >> 8) / (1 << 24));
    }
    RecordingCanvas canvas;
    const TRect box{10, 5, 110, 205};
    list.Draw1(canvas, box, 0, 1);
    std::map<std::int32_t, std::set<std::int32_t>> rows;  // x -> rows of the points used
    for (const Segment& s : SegmentsOf(canvas)) {
        rows[s.From.X].insert(s.From.Y);
        rows[s.To.X].insert(s.To.Y);
    }
    EXPECT_LE(SegmentsOf(canvas).size(), 3u * 101u + 2u * 101u);
    for (const auto& [x, ys] : rows) EXPECT_LE(ys.size(), 8u) << x;  // two pieces at a null
    EXPECT_EQ(canvas.PenPos().X, box.Right);
}

TEST(Draw1, StyledAndWidePensDrawEverySegment) {
    TVegaDoubleList list;
    for (int i = 0; i < 1000; ++i) list.Add(i % 7);
    for (const CanvasPen pen : {CanvasPen{clBlack, PenStyle::Dash, 1, PenMode::Copy},
                                CanvasPen{clBlack, PenStyle::Solid, 2, PenMode::Copy}}) {
        RecordingCanvas canvas;
        canvas.Pen() = pen;
        list.Draw1(canvas, TRect{0, 0, 50, 50}, 0, 6);
        EXPECT_EQ(SegmentsOf(canvas).size(), 999u);
    }
}

}  // namespace
}  // namespace vela
