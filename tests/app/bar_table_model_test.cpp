#include "app/bar_table_model.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// the bars again, mostly the same bars with the newest changed or one more, saying how many
// of the oldest are still those of the last update.
TEST(BarTableModel, EachUpdateShowsExactlyItsBars) {
    const double t = DateToCenturies(2024, 6, 20, 10);
    const double m = 1.0 / 1440 / 36525;
    struct Step {
        const char* Name;
        std::vector<double> Times;
        std::vector<double> Closes;
        std::size_t Unchanged = 0;  // the bars promised to be those of the step before
    };
    const Step steps[] = {
        {"first bars", {t, t + m, t + 2 * m}, {10, 10.5, 11}},
        {"the same again", {t, t + m, t + 2 * m}, {10, 10.5, 11}, 3},
        {"newest close moves", {t, t + m, t + 2 * m}, {10, 10.5, 11.25}, 2},
        {"a bar more", {t, t + m, t + 2 * m, t + 3 * m}, {10, 10.5, 11.25, 9}, 3},
        {"an older bar differs", {t, t + m, t + 2 * m, t + 3 * m}, {12, 10.5, 11.25, 9}},
        {"fewer bars", {t + m, t + 2 * m}, {10.5, 11.25}},
        {"other times, same closes", {t + 5 * m, t + 6 * m}, {10.5, 11.25}},
        {"more closes than times", {t, t + m}, {1, 2, 3}},
        {"no bars", {}, {}},
        {"bars again", {t, t + m, t + 2 * m}, {10, 10.5, 11}, 5},
        {"a promise beyond the bars", {t, t + m}, {10, 10.5}, 9},
    };
    BarTableModel model;
    for (const Step& step : steps) {
        model.Clear();
        EXPECT_EQ(model.LineCount(), 0) << step.Name;
        EXPECT_EQ(model.Line(0), "") << step.Name;
        // The model keeps its own copy: the caller's lists may change or go once it is set.
        std::vector<double> times = step.Times;
        std::vector<double> closes = step.Closes;
        model.SetBars(times, closes, step.Unchanged);
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

}  // namespace
}  // namespace vela::app
