#include "app/chart_navigation.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <cmath>

#include "chart/bar_under_mouse.h"
#include "chart/chart_painting.h"

namespace vela::app {

namespace {
constexpr double kZoomIn = 0.8;
constexpr double kZoomOut = 1.25;
}  // namespace

ChartNavigation::ChartNavigation(QWidget* box, const ChartState& all, Bars bars, Changed changed)
    : QObject(box), box_(box), all_(all), bars_(std::move(bars)), changed_(std::move(changed)) {
    box_->installEventFilter(this);
    box_->setFocusPolicy(Qt::ClickFocus);
}

void ChartNavigation::SetView(const ChartView& view) {
    Show(view, false);
}

void ChartNavigation::Move(const ChartView& view) {
    Show(view, true);
}

void ChartNavigation::Show(const ChartView& view, bool byUser) {
    view_ = Clamped(view, Count());
    if (!view_.Whole && view_.Width >= Count()) view_ = ChartView{};
    Rebuild();
    if (changed_) changed_(byUser);
}

void ChartNavigation::AllChanged() {
    view_ = Followed(view_, held_, Count());
    Rebuild();
}

void ChartNavigation::Rebuild() {
    held_ = Count();
    if (view_.Whole) {
        shown_ = ChartState{};
        return;
    }
    // The view's chart is made as the window makes its own, with its settings.
    shown_.dT = all_.dT;
    shown_.HighLow = all_.HighLow;
    shown_.Extras = all_.Extras;
    shown_.Alerts = all_.Alerts;
    UpdateViewSeries(bars_(), view_, shown_);
}

std::int32_t ChartNavigation::BarAt(int x) const {
    const ChartState& s = Shown();
    const TRect client{0, 0, box_->width(), box_->height()};
    const TRect plot = ChartLayoutFor(client, s.Extras).Plot;
    const std::int32_t shown = s.ILastPrice + 1;
    const auto bar = BarUnderMouse(s.LTime.Items(), shown, s.Intraday, plot,
                                   std::clamp(x, plot.Left, plot.Right));
    // Over the future positions: the newest bar.
    return FirstShown() + (bar ? *bar : std::max(shown - 1, 0));
}

double ChartNavigation::PixelsPerBar() const {
    const ChartState& s = Shown();
    const TRect client{0, 0, box_->width(), box_->height()};
    const TRect plot = ChartLayoutFor(client, s.Extras).Plot;
    const std::int32_t positions = s.LTime.Count();
    return positions > 1 ? static_cast<double>(plot.Right - plot.Left) / (positions - 1) : 1.0;
}

bool ChartNavigation::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || Count() < 2) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Wheel: {
            const auto* e = static_cast<QWheelEvent*>(event);
            const int steps = e->angleDelta().y() / 120;
            if (steps == 0) break;
            const std::int32_t anchor = BarAt(e->position().toPoint().x());
            ChartView v = view_;
            for (int i = 0; i < std::abs(steps); ++i)
                v = Zoomed(v, Count(), anchor, steps > 0 ? kZoomIn : kZoomOut);
            Move(v);
            return true;
        }
        case QEvent::MouseButtonPress: {
            const auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton || view_.Whole) break;
            const TRect client{0, 0, box_->width(), box_->height()};
            const TRect marker = NewerBarsMarker(ChartLayoutFor(client, all_.Extras).Plot);
            const QPoint at = e->position().toPoint();
            if (NewerBeyond() && at.x() >= marker.Left && at.x() < marker.Right &&
                at.y() >= marker.Top && at.y() < marker.Bottom) {
                Move(NewestBars(Count(), view_.Width));
                return true;
            }
            dragFrom_ = e->position().toPoint();
            dragFirst_ = view_.First;
            break;
        }
        case QEvent::MouseMove: {
            const auto* e = static_cast<QMouseEvent*>(event);
            if (!dragFrom_ || !(e->buttons() & Qt::LeftButton)) break;
            const double moved = (dragFrom_->x() - e->position().toPoint().x()) / PixelsPerBar();
            ChartView v = view_;
            v.First = dragFirst_ + static_cast<std::int32_t>(std::lround(moved));
            Move(v);
            break;
        }
        case QEvent::MouseButtonRelease:
            dragFrom_.reset();
            break;
        case QEvent::MouseButtonDblClick:
            Reset();
            return true;
        case QEvent::KeyPress: {
            const auto* e = static_cast<QKeyEvent*>(event);
            const std::int32_t width = view_.Whole ? Count() : view_.Width;
            // The keys zoom about the newest bar in view.
            const std::int32_t newest = view_.Whole ? Count() - 1 : view_.End() - 1;
            switch (e->key()) {
                case Qt::Key_Left:
                    Move(Panned(view_, Count(), -1));
                    return true;
                case Qt::Key_Right:
                    Move(Panned(view_, Count(), 1));
                    return true;
                case Qt::Key_PageUp:
                    Move(Panned(view_, Count(), -width));
                    return true;
                case Qt::Key_PageDown:
                    Move(Panned(view_, Count(), width));
                    return true;
                case Qt::Key_Plus:
                case Qt::Key_Equal:
                    Move(Zoomed(view_, Count(), newest, kZoomIn));
                    return true;
                case Qt::Key_Minus:
                    Move(Zoomed(view_, Count(), newest, kZoomOut));
                    return true;
                case Qt::Key_Home:
                    if (!view_.Whole) Move(BarsBefore(Count(), width, Count() - width));
                    return true;
                case Qt::Key_End:
                    if (!view_.Whole) Move(NewestBars(Count(), width));
                    return true;
                case Qt::Key_Escape:
                    Reset();
                    return true;
                default:
                    break;
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vela::app
