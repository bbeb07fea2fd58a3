#include "chart/price_axis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "platform/recording_canvas.h"
#include "text/number_text.h"

namespace vela {
namespace {

using Kind = CanvasRecord::Kind;
using ::testing::ElementsAre;

// The chart's price axis rectangle in a 441 x 294 client area.
constexpr TRect kAxis{0, 3, 62, 211};

std::vector<std::string> Labels(double vmin, double vmax, const std::string& suffix = "") {
    RecordingCanvas canvas;
    DrawPriceAxis(canvas, kAxis, 1, suffix, vmax, vmin);
    return canvas.Texts();
}

TEST(DrawPriceAxis, StepsForRangesFrom100) {
    struct Case {
        double range;
        double step;
        int ticks;
    } cases[] = {
        {0.5, 0.1, 5}, {1, 0.1, 10}, {1.2, 0.5, 3}, {2, 0.5, 4}, {3, 1, 3},     {6, 1, 6},
        {11, 2.5, 5},  {15, 5, 3},   {30, 5, 6},    {60, 10, 6}, {110, 10, 11},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected;
        for (int i = 0; i < c.ticks; ++i) expected.push_back(FloatToGeneralText(100 + i * c.step));
        EXPECT_EQ(Labels(100, 100 + c.range), expected) << c.range;
    }
}

TEST(DrawPriceAxis, SixtyFourthsNeedDoubleArithmeticForTheRange) {
    // 1.34 - 1.30 is 0.040000000000000036 in doubles; the search lands on 1/64.
    EXPECT_EQ(PriceAxisScale(1.34 - 1.30), 32);
    EXPECT_THAT(Labels(1.30, 1.34), ElementsAre("1.3125", "1.328125"));
}

TEST(DrawPriceAxis, UpperEndIsNotDrawn) {
    EXPECT_THAT(Labels(12000, 12800), ElementsAre("12000", "12100", "12200", "12300", "12400",
                                                  "12500", "12600", "12700"));
}

TEST(DrawPriceAxis, UnitSuffixes) {
    EXPECT_THAT(Labels(2000000, 2500000), ElementsAre("2 M", "2.1 M", "2.2 M", "2.3 M", "2.4 M"));
    EXPECT_THAT(Labels(40000, 60000), ElementsAre("40 K", "45 K", "50 K", "55 K"));
    EXPECT_THAT(Labels(2e9, 2.5e9), ElementsAre("2 B", "2.1 B", "2.2 B", "2.3 B", "2.4 B"));
    // Only the upper end decides.
    EXPECT_THAT(Labels(-60000, 50000).front(), "-60000");
    // A caller's suffix is used as it stands, without shortening (and 20000 in steps of 1000).
    const auto dollars = Labels(40000, 60000, " $");
    ASSERT_EQ(dollars.size(), 20u);
    EXPECT_EQ(dollars.front(), "40000 $");
    EXPECT_EQ(dollars.back(), "59000 $");
}

TEST(DrawPriceAxis, LabelsAreCutToTwentyCharacters) {
    const auto labels = Labels(100, 101, " a very long unit");
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels[1], "100.1 a very long un");
}

class PriceAxisLayout : public ::testing::Test {
  protected:
    RecordingCanvas canvas;
};

TEST_F(PriceAxisLayout, RightSideLinesTicksAndLabels) {
    canvas.Pen().Color = clTeal;
    canvas.Font().Color = clMaroon;
    DrawPriceAxis(canvas, kAxis, 1, "", 110, 100);
    // h = 208 div 15 = 13; 62 >= trunc(13 * 3.75), so the font is 13 pixels high, 10 points
    // at 96 dpi, which is allowed.
    const auto lines = canvas.Of(Kind::Line);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0].From(), (TPoint{61, 211}));
    EXPECT_EQ(lines[0].To(), (TPoint{61, 3}));
    EXPECT_EQ(lines[0].Pen.Color, clTeal);
    const auto texts = canvas.Of(Kind::Text);
    ASSERT_EQ(texts.size(), 10u);
    // Value 102 at y = ValueToPixel(211, 3, 100, 110, 102) = 211 - 41.6 -> 169.
    EXPECT_EQ(texts[2].Text, "102");
    EXPECT_EQ(lines[3].From(), (TPoint{61, 169}));
    EXPECT_EQ(lines[3].To(), (TPoint{61 - 9, 169}));
    const std::int32_t w = RecordingCanvas::CharWidth(texts[2].Font) * 3;
    EXPECT_EQ(texts[2].From(), (TPoint{62 - w - 13 - 1, 169 - 6}));
    EXPECT_EQ(texts[2].Font.Height, 13);
    EXPECT_EQ(texts[2].Font.Color, clMaroon);
    EXPECT_TRUE(texts[2].Transparent);
}

