#include "app/bar_table_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "chart/bar_table_text.h"
#include "text/calendar.h"

namespace vela::app {
namespace {

std::vector<std::string> LinesOf(const BarTableModel& model) {
    std::vector<std::string> lines;
    for (int row = 0; row < model.LineCount(); ++row) lines.push_back(model.Line(row));
    return lines;
}

// The table as the chart window keeps it, update after update: each one clears it and sets
// the bars again, mostly the same bars with the newest changed or one more.
TEST(BarTableModel, EachUpdateShowsExactlyItsBars) {
    const double t = DateToCenturies(2024, 6, 20, 10);
    const double m = 1.0 / 1440 / 36525;
    struct Step {
        const char* Name;
        std::vector<double> Times;
        std::vector<double> Closes;
    };
    const Step steps[] = {
        {"first bars", {t, t + m, t + 2 * m}, {10, 10.5, 11}},
        {"the same again", {t, t + m, t + 2 * m}, {10, 10.5, 11}},
        {"newest close moves", {t, t + m, t + 2 * m}, {10, 10.5, 11.25}},
        {"a bar more", {t, t + m, t + 2 * m, t + 3 * m}, {10, 10.5, 11.25, 9}},
        {"an older bar differs", {t, t + m, t + 2 * m, t + 3 * m}, {12, 10.5, 11.25, 9}},
        {"fewer bars", {t + m, t + 2 * m}, {10.5, 11.25}},
        {"other times, same closes", {t + 5 * m, t + 6 * m}, {10.5, 11.25}},
        {"more closes than times", {t, t + m}, {1, 2, 3}},
        {"no bars", {}, {}},
        {"bars again", {t, t + m, t + 2 * m}, {10, 10.5, 11}},
    };
    BarTableModel model;
    for (const Step& step : steps) {
        model.Clear();
        EXPECT_EQ(model.LineCount(), 0) << step.Name;
        EXPECT_EQ(model.Line(0), "") << step.Name;
        // The model keeps its own copy: the caller's lists may change or go once it is set.
        std::vector<double> times = step.Times;
        std::vector<double> closes = step.Closes;
        model.SetBars(times, closes);
        times.assign(times.size(), 0);
        closes.clear();

        std::vector<std::string> expected;
        std::string written;
        for (std::size_t i = std::min(step.Times.size(), step.Closes.size()); i-- > 0;) {
            expected.push_back(BarTableLine(step.Times[i], step.Closes[i]));
            written += expected.back() + "\n";
        }
        EXPECT_EQ(LinesOf(model), expected) << step.Name;
        EXPECT_EQ(model.rowCount(), static_cast<int>(expected.size())) << step.Name;
        if (!expected.empty()) {
            EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString().toStdString(),
                      expected[0])
                << step.Name;
        }
        std::ostringstream out;
        ASSERT_TRUE(model.WriteLines(out)) << step.Name;
        EXPECT_EQ(out.str(), written) << step.Name;
    }
}

// The chart window shows its series without a copy: the same lines as from a copy, for a
// count within the lists or beyond them (the future positions are left out by the count), and
// the lines stay once kept, whatever then becomes of the lists.
TEST(BarTableModel, SeriesShownAsTheyStandAndKeptBeforeTheyGo) {
    const double t = DateToCenturies(2024, 6, 20, 10);
    const double m = 1.0 / 1440 / 36525;
    struct Case {
        const char* Name;
        std::vector<double> Times;
        std::vector<double> Closes;
        std::size_t Count;
    };
    const Case cases[] = {
        {"bars and future positions",
         {t, t + m, t + 2 * m, t + 3 * m},
         {10, 10.5, kNullValue, kNullValue},
         2},
        {"all of them", {t, t + m}, {10, 10.5}, 2},
        {"a count beyond the lists", {t, t + m}, {10, 10.5, 11}, 7},
        {"none", {t}, {10}, 0},
    };
    for (const Case& c : cases) {
        TVegaDoubleList times;
        TVegaDoubleList closes;
        for (const double v : c.Times) times.Add(v);
        for (const double v : c.Closes) closes.Add(v);
        BarTableModel copied;
        const std::size_t n = std::min({c.Count, c.Times.size(), c.Closes.size()});
        copied.SetBars(std::span(c.Times).first(n), std::span(c.Closes).first(n));
        BarTableModel shown;
        shown.SetBars(std::vector<double>{1, 2, 3}, std::vector<double>{4, 5, 6});
        shown.ShowSeries(times, closes, c.Count);
        EXPECT_EQ(LinesOf(shown), LinesOf(copied)) << c.Name;
        std::ostringstream a;
        std::ostringstream b;
        ASSERT_TRUE(shown.WriteLines(a));
        ASSERT_TRUE(copied.WriteLines(b));
        EXPECT_EQ(a.str(), b.str()) << c.Name;
        shown.KeepLines();
        times.Clear();
        closes.Clear();
        EXPECT_EQ(LinesOf(shown), LinesOf(copied)) << c.Name;
        // Shown again after a copy was set: the copy is what is set, not what was shown.
        shown.ShowSeries(times, closes, 5);
        EXPECT_EQ(shown.LineCount(), 0) << c.Name;
        shown.SetBars(std::span(c.Times).first(n), std::span(c.Closes).first(n));
        EXPECT_EQ(LinesOf(shown), LinesOf(copied)) << c.Name;
    }
}

}  // namespace
}  // namespace vela::app
