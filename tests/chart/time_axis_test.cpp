#include "chart/time_axis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/recording_canvas.h"
#include "text/calendar.h"

namespace vela {
namespace {

using Kind = CanvasRecord::Kind;

constexpr double kDay = 1.0 / 36525.0;
constexpr double kMinute = kDay / 1440.0;

double At(int y, int m, int d, double hh = 0, double mi = 0, double ss = 0) {
    return DateToCenturies(y, m, d, hh + mi / 60.0 + ss / 3600.0);
}

TEST(TimeAxisLevel, IntervalsIncludeTheirLowerBound) {
    struct Case {
        double days;
        int level;
    } cases[] = {
        {0.0, 110},   {0.0000009, 110}, {0.000001, 100}, {0.000005, 91}, {0.00001, 92},
        {0.0002, 93}, {0.00049, 93},    {0.00051, 7},    {0.002, 71},    {0.0032, 72},
        {0.012, 6},   {0.05, 51},       {0.12, 5},       {0.3, 4},       {0.8, 31},
        {1.4, 3},     {2.6, 2},         {19, 1},         {299.9, 1},     {300, 0},
        {1e9, 0},     {-1, 110},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeAxisLevel(c.days / 36525.0 * (1 + 1e-12)), c.level) << c.days;
    // 0.0005 days itself belongs to level 93.
    double span = 0.0005 / 36525.0;
    while (span * 36525 > 0.0005) span = std::nextafter(span, 0.0);
    while (span * 36525 < 0.0005) span = std::nextafter(span, 1.0);
    ASSERT_EQ(span * 36525, 0.0005);
    EXPECT_EQ(TimeAxisLevel(span), 93);
    while (span * 36525 == 0.0005) span = std::nextafter(span, 1.0);
    EXPECT_EQ(TimeAxisLevel(span), 7);
    EXPECT_EQ(TimeAxisLevel(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TimeAxisLevel(std::numeric_limits<double>::infinity()), 0);
}

TEST(IsMarkedDay, WeekendsOfRealDates) {
    EXPECT_TRUE(IsMarkedDay(2012, 6, 23));   // Saturday
    EXPECT_TRUE(IsMarkedDay(2012, 6, 24));   // Sunday
    EXPECT_FALSE(IsMarkedDay(2012, 6, 25));  // Monday
    EXPECT_FALSE(IsMarkedDay(2012, 6, 22));  // Friday
    EXPECT_TRUE(IsMarkedDay(2004, 2, 29));   // a leap day on a Sunday
    EXPECT_FALSE(IsMarkedDay(2003, 2, 29));
    EXPECT_FALSE(IsMarkedDay(2012, 13, 1));
    EXPECT_FALSE(IsMarkedDay(2012, 4, 31));
    EXPECT_FALSE(IsMarkedDay(0, 1, 1));
    EXPECT_FALSE(IsMarkedDay(10000, 1, 1));
}

// One pixel just past a boundary, its left neighbour just before it.
struct LabelCase {
    int level;
    double t;
    double step;
    const char* text;
    int major;
    const char* name;
};

void ExpectLabels(const std::vector<LabelCase>& cases, const DisplaySettings& settings) {
    for (const auto& c : cases) {
        TimeAxisCaptionSet set;
        const TimeAxisTick tick = TimeAxisLabel(c.level, set, c.t, c.step, settings);
        EXPECT_EQ(tick.Text, c.text) << c.name;
        EXPECT_EQ(tick.Major, c.major) << c.name;
    }
}

TEST(TimeAxisLabel, RulesOfTheLevels) {
    const double m = kMinute;
    const double d = kDay;
    const std::vector<LabelCase> cases = {
        // Level 71: labels on even hours only.
        {71, At(2012, 6, 20, 14, 0, 30), m, "02:00 PM", 0, "71 at 14:00"},
        {71, At(2012, 6, 20, 15, 0, 30), m, "*", 0, "71 at 15:00"},
        {71, At(2012, 6, 20, 0, 0, 30), m, "Jun.20", 1, "71 at midnight"},
        {71, At(2013, 1, 1, 0, 0, 30), m, "2013", 1, "71 at New Year"},
        {71, At(2012, 6, 20, 14, 30, 0), m, "", 0, "71 mid-hour"},
        // Level 72: 6, 12 and 18 hours.
        {72, At(2012, 6, 20, 12, 0, 30), m, "12:00 PM", 0, "72 at noon"},
        {72, At(2012, 6, 20, 6, 0, 30), m, "06:00 AM", 0, "72 at 6"},
        {72, At(2012, 6, 20, 14, 0, 30), m, "*", 0, "72 at 14"},
        // Level 7: every hour, medium ticks every 10 minutes.
        {7, At(2012, 6, 20, 13, 0, 30), m, "01:00 PM", 0, "7 at 13"},
        {7, At(2012, 6, 20, 13, 20, 30), m, "**", 0, "7 at 13:20"},
        {7, At(2012, 6, 20, 13, 21, 30), m, "", 0, "7 at 13:21"},
        // Level 93: 10-minute labels, minute ticks.
        {93, At(2012, 6, 20, 9, 40, 3), m / 4, "09:40 AM", 0, "93 at 9:40"},
        {93, At(2012, 6, 20, 9, 41, 3), m / 4, "*", 0, "93 at 9:41"},
        {93, At(2012, 6, 20, 10, 0, 3), m / 4, "10:00 AM", 0, "93 at 10:00"},
        // Level 92: 5-minute labels, the date as numbers.
        {92, At(2012, 6, 20, 9, 35, 3), m / 4, "09:35 AM", 0, "92 at 9:35"},
        {92, At(2012, 6, 20, 9, 36, 3), m / 4, "*", 0, "92 at 9:36"},
        {92, At(2012, 6, 21, 0, 0, 3), m / 4, "06.21", 1, "92 at midnight"},
        // Levels 91, 100, 110: every minute; 110 ticks every 10 seconds.
        {91, At(2012, 6, 20, 9, 36, 1), m / 20, "09:36 AM", 0, "91 at 9:36"},
        {100, At(2012, 6, 20, 0, 36, 1), m / 20, "12:36 AM", 0, "100 after midnight"},
        {110, At(2012, 6, 20, 9, 36, 20.5), m / 60, "*", 0, "110 at 20 s"},
        {100, At(2012, 6, 20, 9, 36, 20.5), m / 60, "", 0, "100 at 20 s"},
        // Day levels.
        {6, At(2012, 7, 1, 0, 30), d / 8, "Jul.01", 0, "6 at a month start"},
        {6, At(2012, 7, 2, 0, 30), d / 8, "Jul.02", 0, "6 at a day"},
        {51, At(2012, 7, 3, 1), d / 8, "Jul.03", 0, "51 on an odd day"},
        {51, At(2012, 7, 4, 1), d / 8, "*", 0, "51 on an even day"},
        {51, At(2012, 7, 1, 1), d / 8, "Jul", 0, "51 at a month start"},
        {5, At(2012, 7, 1, 1), d / 4, "Jul.01", 1, "5 at a month start"},
        {5, At(2012, 7, 10, 1), d / 4, "07.10", 0, "5 on the 10th"},
        {5, At(2012, 7, 11, 1), d / 4, "*", 0, "5 on the 11th"},
        {4, At(2012, 7, 1, 1), d / 2, "Jul.01", 0, "4 at a month start"},
        {4, At(2012, 7, 20, 1), d / 2, "**", 0, "4 on the 20th"},
        {4, At(2012, 7, 21, 1), d / 2, "*", 0, "4 on the 21st"},
        {31, At(2012, 7, 10, 1), d / 2, "**", 0, "31 on the 10th"},
        {31, At(2012, 7, 11, 1), d / 2, "", 0, "31 on the 11th"},
        {3, At(2012, 2, 1, 1), 2 * d, "Feb", 0, "3 at a month start"},
        {3, At(2012, 1, 1, 1), 2 * d, "2012", 1, "3 at New Year"},
        // Year levels.
        {2, At(2010, 1, 1, 1), 5 * d, "2010", 1, "2 at a decade"},
        {2, At(2011, 1, 1, 1), 5 * d, "2011", 0, "2 at a year"},
        {2, At(2011, 3, 1, 1), 5 * d, "*", 0, "2 at a month"},
        {1, At(1950, 1, 1, 1), 100 * d, "1950", 1, "1 at 1950"},
        {1, At(1960, 1, 1, 1), 100 * d, "1960", 0, "1 at 1960"},
        {1, At(1955, 1, 1, 1), 100 * d, "**", 0, "1 at 1955"},
        {1, At(1953, 1, 1, 1), 100 * d, "*", 0, "1 at 1953"},
        {1, At(1953, 6, 1, 1), 100 * d, "", 0, "1 within a year"},
        {0, At(1900, 1, 1, 1), 1000 * d, "1900", 0, "0 at a century"},
        {0, At(1950, 1, 1, 1), 1000 * d, "**", 0, "0 at half a century"},
        {0, At(2001, 2, 1, 1), 4 * 365 * d, "2000", 0, "0 across a century"},
        {0, At(1953, 1, 1, 1), 1000 * d, "", 0, "0 at another year"},
    };
    ExpectLabels(cases, kDisplaySettings);
}

TEST(TimeAxisLabel, DayFirstPutsTheDayFirst) {
    DisplaySettings dayFirst;
    dayFirst.MonthFirst = false;
    const std::vector<LabelCase> cases = {
        {71, At(2012, 6, 21, 0, 0, 30), kMinute, "21.Jun", 1, "Mon.DD"},
        {92, At(2012, 6, 21, 0, 0, 3), kMinute / 4, "21.06", 1, "MM.DD"},
        {5, At(2012, 7, 1, 1), kDay / 4, "01.Jul", 1, "Mon.01"},
        {71, At(2012, 6, 20, 14, 0, 30), kMinute, "02:00 PM", 0, "hours unchanged"},
    };
    ExpectLabels(cases, dayFirst);
}

TEST(TimeAxisLabel, MarksWeekendDays) {
    TimeAxisCaptionSet set;
    EXPECT_TRUE(TimeAxisLabel(6, set, At(2012, 6, 23, 10), kDay / 8).Mark);
    EXPECT_FALSE(TimeAxisLabel(6, set, At(2012, 6, 22, 10), kDay / 8).Mark);
    // The null instant decodes to year 1 and is not classified as a weekend by accident.
    EXPECT_FALSE(TimeAxisLabel(6, set, kNullInstant, kDay / 8).Mark);
}

TEST(TimeAxisLabel, CaptionSetRules) {
    struct Case {
        int level;
        double t;
        double step;
        TimeAxisCaptionSet expected;
        const char* name;
    } cases[] = {
        {71, At(2012, 6, 20, 14, 0, 30), kMinute, 0b000, "hour change adds nothing"},
        {71, At(2012, 6, 21, 0, 0, 30), kMinute, 0b110, "day change adds 1 and 2"},
        {71, At(2013, 1, 1, 0, 0, 30), kMinute, 0b001, "year change adds 0"},
        {3, At(2012, 2, 10), 2 * kDay, 0b010, "level 3 adds 1 anywhere"},
        {3, At(2012, 1, 1, 1), 2 * kDay, 0b001, "level 3 at New Year adds 0"},
        {31, At(2012, 2, 10, 1), kDay / 2, 0b000, "level 31 without a month change"},
        {31, At(2012, 2, 1, 1), kDay / 2, 0b110, "level 31 at a month start"},
        {51, At(2012, 2, 3, 12), kDay / 8, 0b110, "level 51 within an odd day"},
        {51, At(2012, 2, 4, 12), kDay / 8, 0b000, "level 51 within an even day"},
        {1, At(1953, 6, 1), 100 * kDay, 0b001, "year levels always add 0"},
    };
    for (const auto& c : cases) {
        TimeAxisCaptionSet set;
        TimeAxisLabel(c.level, set, c.t, c.step);
        EXPECT_EQ(set, c.expected) << c.name;
    }
}

// The chart's time axis: 441 x 294 client area, axis rectangle (62, 211)-(432, 288), 77 pixels
// high, so c = 6.
class TimeAxisDrawing : public ::testing::Test {
  protected:
    static constexpr TRect kAxis{62, 211, 432, 288};

    void Draw(double tmin, double tmax, bool caption = true,
              const std::optional<TRect>& grid = std::nullopt) {
        DrawTimeAxis(canvas, kAxis, {}, caption, grid, "Arial", 0, tmax, tmin);
    }
    // Every line but the axis line, as (x, from y, to y).
    std::vector<CanvasRecord> Ticks() const {
        std::vector<CanvasRecord> out;
        for (const auto& r : canvas.Of(Kind::Line))
            if (r.From().Y != r.To().Y) out.push_back(r);
        return out;
    }
    const CanvasRecord* TextRecord(const std::string& text) const {
        for (const auto& r : canvas.Records())
            if (r.What == Kind::Text && r.Text == text) return &r;
        return nullptr;
    }

    RecordingCanvas canvas;
};

TEST_F(TimeAxisDrawing, IntradayHoursAtLevel71) {
    // 1.2 minutes per pixel: each full hour falls half-way between two pixels.
    const double tmin = At(2012, 6, 20, 14) - 300.6 * kMinute;
    const double tmax = tmin + 444 * kMinute;
    canvas.Font().Color = clGreen;
    Draw(tmin, tmax);

    const auto lines = canvas.Of(Kind::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].From(), (TPoint{62, 211}));
    EXPECT_EQ(lines[0].To(), (TPoint{432, 211}));

    struct Expected {
        std::int32_t x;
        std::int32_t length;
        TColor color;
    };
    // Drawn from the right: 4 PM, 3 PM ... 9 AM.
    const Expected expected[] = {{413, 10, clRed},  {363, 4, clBlack}, {313, 10, clRed},
                                 {263, 4, clBlack}, {213, 10, clRed},  {163, 4, clBlack},
                                 {113, 10, clRed},  {63, 4, clBlack}};
    const auto ticks = Ticks();
    ASSERT_EQ(ticks.size(), std::size(expected));
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i].From(), (TPoint{expected[i].x, 211})) << i;
        EXPECT_EQ(ticks[i].To(), (TPoint{expected[i].x, 211 + expected[i].length})) << i;
        EXPECT_EQ(ticks[i].Pen.Color, expected[i].color) << i;
    }

    EXPECT_THAT(canvas.Texts(), ::testing::ElementsAre("04:00 PM", "02:00 PM", "12:00 PM",
                                                       "10:00 AM", "20 Jun. 2012"));
    // The label rises from below its tick: width 8 x 6, H2 = 6.
    const CanvasRecord* label = TextRecord("02:00 PM");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->From(), (TPoint{313 - 6 - 28 + 4, 211 + 12 + 39}));
    EXPECT_EQ(label->Font.Escapement, 540);
    EXPECT_EQ(label->Font.Height, 12);
    EXPECT_EQ(label->Font.Width, 6);
    EXPECT_FALSE(label->Font.IsBold());
    EXPECT_EQ(label->Font.Color, 0x525152);
    EXPECT_TRUE(label->Transparent);

    // Caption: 12 characters of 8 pixels in an 18-pixel cell, centred on the bottom edge.
    const CanvasRecord* caption = TextRecord("20 Jun. 2012");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->From(), (TPoint{62 + (370 - 96) / 2, 288 - 18}));
    EXPECT_EQ(caption->Font.Color, clBlue);
    EXPECT_EQ(caption->Font.Height, 18);
    EXPECT_EQ(caption->Font.Escapement, 0);

    // What the axis leaves behind.
    EXPECT_EQ(canvas.Font().Name, "Arial");
    EXPECT_EQ(canvas.Font().Height, 18);
    EXPECT_EQ(canvas.Font().Color, clGreen);
    EXPECT_EQ(canvas.Font().Style, FontStyles{});
    EXPECT_EQ(canvas.Pen().Color, clBlack);
}

