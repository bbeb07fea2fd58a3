#pragma once

#include <QObject>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "chart/chart_state.h"
#include "chart/chart_view.h"
#include "market/bar_data.h"

class QWidget;

namespace vela::app {

// Zoom and pan of a chart window's plot: the wheel zooms around the bar under the mouse,
// dragging pans, keys move (arrows a bar, PgUp/PgDn a screen, +/- zoom, Home the oldest,
// End the newest), and a double click or Esc shows the whole history again. It keeps the
// chart of the bars in view, which the window paints instead of the chart of all its bars.
class ChartNavigation : public QObject {
  public:
    // The window's bars, oldest first, and the chart of all of them.
    using Bars = std::function<std::span<const BarPrices>()>;
    // After the view changed; byUser when the user's wheel, drag or keys moved it.
    using Changed = std::function<void(bool byUser)>;

    ChartNavigation(QWidget* box, const ChartState& all, Bars bars, Changed changed);

    const ChartView& View() const { return view_; }
    // The chart to paint: the chart of all bars for the whole history.
    const ChartState& Shown() const { return view_.Whole ? all_ : shown_; }
    // The index among the window's bars of the first bar shown.
    std::int32_t FirstShown() const { return view_.Whole ? 0 : view_.First; }

    void SetView(const ChartView& view);
    // Scrolled back: newer bars lie beyond the view (a marker says so; End or a click on it
    // returns to them).
    bool NewerBeyond() const { return !view_.Follows(Count()); }
    // The window's chart was rebuilt from its bars (new bars, extras, high/low lines): a view
    // following the newest bar moves along with new ones.
    void AllChanged();
    // A new history: the whole of it is shown.
    void Reset() { SetView(ChartView{}); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::int32_t Count() const { return static_cast<std::int32_t>(bars_().size()); }
    // The bar (index among all) under column x of the plot, or the nearest end.
    std::int32_t BarAt(int x) const;
    double PixelsPerBar() const;
    void Rebuild();
    void Move(const ChartView& view);
    void Show(const ChartView& view, bool byUser);

    QWidget* box_;
    const ChartState& all_;
    Bars bars_;
    Changed changed_;
    ChartView view_;
    ChartState shown_;
    std::int32_t held_ = 0;  // bars when the view was last made
    std::optional<QPoint> dragFrom_;
    std::int32_t dragFirst_ = 0;
};

}  // namespace vela::app
