#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "platform/recording_canvas.h"
#include "series/double_list.h"
#include "series/list_builders.h"
#include "series/list_error.h"
#include "series/recorded_segments.h"
#include "series/segment_reference.h"

namespace vela {
namespace {

using test::MakeDoubleList;
using test::MakeIntegerList;

constexpr double kNull = kNullValue;

using test::Segment;
using test::SegmentsOf;

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

struct ColouredSegment {
    TPoint From;
    TPoint To;
    TColor Colour;
    friend bool operator==(const ColouredSegment&, const ColouredSegment&) = default;
};

std::ostream& operator<<(std::ostream& os, const ColouredSegment& s) {
    return os << "(" << s.From.X << "," << s.From.Y << ")-(" << s.To.X << "," << s.To.Y << ") #"
              << std::hex << s.Colour << std::dec;
}

std::vector<ColouredSegment> ColouredSegmentsOf(const RecordingCanvas& canvas) {
    std::vector<ColouredSegment> out;
    for (const CanvasRecord& r : canvas.Of(CanvasRecord::Kind::Line))
        out.push_back(ColouredSegment{r.From(), r.To(), r.Pen.Color});
    return out;
}

// Every segment member against its definition written out plainly, on random series with
// nulls, zeros, negative values and times with gaps around a window: with a styled pen each
// draws exactly the segments (and colours) of the definition, and leaves the pen where and
// as the definition does.
TEST(SegmentMembers, DrawWhatTheirDefinitionsDraw) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const int n = 2 + static_cast<int>(rng() % 14);
        std::vector<double> items, times;
        double t = rng() % 4;
        for (int i = 0; i < n; ++i) {
            const int kind = static_cast<int>(rng() % 8);
            items.push_back(kind == 0 ? kNull : kind == 1 ? 0.0 : static_cast<int>(rng() % 13) - 3);
            times.push_back(t);
            t += rng() % 3 == 0 ? 2.0 : 0.5 + (rng() % 2);
        }
        if (rng() % 4 == 0) times.pop_back();  // a shorter time list
        TVegaDoubleList timeList;
        for (double v : times) timeList.Add(v);
        const TRect box{3, 4, 3 + static_cast<std::int32_t>(rng() % 90),
                        4 + static_cast<std::int32_t>(rng() % 90)};
        for (const test::SegmentMember& m : test::SegmentMembers()) {
            SCOPED_TRACE(m.Name + " round " + std::to_string(round));
            if (n < 3 && m.Name != "Draw" && m.Name != "Draw1" && m.Name != "DrawNoGap" &&
                m.Name.find("Rescaled") == std::string::npos && m.Name != "DrawDifferentColor" &&
                m.Name != "DrawDifferentColor10")
                continue;  // no span 1 .. n - 2 to draw
            if (m.Name == "Draw2Rescaled" && times.size() < items.size()) continue;
            TVegaDoubleList list;
            for (double v : items) list.Add(v);
            RecordingCanvas actual, expected;
            for (RecordingCanvas* c : {&actual, &expected}) {
                c->Pen() = CanvasPen{clTeal, PenStyle::Dash, 1, PenMode::Copy};
                c->MoveTo(-7, -7);
            }
            m.Draw(list, actual, box, timeList);
            m.Reference(items, expected, box, times);
            ASSERT_EQ(ColouredSegmentsOf(actual), ColouredSegmentsOf(expected));
            EXPECT_EQ(actual.Pen().Color, expected.Pen().Color);
            EXPECT_EQ(actual.PenPos(), expected.PenPos());
        }
    }
}

TEST(SegmentMembers, WorkedCases) {
    const TRect box{0, 0, 30, 100};
    {
        // [5, null, 6, 7]: one segment by Draw, one line through three values without gaps.
        const TVegaDoubleList list = MakeDoubleList({5, kNull, 6, 7});
        RecordingCanvas gaps, noGap;
        gaps.Pen().Style = noGap.Pen().Style = PenStyle::Dash;
        list.Draw(gaps, box);
        list.DrawNoGap(noGap, box);
        EXPECT_EQ(SegmentsOf(gaps), (std::vector<Segment>{{{20, 50}, {30, 0}}}));
        EXPECT_EQ(SegmentsOf(noGap),
                  (std::vector<Segment>{{{0, 100}, {20, 50}}, {{20, 50}, {30, 0}}}));
    }
    // The sign rule, on a given range so that flat pairs draw too.
    struct Pair {
        double a, b;
        TColor colour;
    };
    for (const Pair& p :
         {Pair{-3, 1, clRed}, Pair{-1, 3, clTeal}, Pair{-2, 2, clTeal}, Pair{2, -2, clRed},
          Pair{0, 0, clTeal}, Pair{1, 2, clTeal}, Pair{-1, -2, clRed}}) {
        RecordingCanvas canvas;
        MakeDoubleList({p.a, p.b}).DrawDifferentColor1(canvas, box, clRed, clTeal, -5, 5, 0, 1);
        ASSERT_EQ(canvas.Of(CanvasRecord::Kind::Line).size(), 1u) << p.a << " " << p.b;
        EXPECT_EQ(canvas.Of(CanvasRecord::Kind::Line)[0].Pen.Color, p.colour) << p.a << " " << p.b;
        EXPECT_EQ(canvas.Pen().Color, p.colour);
    }
    {
        // A time step equal to the largest allowed is a gap.
        TVegaDoubleList list = MakeDoubleList({1, 2, 3, 4});
        RecordingCanvas canvas;
        list.Draw2Rescaled10(canvas, box, 0, 10, 0, 4, MakeDoubleList({1, 2, 4, 5}), 2);
        EXPECT_EQ(SegmentsOf(canvas).size(), 2u);
        EXPECT_EQ(list.ViewedMin, 0);
        EXPECT_EQ(list.ViewedMax, 4);
    }
}