TEST_F(TimeAxisDrawing, MidnightGivesABoldDateAndTheYearAsCaption) {
    const double tmin = At(2012, 6, 20, 20) + 0.3 * kMinute;
    const double tmax = tmin + 444 * kMinute;
    Draw(tmin, tmax);
    const CanvasRecord* date = TextRecord("Jun.21");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->Font.Height, 13);  // round(12 * 1.05)
    EXPECT_EQ(date->Font.Width, 6);    // round(6 * 1.05)
    EXPECT_EQ(date->Font.EffectiveWeight(), 800);
    EXPECT_EQ(date->Font.Color, 0x00008C);
    // The next label is regular again.
    const CanvasRecord* hour = TextRecord("10:00 PM");
    ASSERT_NE(hour, nullptr);
    EXPECT_EQ(hour->Font.Color, 0x525152);
    EXPECT_FALSE(hour->Font.IsBold());
    EXPECT_EQ(canvas.Texts().back(), "2012");
}

TEST_F(TimeAxisDrawing, NewYearLeavesNoCaptionAndNoCaptionWhenHidden) {
    const double tmin = At(2012, 12, 31, 20) + 0.3 * kMinute;
    Draw(tmin, tmin + 444 * kMinute);
    ASSERT_NE(TextRecord("2013"), nullptr);
    EXPECT_TRUE(TextRecord("2013")->Font.IsBold());
    for (const auto& r : canvas.Of(Kind::Text)) EXPECT_NE(r.Font.Color, clBlue) << r.Text;
    canvas.Clear();
    const double day = At(2012, 6, 20, 9) + 0.3 * kMinute;
    Draw(day, day + 444 * kMinute, false);
    EXPECT_EQ(TextRecord("20 Jun. 2012"), nullptr);
}

