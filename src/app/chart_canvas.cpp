#include "app/chart_canvas.h"

#include <QEvent>
#include <QMouseEvent>
#include <algorithm>

#include "app/chart_navigation.h"
#include "app/flicker_free_paint_box.h"
#include "app/qt_canvas.h"
#include "chart/bar_under_mouse.h"
#include "chart/chart_mapping.h"
#include "chart/chart_view.h"

namespace vela::app {

namespace {

QRect ToQt(const TRect& r) {
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

}  // namespace

ChartCanvas::ChartCanvas(TFlickerFreePaintBox* box, const ChartNavigation& navigation, Bars bars)
    : QObject(box),
      box_(box),
      navigation_(navigation),
      bars_(std::move(bars)),
      measureImage_(1, 1, QImage::Format_RGB32),
      measuring_(std::make_unique<QtCanvas>(measureImage_)) {
    box_->installEventFilter(this);
    box_->setMouseTracking(true);
}

ChartCanvas::~ChartCanvas() = default;

const ChartState& ChartCanvas::Shown() const {
    return navigation_.Shown();
}

ChartLayout ChartCanvas::Layout() const {
    const TRect client{0, 0, box_->width(), box_->height()};
    return ChartLayoutFor(client, Shown().Extras);
}

bool ChartCanvas::Paint(Canvas& canvas, ChartStatus& status) {
    const TRect client{0, 0, box_->width(), box_->height()};
    ChartMapping map;
    ChartColumnCache* columns = navigation_.View().Whole ? &columns_ : nullptr;
    if (!vela::FlickerFreePaintBox1Paint(Shown(), canvas, client, status, &map, columns)) {
        painted_.reset();
        return false;
    }
    painted_ = PaintedScale{map.YMin(), map.YMax(), map.Log()};
    // The overlay is drawn over this frame: its price follows the scale just painted.
    if (hover_) Place(*hover_);
    SyncOverlay();
    if (navigation_.NewerBeyond()) DrawNewerBarsMarker(canvas, map.Plot());
    return true;
}

std::optional<ChartMapping> ChartCanvas::PaintedMapping() const {
    if (!painted_) return std::nullopt;
    const ChartState& shown = Shown();
    return ChartMapping(shown.LTime.Items(), shown.Intraday, Layout().Plot, painted_->YMin,
                        painted_->YMax, painted_->Log);
}

bool ChartCanvas::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_) {
        if (event->type() == QEvent::MouseMove)
            MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::Leave)
            MouseLeave();
    }
    return QObject::eventFilter(watched, event);
}

void ChartCanvas::MouseMove(QPoint point) {
    const QRegion before = Region();
    Place(point);
    SyncOverlay();
    const QRegion after = Region();
    if (!before.isEmpty() || !after.isEmpty()) box_->UpdateOverlay(before.united(after));
}

void ChartCanvas::Place(QPoint point) {
    const ChartState& shown = Shown();
    hover_.reset();
    readout_.clear();
    geometry_.reset();
    if (!shown.Extras.Crosshair) return;
    const ChartLayout layout = Layout();
    const TRect& plot = layout.Plot;
    const bool inside = point.x() >= plot.Left && point.x() <= plot.Right &&
                        point.y() >= plot.Top && point.y() <= plot.Bottom;
    if (inside && shown.LTime.Count() >= 2) {
        hover_ = point;
        const auto prices = bars_();
        const std::int32_t first = navigation_.FirstShown();
        const std::int32_t bars =
            std::min(shown.ILastPrice + 1, static_cast<std::int32_t>(prices.size()) - first);
        const auto bar = BarUnderMouse(shown.LTime.Items(), bars, shown.Intraday, plot, point.x());
        std::optional<double> barTime;
        if (bar) {
            const BarPrices& b = prices[static_cast<std::size_t>(first + *bar)];
            readout_ = BarReadout(b);
            barTime = b.dtTime;
        }
        const PaintedScale scale = painted_.value_or(PaintedScale{});
        const ChartMapping map(shown.LTime.Items(), shown.Intraday, plot, scale.YMin, scale.YMax,
                               scale.Log);
        // Measured in the font the overlay draws with.
        measuring_->Font() = box_->FrameFont();
        geometry_ =
            CrosshairGeometryFor(map, layout, TPoint{point.x(), point.y()}, readout_, barTime,
                                 !shown.Extras.Averages.empty(), MeasureOn(*measuring_));
        if (!painted_) {
            // Nothing painted yet: no scale to read a price from.
            geometry_->PriceText.clear();
            geometry_->PriceLabel = TRect{};
        }
    }
}

void ChartCanvas::MouseLeave() {
    if (!hover_) return;
    const QRegion before = Region();
    hover_.reset();
    readout_.clear();
    geometry_.reset();
    SyncOverlay();
    box_->UpdateOverlay(before);
}

void ChartCanvas::SyncOverlay() {
    // Without a crosshair the box shows its frame as it is, without copying it for an overlay.
    if (geometry_)
        box_->SetOnOverlay([this](Canvas& canvas) {
            if (geometry_) DrawCrosshair(canvas, *geometry_);
        });
    else
        box_->SetOnOverlay({});
}

void ChartCanvas::Refresh() {
    if (hover_)
        MouseMove(*hover_);
    else if (!Shown().Extras.Crosshair)
        MouseLeave();
}

QRegion ChartCanvas::Region() const {
    QRegion region;
    if (!geometry_) return region;
    for (const TRect& r : CrosshairRects(*geometry_)) region += ToQt(r);
    return region;
}

}  // namespace vela::app
