#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_state.h"
#include "market/bar_data.h"
#include "market/price_alerts.h"
#include "platform/alert_notifier.h"

class QMenu;
class QWidget;

namespace vela::app {

class AlertCommand;
class AlertsDialog;

// What a fired alert reaches beyond its chart window, shared by the main window's windows.
struct AlertOutlets {
    std::unique_ptr<AlertNotifier> Notifier;  // none: the memo alone
    std::unique_ptr<AlertCommand> Command;    // --alert-command; none: no program is run
    // Hears every alert line as the memo gets it (a snapshot collects them).
    std::function<void(const std::string& line)> Heard;
    // Numbers the windows, so that one window's alerts never share a command with another's.
    std::uint64_t NextWindow = 1;
};

// A chart window's price alerts: the rules and their check (PriceAlerts), fed from the
// downloader's merged updates, and how a firing is told: the memo line, the beep, the desktop
// notification and the user's command. Also the chart menu's alert entries and the dialog.
class ChartAlerts : public QObject {
  public:
    // The alerts or their states changed: the chart draws them again.
    using Changed = std::function<void()>;
    // The price under the mouse where the menu opened, rounded to the axis step; nothing,
    // with the reason, when none can be read.
    using PriceAtMenu = std::function<std::optional<double>(std::string* why)>;

    ChartAlerts(QWidget* window, Changed changed);
    ~ChartAlerts() override;

    const PriceAlerts& Alerts() const { return alerts_; }
    // "BTCUSDT 1 min": what the last run followed; empty before any run.
    std::string Subject() const { return symbol_.empty() ? "" : symbol_ + " " + interval_; }
    std::optional<std::uint64_t> Add(double level, std::string* why = nullptr);
    bool SetLevel(std::uint64_t id, double level, std::string* why = nullptr);
    bool Rearm(std::uint64_t id);
    bool Remove(std::uint64_t id);
    // Replaces every alert by these (a desktop's), armed or fired as they were.
    void Restore(const std::vector<PriceAlert>& alerts);
    std::vector<AlertMark> Marks() const;

    // A run's history arrived for symbol and interval (as the window shows them).
    void Baseline(std::span<const BarPrices> bars, std::string symbol, std::string interval);
    // An update was merged: the alerts it fired are told.
    std::vector<AlertFiring> Merged(std::span<const BarPrices> update);

    void SetOutlets(std::shared_ptr<AlertOutlets> outlets);

    // "Alert at this price" and "Alerts…" at the end of the chart's menu.
    void AddMenuEntries(QMenu* menu, PriceAtMenu priceAt);
    // The dialog, shown (made on first use), with a message in its message line.
    AlertsDialog* ShowDialog(const std::string& message = "");
    AlertsDialog* Dialog() const;

  private:
    void Tell(const AlertFiring& firing, double time);
    void Touched();

    QWidget* window_;
    Changed changed_;
    PriceAlerts alerts_;
    std::string symbol_;
    std::string interval_;
    std::shared_ptr<AlertOutlets> outlets_;
    std::uint64_t window_number_ = 0;
    QPointer<AlertsDialog> dialog_;
};

}  // namespace vela::app
