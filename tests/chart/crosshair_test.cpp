#include "chart/crosshair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_painting.h"
#include "platform/recording_canvas.h"

namespace vela {
namespace {

// Six pixels a character, twelve a line: what a small window font gives, near enough.
TextSize Measure(std::string_view text) {
    return TextSize{static_cast<std::int32_t>(text.size()) * 6, 12};
}

const std::string kReadout = "09.27.2024 02:00 PM  O 3827.8  H 3830  L 3820.5  C 3829  V 1200";

class CrosshairTest : public ::testing::Test {
  protected:
    CrosshairGeometry At(const TRect& client, TPoint mouse, bool averages = false) {
        layout = ChartLayoutFor(client);
        const ChartMapping map(times, true, layout.Plot, 90, 110);
        return CrosshairGeometryFor(map, layout, mouse, kReadout, times[1], averages, Measure);
    }
    std::vector<double> times = {1.2475, 1.2476, 1.2477};
    ChartLayout layout;
};

TEST_F(CrosshairTest, TheReadoutKeepsClearOfTheMouseAndTheAveragesLabels) {
    const TRect wide{0, 0, 900, 500};
    const CrosshairGeometry g = At(wide, {600, 300});
    const TRect& plot = layout.Plot;
    ASSERT_EQ(g.ReadoutLines, std::vector<std::string>{kReadout});
    EXPECT_EQ(g.Readout.Left, plot.Left + 1);
    EXPECT_EQ(g.Readout.Top, plot.Top + 1);
    EXPECT_EQ(g.Readout.Right - g.Readout.Left, Measure(kReadout).Width + 2 * kReadoutMargin);
    // The mouse over the box sends it to the right.
    const CrosshairGeometry over = At(wide, {plot.Left + 20, plot.Top + 5});
    EXPECT_EQ(over.Readout.Right, plot.Right - 1);
    // With averages, below their labels.
    EXPECT_EQ(At(wide, {600, 300}, true).Readout.Top, plot.Top + 1 + 12 + 2);
    // The lines run across and down the plot through the mouse.
    EXPECT_EQ(g.Horizontal, (TRect{plot.Left, 300, plot.Right + 1, 301}));
    EXPECT_EQ(g.Vertical, (TRect{600, plot.Top, 601, plot.Bottom + 1}));
}

TEST_F(CrosshairTest, ANarrowWindowGetsTheReadoutOnTwoLines) {
    const CrosshairGeometry g = At(TRect{0, 0, 400, 300}, {300, 150});
    ASSERT_EQ(g.ReadoutLines.size(), 2u);
    EXPECT_EQ(g.ReadoutLines[0], "09.27.2024 02:00 PM");
    EXPECT_EQ(g.ReadoutLines[1], "O 3827.8  H 3830  L 3820.5  C 3829  V 1200");
    EXPECT_LE(g.Readout.Right, layout.Plot.Right - 1);
    EXPECT_EQ(g.Readout.Bottom - g.Readout.Top, 24 + 2 * kReadoutMargin);
}

TEST_F(CrosshairTest, ThePriceSitsOnThePriceAxisAndTheTimeUnderTheTimeAxis) {
    const TRect client{0, 0, 900, 500};
    const CrosshairGeometry g = At(client, {600, 200});
    const ChartMapping map(times, true, layout.Plot, 90, 110);
    EXPECT_EQ(g.PriceText, CrosshairPriceText(map.PriceAt(200), 90, 110));
    EXPECT_EQ(g.PriceLabel.Right, layout.Plot.Left);
    EXPECT_LE(g.PriceLabel.Top, 200);
    EXPECT_GE(g.PriceLabel.Bottom, 200);
    EXPECT_FALSE(g.TimeText.empty());
    EXPECT_EQ(g.TimeLabel.Top, layout.TimeAxis.Top + 1);
    EXPECT_EQ((g.TimeLabel.Left + g.TimeLabel.Right) / 2, 600);
    // Near the plot's right edge the time stays within the axis.
    EXPECT_LE(At(client, {layout.Plot.Right, 200}).TimeLabel.Right, layout.TimeAxis.Right);
}

// Drawn as the geometry says, in the canvas's font: the boxes take their right and bottom
// edges (what CrosshairRects repaints), and each text is centred in its box.
TEST_F(CrosshairTest, DrawsItsGeometryOnTheCanvas) {
    RecordingCanvas canvas;
    At(TRect{0, 0, 300, 300}, {200, 150});  // lays the plot out
    const CrosshairGeometry measured = [&] {
        const ChartMapping map(times, true, layout.Plot, 90, 110);
        return CrosshairGeometryFor(map, layout, {200, 150}, kReadout, times[1], false,
                                    MeasureOn(canvas));
    }();
    ASSERT_EQ(measured.ReadoutLines.size(), 2u) << "a narrow plot wraps the readout";
    DrawCrosshair(canvas, measured);

    const auto lines = canvas.Of(CanvasRecord::Kind::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].From(), (TPoint{layout.Plot.Left, 150}));
    EXPECT_EQ(lines[0].To(), (TPoint{layout.Plot.Right + 1, 150}));
    EXPECT_EQ(lines[1].From(), (TPoint{200, layout.Plot.Top}));
    EXPECT_EQ(lines[1].To(), (TPoint{200, layout.Plot.Bottom + 1}));
    for (const CanvasRecord& line : lines) {
        EXPECT_EQ(line.Pen.Style, PenStyle::Dot);
        EXPECT_EQ(line.Pen.Color, kCrosshairLineColor);
    }

    const auto boxes = canvas.Of(CanvasRecord::Kind::Rectangle);
    const std::vector<TRect> rects = CrosshairRects(measured);
    ASSERT_EQ(boxes.size(), 3u);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].Rect, rects[i + 2]) << i;
        EXPECT_EQ(boxes[i].Brush.Color, kCrosshairBoxFill);
    }

    const auto texts = canvas.Of(CanvasRecord::Kind::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].Text, measured.ReadoutLines[0]);
    EXPECT_EQ(texts[1].Text, measured.ReadoutLines[1]);
    EXPECT_EQ(texts[2].Text, measured.PriceText);
    EXPECT_EQ(texts[3].Text, measured.TimeText);
    const TRect& r = measured.Readout;
    const std::int32_t lineHeight = canvas.TextHeight("X");
    EXPECT_EQ(texts[0].From().Y, r.Top + kReadoutMargin);
    EXPECT_EQ(texts[1].From().Y, r.Top + kReadoutMargin + lineHeight);
    for (std::size_t i = 0; i < 2; ++i) {
        const std::int32_t width = canvas.TextWidth(texts[i].Text);
        EXPECT_EQ(texts[i].From().X, r.Left + (r.Right - r.Left - width) / 2) << i;
    }
    EXPECT_TRUE(texts[2].Transparent);
}

struct PriceTextCase {
    double Price;
    double Low;
    double High;
    const char* Text;
};

TEST(CrosshairPriceTextTest, AsManyDecimalsAsTheRangeNeeds) {
    for (const PriceTextCase& c :
         {PriceTextCase{3827.849, 3800, 3900, "3827.8"},
          PriceTextCase{101.33333, 90, 110, "101.33"},
          PriceTextCase{64123.4, 60000, 70000, "64123"},
          PriceTextCase{0.000123456, 0.0001, 0.0002, "0.0001235"},
          PriceTextCase{-1.25, -2, 2, "-1.25"}, PriceTextCase{5, 5, 5, "5"}})
        EXPECT_EQ(CrosshairPriceText(c.Price, c.Low, c.High), c.Text) << c.Price;
}

}  // namespace
}  // namespace vela
