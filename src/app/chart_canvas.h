#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "chart/chart_column_cache.h"
#include "chart/chart_mapping.h"
#include "chart/chart_painting.h"
#include "chart/chart_state.h"
#include "chart/crosshair.h"
#include "market/bar_data.h"
#include "platform/canvas.h"

namespace vela::app {

class ChartNavigation;
class QtCanvas;
class TFlickerFreePaintBox;

// A chart window's plot on its paint box: paints the chart of the bars in view, and runs the
// crosshair over it, which follows the mouse with the readout of the bar under it and the
// price and time where the mouse is, both placed by the scale the chart was painted with.
class ChartCanvas : public QObject {
  public:
    // The window's bars, oldest first.
    using Bars = std::function<std::span<const BarPrices>()>;

    ChartCanvas(TFlickerFreePaintBox* box, const ChartNavigation& navigation, Bars bars);
    ~ChartCanvas() override;

    // Paints the chart as shown; false as the chart painting (the status is then untouched).
    bool Paint(Canvas& canvas, ChartStatus& status);
    // The window's chart of all its bars kept its first `positions` items since it was last
    // painted (0: anything may have changed), so that the paint redoes only the rest.
    void SeriesKept(std::size_t positions) { columns_.Keep(positions); }

    // The crosshair follows a point of the box (only while the extras have it on).
    void MouseMove(QPoint point);
    void MouseLeave();
    // The chart or the extras changed: the crosshair is placed again where the mouse is, or
    // taken away when it is off.
    void Refresh();
    const std::string& Readout() const { return readout_; }
    const std::optional<CrosshairGeometry>& Crosshair() const { return geometry_; }
    // How the last paint placed the chart shown now; nothing before a full paint.
    std::optional<ChartMapping> PaintedMapping() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What the last paint placed prices by; the times come from the chart shown now.
    struct PaintedScale {
        double YMin = 0;
        double YMax = 0;
        bool Log = false;
    };
    const ChartState& Shown() const;
    ChartLayout Layout() const;
    QRegion Region() const;
    void Place(QPoint point);
    void SyncOverlay();

    TFlickerFreePaintBox* box_;
    const ChartNavigation& navigation_;
    Bars bars_;
    std::optional<PaintedScale> painted_;
    // What the paints of the chart of all bars keep between them; a view of some of them is
    // painted afresh, at the cost of the bars in it.
    ChartColumnCache columns_;
    std::optional<QPoint> hover_;  // inside the plot, with the crosshair on
    std::string readout_;
    std::optional<CrosshairGeometry> geometry_;
    QImage measureImage_;
    std::unique_ptr<QtCanvas> measuring_;  // on measureImage_, for the crosshair's text sizes
};

}  // namespace vela::app