TEST(SegmentMembers, RangesTheyStore) {
    TVegaDoubleList list = MakeDoubleList({9, 2, kNull, 5, -1});
    RecordingCanvas canvas;
    list.Draw2(canvas, kBox, 1, 3);
    EXPECT_EQ(list.ViewedMin, 2);
    EXPECT_EQ(list.ViewedMax, 5);
    list.Draw2NoGap(canvas, kBox, 3, 4);
    EXPECT_EQ(list.ViewedMin, -1);
    EXPECT_EQ(list.ViewedMax, 5);
    // Only the items strictly inside the time window count.
    list.Draw2Rescaled1(canvas, kBox, 1, 5, MakeDoubleList({1, 2, 3, 4, 5}), 10);
    EXPECT_EQ(list.ViewedMin, 2);
    EXPECT_EQ(list.ViewedMax, 5);
    // Nothing inside: the starting pair stays.
    list.Draw2Rescaled1(canvas, kBox, 7, 9, MakeDoubleList({1, 2, 3, 4, 5}), 10);
    EXPECT_EQ(list.ViewedMin, 1e22);
    EXPECT_EQ(list.ViewedMax, -1e22);
    EXPECT_THROW(list.Draw3(canvas, kBox, 2, 5, 0, 1), ListIndexError);
}

// Columns between neighbouring items over the full height, coloured from BasisColor at 0.
TEST(ColumnMembers, ColoursEdgesAndTheRestoredPen) {
    constexpr TColor minus = 0x0000FF, plus = 0x00FF00, basis = 0xFFFFFF;
    const TRect box{0, 10, 40, 50};
    struct Case {
        const char* name;
        std::function<void(Canvas&)> draw;
        std::vector<TRect> rects;
        std::vector<TColor> colours;
    };
    const TVegaDoubleList equal = MakeDoubleList({5, 5, 5});
    const TVegaDoubleList mixed = MakeDoubleList({-2, 2, 4, kNull, 4});
    const TVegaDoubleList times = MakeDoubleList({0, 1, 3, 4, 8});
    const std::vector<Case> cases = {
        {"all equal: measured from 0",
         [&](Canvas& c) { equal.DrawColoredBar1(c, box, minus, plus, 0, 2, basis); },
         {{0, 10, 20, 50}, {20, 10, 40, 50}},
         {plus, plus}},
        {"gradient by the middle value",
         [&](Canvas& c) { mixed.DrawColoredBar(c, box, minus, plus, basis); },
         {{0, 10, 10, 50}, {10, 10, 20, 50}},
         {basis, GradientColor(basis, plus, 0, 4, 3)}},
        {"one colour each side of 0",
         [&](Canvas& c) { mixed.DrawColoredBar1UniColor(c, box, minus, plus, 0, 4, basis); },
         {{0, 10, 10, 50}, {10, 10, 20, 50}},
         {basis, plus}},
        {"edges by time",
         [&](Canvas& c) {
             mixed.DrawColoredBar1Rescaled(c, box, minus, plus, 0, 2, 0, 8, times, basis);
         },
         {{0, 10, 5, 50}, {5, 10, 15, 50}},
         {basis, GradientColor(basis, plus, 0, 4, 3)}},
        {"all equal and negative: nothing",
         [&](Canvas& c) {
             MakeDoubleList({-3, -3}).DrawColoredBar1UniColor(c, box, minus, plus, 0, 1, basis);
         },
         {},
         {}},
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas;
        canvas.Pen() = CanvasPen{clTeal, PenStyle::Solid, 3, PenMode::Copy};
        c.draw(canvas);
        std::vector<TRect> rects;
        std::vector<TColor> colours;
        for (const CanvasRecord& r : canvas.Of(CanvasRecord::Kind::FillRect)) {
            rects.push_back(r.Rect);
            colours.push_back(r.Brush.Color);
        }
        EXPECT_EQ(rects, c.rects) << c.name;
        EXPECT_EQ(colours, c.colours) << c.name;
        EXPECT_EQ(canvas.Pen().Width, 3) << c.name;
        EXPECT_EQ(canvas.Pen().Color, clTeal) << c.name;
    }
    // Columns narrower than a pixel become one-pixel lines in the pen.
    RecordingCanvas canvas;
    MakeDoubleList({1, 2, 3, 4}).DrawColoredBar(canvas, TRect{0, 0, 1, 9}, minus, plus, basis);
    const auto lines = canvas.Of(CanvasRecord::Kind::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].From(), (TPoint{0, 9}));
    EXPECT_EQ(lines[0].To(), (TPoint{0, 0}));
    EXPECT_EQ(lines[0].Pen.Width, 1);
}

