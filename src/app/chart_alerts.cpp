#include "app/chart_alerts.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/alert_command.h"
#include "app/alerts_dialog.h"
#include "platform/clock.h"
#include "platform/runtime_utilities.h"
#include "text/century_times.h"
#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela::app {

ChartAlerts::ChartAlerts(QWidget* window, Changed changed)
    : QObject(window), window_(window), changed_(std::move(changed)) {}

ChartAlerts::~ChartAlerts() {
    // The dialog works on these alerts: it goes first.
    delete dialog_.data();
}

std::optional<std::uint64_t> ChartAlerts::Add(double level, std::string* why) {
    const auto id = alerts_.Add(level, why);
    if (id) Touched();
    return id;
}

bool ChartAlerts::SetLevel(std::uint64_t id, double level, std::string* why) {
    if (!alerts_.SetLevel(id, level, why)) return false;
    Touched();
    return true;
}

bool ChartAlerts::Rearm(std::uint64_t id) {
    if (!alerts_.Rearm(id)) return false;
    Touched();
    return true;
}

bool ChartAlerts::Remove(std::uint64_t id) {
    if (!alerts_.Remove(id)) return false;
    Touched();
    return true;
}

void ChartAlerts::Restore(const std::vector<PriceAlert>& alerts) {
    alerts_.Clear();
    for (const PriceAlert& a : alerts) alerts_.Restore(a);
    Touched();
}

std::vector<AlertMark> ChartAlerts::Marks() const {
    std::vector<AlertMark> marks;
    marks.reserve(alerts_.Items().size());
    for (const PriceAlert& a : alerts_.Items()) marks.push_back(AlertMark{a.Level, a.Fired});
    return marks;
}

void ChartAlerts::Baseline(std::span<const BarPrices> bars, std::string symbol,
                           std::string interval) {
    alerts_.Baseline(bars);
    symbol_ = std::move(symbol);
    interval_ = std::move(interval);
    if (dialog_) dialog_->Refresh();
}

std::vector<AlertFiring> ChartAlerts::Merged(std::span<const BarPrices> update) {
    std::vector<AlertFiring> fired = alerts_.Check(update);
    if (fired.empty()) {
        if (dialog_) dialog_->Refresh();  // the directions follow the last price
        return fired;
    }
    CenturyTimeEncoder times;
    const double when = AlertTime(update, times.Encode(CurrentClock().LocalNow()).value_or(0));
    for (const AlertFiring& f : fired) Tell(f, when);
    Touched();
    return fired;
}

void ChartAlerts::Tell(const AlertFiring& firing, double time) {
    const std::string line = AlertLine(symbol_, interval_, firing, time);
    if (TraceSink* memo = TraceMemo()) memo->AppendLine(line);
    if (!outlets_) return;
    if (outlets_->Heard) outlets_->Heard(line);
    if (outlets_->Notifier) {
        outlets_->Notifier->Beep();
        outlets_->Notifier->Notify("Price alert", line);
    }
    if (outlets_->Command)
        outlets_->Command->Start((window_number_ << 32) | firing.Id,
                                 {symbol_, interval_, LevelText(firing.Level),
                                  std::string(DirectionText(firing.Direction)),
                                  DateTimeToText(5, '.', time), RealToText(0, firing.Last)});
}

void ChartAlerts::SetOutlets(std::shared_ptr<AlertOutlets> outlets) {
    outlets_ = std::move(outlets);
    if (outlets_) window_number_ = outlets_->NextWindow++;
}

void ChartAlerts::Touched() {
    if (changed_) changed_();
    if (dialog_) dialog_->Refresh();
}

void ChartAlerts::AddMenuEntries(QMenu* menu, PriceAtMenu priceAt) {
    menu->addSeparator();
    QAction* here = menu->addAction("Alert at this price");
    here->setObjectName("ActionAlertHere");
    connect(here, &QAction::triggered, this, [this, priceAt] {
        std::string why;
        const std::optional<double> level = priceAt ? priceAt(&why) : std::nullopt;
        if (!level) {
            ShowDialog("No alert added: " + (why.empty() ? "no chart to read a price off" : why));
            return;
        }
        if (!Add(*level, &why)) ShowDialog("No alert added: " + why);
    });
    QAction* list = menu->addAction("Alerts\u2026");
    list->setObjectName("ActionAlerts");
    connect(list, &QAction::triggered, this, [this] { ShowDialog(); });
}

AlertsDialog* ChartAlerts::Dialog() const {
    return dialog_;
}

AlertsDialog* ChartAlerts::ShowDialog(const std::string& message) {
    if (!dialog_) dialog_ = new AlertsDialog(*this, window_);
    dialog_->Refresh();
    dialog_->Say(message);
    dialog_->show();
    dialog_->raise();
    return dialog_;
}

}  // namespace vela::app
