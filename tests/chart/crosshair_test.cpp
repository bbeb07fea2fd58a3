#include "chart/crosshair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_painting.h"

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