TEST_F(TimeAxisDrawing, MonthsAtLevel3AndTheYearAsCaption) {
    // 300 days over 370 pixels: 3 pixels cover 2.4 days.
    const double tmin = At(2012, 1, 15);
    Draw(tmin, tmin + 300 * kDay);
    EXPECT_THAT(canvas.Texts(), ::testing::ElementsAre("Nov", "Oct", "Sep", "Aug", "Jul", "Jun",
                                                       "May", "Apr", "Mar", "Feb", "2012"));
}

TEST_F(TimeAxisDrawing, YearsAtLevel1) {
    const TRect wide{0, 211, 1000, 288};
    DrawTimeAxis(canvas, wide, {}, true, std::nullopt, "Arial", 0, At(2012, 6, 1), At(1900, 6, 1));
    auto tickAt = [&](int year) -> CanvasRecord {
        // The first pixel of the year, found from the mapping the axis uses.
        const double t = At(year, 1, 1);
        const double x = (t - At(1900, 6, 1)) / (At(2012, 6, 1) - At(1900, 6, 1)) * 1000;
        const std::int32_t px = static_cast<std::int32_t>(std::ceil(x));
        for (const auto& r : Ticks())
            if (r.From().X == px) return r;
        ADD_FAILURE() << "no tick for " << year;
        return {};
    };
    EXPECT_EQ(tickAt(1953).To().Y - 211, 4);  // minor
    EXPECT_EQ(tickAt(1955).To().Y - 211, 8);  // medium
    EXPECT_EQ(tickAt(1960).To().Y - 211, 10);
    EXPECT_EQ(tickAt(1950).Pen.Color, clRed);
    ASSERT_NE(TextRecord("1950"), nullptr);
    ASSERT_NE(TextRecord("1960"), nullptr);
    EXPECT_TRUE(TextRecord("1950")->Font.IsBold());
    EXPECT_FALSE(TextRecord("1960")->Font.IsBold());
    // Years are all labelled: no caption.
    EXPECT_EQ(canvas.Texts().back(), "1910");
}

