#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/chart_extras_painting.h"
#include "chart/chart_state.h"
#include "chart/logged_chart.h"
#include "platform/canvas.h"
#include "platform/graphics_types.h"
#include "series/double_list.h"

namespace vela {

// What a chart's paint keeps of one chart between paints, so that a paint after a streaming
// update costs what the update changed, not what the chart holds: the price range's minima
// and maxima by blocks of positions, each line's points reduced per pixel column (a column's
// first, lowest, highest and last value and where they are) and the bars merged per pixel
// column, all in value space, so that a new price range only maps them anew. Painting with
// it gives the pixels of the plain paint exactly; the owner says what stayed, and whatever
// it does not vouch for is made anew.
class ChartColumnCache {
  public:
    // The first `positions` items of every series are those the chart had at the last paint
    // (a streaming update that rebuilt the series from there on). 0: anything may have
    // changed. What a paint vouches for afterwards is its own chart, whole.
    void Keep(std::size_t positions);
    // The chart with its prices as logarithms, as LoggedPrices(s) gives it.
    const ChartState& Logged(const ChartState& s) { return logged_.Of(s); }

    // As TVegaDoubleList::GetMinMax of s.LHigh and of s.LLow.
    void HighLowRange(const ChartState& s, double& highMin, double& highMax, double& lowMin,
                      double& lowMax);

    // Draws `line`, one of s's LClose, LHigh and LLow, its first three averages or its RSI,
    // as the chart does: intraday by position (Draw1), else by time from tmin to tmax
    // (Draw1Rescaled with s.LTime). log tells the logarithms of the prices from the prices
    // themselves. Any other list, or a pen whose segments do not combine as a plain union, is
    // drawn the plain way.
    void DrawLine(const ChartState& s, const TVegaDoubleList& line, Canvas& canvas,
                  const TRect& plot, double ymin, double ymax, double tmin, double tmax, bool log);

    // As BarColumnsOf(s, plot, scale); log as for DrawLine.
    const std::vector<BarColumn>& BarColumns(const ChartState& s, const TRect& plot,
                                             const BarScale& scale, bool log);

    // The points of a column that the walk over a line handed on together: positions
    // Start..End in column X, their lowest and highest value; Broken when a gap follows them
    // (otherwise a segment leaves them for the next column).
    struct Run {
        std::int32_t X = 0;
        std::int32_t Start = 0;
        std::int32_t End = 0;
        double First = 0;
        double Lo = 0;
        double Hi = 0;
        double Last = 0;
        bool Nan = false;
        bool Broken = false;
    };

  private:
    // Where the positions were placed across the plot, and on which scale.
    struct Placement {
        std::int32_t Left = 0;
        std::int32_t Right = 0;
        bool Intraday = false;
        bool Log = false;
        double TMin = 0;
        double TMax = 0;
        friend bool operator==(const Placement&, const Placement&) = default;
    };
    // What a line's columns were made for; any difference makes them anew.
    struct LineKey {
        std::int32_t Count = -1;
        std::int32_t Times = -1;
        Placement Place;
        // An average's type and window, the RSI's window.
        std::int32_t Type = -1;
        std::int32_t Window = 0;
        friend bool operator==(const LineKey&, const LineKey&) = default;
    };
    struct LineColumns {
        LineKey Key;
        std::size_t Kept = 0;  // positions whose items are those the runs were made from
        std::vector<Run> Runs;
    };
    // One list's minimum and maximum per block of positions.
    struct BlockRange {
        std::size_t Kept = 0;
        std::size_t Count = 0;  // the list's items when the blocks were made
        std::vector<double> Lo;
        std::vector<double> Hi;
    };

    // What the bars' columns were made for.
    struct BarKey {
        std::int32_t Bars = -1;
        std::int32_t Closes = -1;
        std::int32_t Times = -1;
        bool Opens = false;
        bool Volumes = false;
        Placement Place;
        friend bool operator==(const BarKey&, const BarKey&) = default;
    };
    struct KeptBars {
        BarKey Key;
        std::size_t Kept = 0;
        std::vector<BarColumn> Columns;
        std::vector<std::int32_t> Last;  // each column's last bar
    };

    static void RangeOf(BlockRange& blocks, const TVegaDoubleList& list, double& lo, double& hi);

    // Close, low, high, the averages the chart shows, the RSI.
    static constexpr std::size_t kAverageSlots = 3;
    static constexpr std::size_t kRsiSlot = 3 + kAverageSlots;
    std::array<LineColumns, kRsiSlot + 1> lines_;
    BlockRange highs_;
    BlockRange lows_;
    KeptBars bars_;
    LoggedChart logged_;
};

}  // namespace vela
