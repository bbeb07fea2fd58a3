#include "platform/recording_canvas.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

using Kind = CanvasRecord::Kind;

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(8, 96, 72), 11);   // 10.67
    EXPECT_EQ(MulDiv(14, 72, 96), 11);  // 10.5
    EXPECT_EQ(MulDiv(-14, 72, 96), -11);
    EXPECT_EQ(MulDiv(13, 72, 96), 10);  // 9.75
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(2147483647, 2, 1), -1);
}

TEST(CanvasFontSize, PointsAndPixelsAtTheCanvasResolution) {
    RecordingCanvas canvas;
    canvas.SetFontSize(8);
    EXPECT_EQ(canvas.Font().Height, -11);
    EXPECT_EQ(canvas.FontSize(), 8);
    canvas.Font().Height = 20;  // a cell height reads as a negative size
    EXPECT_EQ(canvas.FontSize(), -15);
    RecordingCanvas hiDpi(120);
    hiDpi.SetFontSize(8);
    EXPECT_EQ(hiDpi.Font().Height, -13);
}

TEST(RecordingCanvas, LogsPrimitivesWithTheirState) {
    RecordingCanvas canvas;
    canvas.Pen().Color = clRed;
    canvas.MoveTo(1, 2);
    canvas.LineTo(5, 2);
    canvas.LineTo(5, 9);
    canvas.Pen().Style = PenStyle::Clear;
    canvas.LineTo(0, 0);  // moves the pen, draws nothing
    EXPECT_EQ(canvas.PenPos(), (TPoint{0, 0}));

    canvas.Brush().Color = clYellow;
    canvas.FillRect(TRect{10, 20, 0, 5});  // corners in any order
    canvas.Brush().Style = BrushStyle::Clear;
    canvas.FillRect(TRect{0, 0, 3, 3});
    canvas.Rectangle(TRect{0, 0, 4, 4});
    const TPoint triangle[] = {{0, 0}, {4, 5}, {-4, 5}};
    canvas.Polygon(triangle);
    canvas.SetBackgroundTransparent(true);
    canvas.TextOut(7, 8, "abc");

    const auto& r = canvas.Records();
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[0].What, Kind::Line);
    EXPECT_EQ(r[0].From(), (TPoint{1, 2}));
    EXPECT_EQ(r[0].To(), (TPoint{5, 2}));
    EXPECT_EQ(r[0].Pen.Color, clRed);
    EXPECT_EQ(r[1].From(), (TPoint{5, 2}));
    EXPECT_EQ(r[2].What, Kind::FillRect);
    EXPECT_EQ(r[2].Rect, (TRect{0, 5, 10, 20}));
    EXPECT_EQ(r[2].Brush.Color, clYellow);
    EXPECT_EQ(r[3].What, Kind::Rectangle);
    EXPECT_EQ(r[4].What, Kind::Polygon);
    EXPECT_EQ(r[4].Points.size(), 3u);
    EXPECT_EQ(r[5].What, Kind::Text);
    EXPECT_EQ(r[5].From(), (TPoint{7, 8}));
    EXPECT_TRUE(r[5].Transparent);
    EXPECT_FALSE(r[0].Transparent);
    // Text moves the pen past its end, as the platform does.
    EXPECT_EQ(canvas.PenPos(), (TPoint{7 + canvas.TextWidth("abc"), 8}));
}

TEST(RecordingCanvas, DeterministicMetrics) {
    RecordingCanvas canvas;
    canvas.Font().Height = -16;
    EXPECT_EQ(canvas.TextHeight("x"), 18);
    EXPECT_EQ(canvas.TextWidth("abcd"), 32);
    canvas.Font().Height = 18;
    EXPECT_EQ(canvas.TextHeight("x"), 18);
    EXPECT_EQ(canvas.TextWidth("abcd"), 32);
    canvas.Font().Width = 5;
    EXPECT_EQ(canvas.TextWidth("abcd"), 20);
}

}  // namespace
}  // namespace vela