TEST_F(TimeAxisDrawing, WeekendMarksAtDayLevels) {
    // Two weeks from Monday 18 June 2012 over 370 pixels: level 51.
    const double tmin = At(2012, 6, 18);
    const double tmax = tmin + 14 * kDay;
    Draw(tmin, tmax);
    int marks = 0;
    for (const auto& r : canvas.Of(Kind::Line)) {
        if (r.Pen.Color != clYellow) {
            EXPECT_EQ(r.Pen.Mode, PenMode::Copy);
            continue;
        }
        ++marks;
        EXPECT_EQ(r.Pen.Mode, PenMode::Mask);
        EXPECT_EQ(r.From().Y, 212);
        EXPECT_EQ(r.To().Y, 219);  // max(7, 6 div 3) below
        // The mark's pixel lies on a Saturday or Sunday.
        const double t = tmin + (tmax - tmin) * (r.From().X - 62) / 370.0;
        std::int32_t y = 0, m = 0, d = 0;
        double h = 0;
        DecodeCenturiesDate(t, y, m, d, h);
        EXPECT_TRUE(IsMarkedDay(y, m, d)) << r.From().X;
    }
    // Four weekend days of about 26.4 pixels each.
    EXPECT_GE(marks, 104);
    EXPECT_LE(marks, 108);
}