TEST_F(PriceAxisLayout, LeftSide) {
    DrawPriceAxis(canvas, TRect{500, 0, 600, 150}, 0, "", 110, 100);
    // h = 150 div 15 = 10.
    const auto lines = canvas.Of(Kind::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].From(), (TPoint{501, 150}));
    EXPECT_EQ(lines[0].To(), (TPoint{501, 0}));
    const auto texts = canvas.Of(Kind::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].Text, "100");
    EXPECT_EQ(texts[0].From(), (TPoint{500 + 10 + 1, 150 - 5}));
    EXPECT_EQ(lines[1].From(), (TPoint{501, 150}));
    EXPECT_EQ(lines[1].To(), (TPoint{501 + 7, 150}));
}

TEST_F(PriceAxisLayout, FontHeightRules) {
    struct Case {
        TRect r;
        std::int32_t height;
        const char* name;
    } cases[] = {
        {TRect{0, 0, 40, 300}, 10, "narrow: h = 20 cut to trunc(40 * 4 / 15)"},
        {TRect{0, 0, 62, 100}, 9, "small h on a tall enough axis takes 9"},
        {TRect{0, 0, 62, 45}, 3, "45 pixels keep the small h"},
        {TRect{0, 0, 200, 300}, -13, "20 pixels are 15 points: capped at 10 points"},
        // 14 * 72 / 96 = 10.5 points round away from zero to 11, over the cap.
        {TRect{0, 0, 200, 210}, -13, "14 pixels are 11 points: capped"},
        {TRect{0, 0, 200, 195}, 13, "13 pixels are 10 points: kept"},
    };
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        DrawPriceAxis(canvas, c.r, 1, "", 110, 100);
        EXPECT_EQ(canvas.Font().Height, c.height) << c.name;
    }
}

TEST_F(PriceAxisLayout, FlatRangeDrawsNothing) {
    DrawPriceAxis(canvas, kAxis, 1, "", 100, 100);
    EXPECT_TRUE(canvas.Records().empty());
    EXPECT_TRUE(canvas.BackgroundTransparent());
}

TEST_F(PriceAxisLayout, NoScaleLeavesTheAxisLineOnly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double cases[][2] = {{100, nan}, {nan, 100}, {0, inf},
                               {-inf, 0},  {100, 110}, {1e-320, 0}};
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        DrawPriceAxis(canvas, kAxis, 1, "", c[0], c[1]);
        EXPECT_TRUE(canvas.Of(Kind::Text).empty()) << c[0] << " " << c[1];
        EXPECT_EQ(canvas.Of(Kind::Line).size(), 1u) << c[0] << " " << c[1];
    }
}

TEST_F(PriceAxisLayout, NarrowRangesAtHighLevelsStayBounded) {
    // Tick indices beyond 32 bits: 3e9 * 10 and so on.
    EXPECT_THAT(Labels(3e9, 3e9 + 1, "x"),
                ElementsAre("3000000000x", "3000000000.1x", "3000000000.2x", "3000000000.3x",
                            "3000000000.4x", "3000000000.5x", "3000000000.6x", "3000000000.7x",
                            "3000000000.8x", "3000000000.9x"));
    const auto labels = Labels(40000.0000, 40000.0001);
    EXPECT_LE(labels.size(), 20u);
    EXPECT_FALSE(labels.empty());
    const auto huge = Labels(1e300, 1.0000000000001e300, "x");
    EXPECT_LE(huge.size(), 1000u);
}

}  // namespace
}  // namespace vela