TEST(BuySellMarkers, TipsTouchTheValueAndTheLastPositionSellsNothing) {
    RecordingCanvas canvas;
    canvas.Pen().Color = clTeal;
    const TVegaIntegerList both = MakeIntegerList({1, 3});
    MakeDoubleList({0, 2, 4, 2}).Draw3BuySell(canvas, TRect{0, 0, 30, 40}, 0, 3, 0, 4, both, both);
    const auto polygons = canvas.Of(CanvasRecord::Kind::Polygon);
    ASSERT_EQ(polygons.size(), 3u);  // buy at 1 and 3, sell at 1 only
    EXPECT_EQ(polygons[0].Points, (std::vector<TPoint>{{10, 20}, {14, 25}, {6, 25}, {10, 20}}));
    EXPECT_EQ(polygons[0].Brush.Color, 0x00FF00);
    EXPECT_EQ(polygons[0].Pen.Color, 0x008000);
    EXPECT_EQ(polygons[1].Points[0], (TPoint{30, 20}));
    EXPECT_EQ(polygons[2].Points, (std::vector<TPoint>{{10, 20}, {14, 15}, {6, 15}, {10, 20}}));
    EXPECT_EQ(polygons[2].Brush.Color, 0x8592FF);
    EXPECT_EQ(polygons[2].Pen.Color, 0x0000FF);
    EXPECT_EQ(canvas.Pen().Color, clTeal);
    EXPECT_EQ(SegmentsOf(canvas).size(), 3u);
}

// Fire bars stand on the base line (the bottom when every value is positive) or hang from
// the top when every value is negative; the extreme value reaches the hottest colour.
TEST(FireBars, UpwardAndHanging) {
    const TRect box{0, 0, 40, 56};
    constexpr TColor hot = 0x0000FF, cold = 0xFF0000, zero = 0xFFFFFF;
    struct Case {
        std::initializer_list<double> items;
        // Cells of the items in drawing order; an item at the base has no height at all.
        std::vector<std::size_t> cellsPerItem;
        std::int32_t farEnd;  // where the last bar's last cell ends
    };
    for (const Case& c : {Case{{1, 2, 3}, {14, 28}, 0}, Case{{-1, -2, -3}, {14, 28}, 56}}) {
        RecordingCanvas canvas;
        MakeDoubleList(c.items).DrawFire(canvas, box, 0, 2, hot, cold, zero);
        const auto cells = canvas.Of(CanvasRecord::Kind::FillRect);
        std::vector<std::size_t> perItem;
        std::int32_t lastX = -1000;
        for (const CanvasRecord& r : cells) {
            if (r.Rect.Left != lastX) perItem.push_back(0);
            lastX = r.Rect.Left;
            ++perItem.back();
        }
        EXPECT_EQ(perItem, c.cellsPerItem);
        ASSERT_FALSE(cells.empty());
        const TRect last = cells.back().Rect;
        EXPECT_TRUE(last.Top == c.farEnd || last.Bottom == c.farEnd);
        EXPECT_EQ(cells.back().Brush.Color,
                  GradientColor(zero, c.farEnd == 0 ? hot : cold, 0, 27, 27));
    }
    RecordingCanvas canvas;
    MakeDoubleList({1, 2, 3}).DrawFire(canvas, box, 1, 1, hot, cold, zero);  // no step
    EXPECT_TRUE(canvas.Records().empty());
}

TEST(IntegerColumns, TileTheWidthAndGoWhiteWithoutARange) {
    const TVegaIntegerList list = MakeIntegerList({0, 5, 10, 20});
    RecordingCanvas canvas;
    list.DrawColoredBar(canvas, TRect{0, 0, 40, 8}, 0, 10, 0x000000, 0x0000FF);
    const auto cells = canvas.Of(CanvasRecord::Kind::FillRect);
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[1].Rect, (TRect{10, 0, 20, 8}));
    EXPECT_EQ(cells[3].Brush.Color, 0x0000FF);  // clamped to the top of the range
    RecordingCanvas flat;
    list.DrawColoredBar(flat, TRect{0, 0, 40, 8}, 3, 3, 0x000000, 0x0000FF);
    for (const CanvasRecord& r : flat.Records()) EXPECT_EQ(r.Brush.Color, clWhite);
    RecordingCanvas local;
    list.DrawColoredBarLocal(local, TRect{0, 0, 40, 8}, 0, 20, 0, 0xFFFFFF, 2, 3);
    ASSERT_EQ(local.Of(CanvasRecord::Kind::FillRect).size(), 2u);
    EXPECT_EQ(local.Of(CanvasRecord::Kind::FillRect)[1].Rect, (TRect{20, 0, 40, 8}));
}

}  // namespace
}  // namespace vela