TEST_F(TimeAxisDrawing, NoWeekendMarksAtHourLevels) {
    const double tmin = At(2012, 6, 23, 9) + 0.3 * kMinute;  // a Saturday
    Draw(tmin, tmin + 444 * kMinute);
    for (const auto& r : canvas.Of(Kind::Line)) EXPECT_NE(r.Pen.Color, clYellow);
}

TEST_F(TimeAxisDrawing, GridLinesAtMajorLabels) {
    const TRect grid{62, 3, 432, 211};
    const double tmin = At(2012, 6, 20, 20) + 0.3 * kMinute;
    Draw(tmin, tmin + 444 * kMinute, true, grid);
    std::vector<CanvasRecord> gridLines;
    for (const auto& r : canvas.Of(Kind::Line))
        if (r.Pen.Color == clGray) gridLines.push_back(r);
    ASSERT_EQ(gridLines.size(), 1u);  // midnight only
    EXPECT_EQ(gridLines[0].Pen.Style, PenStyle::DashDot);
    EXPECT_EQ(gridLines[0].From().Y, 211);
    EXPECT_EQ(gridLines[0].To().Y, 3);
    EXPECT_EQ(canvas.Pen().Style, PenStyle::Solid);
}

TEST_F(TimeAxisDrawing, At120DpiThreeAndAQuarterPixelsChooseTheLevel) {
    // 3 pixels cover 0.0019 days (level 7: every hour labelled); 3.75 pixels cover 0.0024 days
    // (level 71: odd hours only ticked).
    const double tmin = At(2012, 6, 20, 9) + 0.3 * kMinute;
    const double tmax = tmin + 0.0019 / 3 * 370 * kDay;
    Draw(tmin, tmax);
    EXPECT_NE(TextRecord("11:00 AM"), nullptr);
    RecordingCanvas hiDpi(120);
    DrawTimeAxis(hiDpi, kAxis, {}, true, std::nullopt, "Arial", 0, tmax, tmin);
    const auto texts = hiDpi.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "11:00 AM"), 0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "12:00 PM"), 1);
}

TEST_F(TimeAxisDrawing, ZeroWidthDrawsNothingButResetsPenAndStyle) {
    canvas.Pen().Color = clRed;
    canvas.Pen().Width = 3;
    canvas.Font().Style.Bold = true;
    DrawTimeAxis(canvas, TRect{100, 211, 100, 288}, {}, true, std::nullopt, "Arial", 0,
                 At(2012, 6, 21), At(2012, 6, 20));
    EXPECT_TRUE(canvas.Records().empty());
    EXPECT_EQ(canvas.Pen().Color, clBlack);
    EXPECT_EQ(canvas.Pen().Width, 1);
    EXPECT_FALSE(canvas.Font().Style.Bold);
}

TEST_F(TimeAxisDrawing, ShiftMovesLabelsAndCaptionTogether) {
    // Shifted by 24 hours, the same instants read one day later everywhere.
    const double tmin = At(2012, 6, 20, 20) + 0.3 * kMinute;
    DrawTimeAxis(canvas, kAxis, {}, true, std::nullopt, "Arial", 24, tmin + 444 * kMinute, tmin);
    EXPECT_NE(TextRecord("Jun.22"), nullptr);
    EXPECT_EQ(TextRecord("Jun.21"), nullptr);
}

TEST_F(TimeAxisDrawing, PixelTimeDropsEmptyPixelsAndCrowdedLabels) {
    // Pixels left of 100 have no instant; from there on one pixel is 1.2 minutes, except a
    // jump over a night between 300 and 301 that puts two day labels a pixel apart.
    const double start = At(2012, 6, 20, 9) + 0.3 * kMinute;
    PixelTimeFunction pixelTime = [&](std::int32_t x, double&) -> double {
        if (x < 100) return 0;
        if (x <= 300) return start + (x - 100) * 1.2 * kMinute;
        return At(2012, 6, 21, 23, 59, 50) + (x - 301) * 1.2 * kMinute;
    };
    DrawTimeAxis(canvas, kAxis, pixelTime, true, std::nullopt, "Arial", 0, start + kDay, start);
    for (const auto& text : canvas.Texts()) EXPECT_EQ(text.find("1899"), std::string::npos);
    // The label at 302 (Jun.22) is kept; the one at 301 (Jun.21) lies within a character of it.
    EXPECT_NE(TextRecord("Jun.22"), nullptr);
    EXPECT_EQ(TextRecord("Jun.21"), nullptr);
}

}  // namespace
}  // namespace vela
