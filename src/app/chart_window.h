#pragma once

#include <QPoint>
#include <QRegion>
#include <QSize>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/chart_state.h"
#include "chart/chart_update.h"
#include "platform/atomic_file.h"
#include "platform/form_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QFrame;
class QPainter;

namespace vela {
class Canvas;
class TEsignalDownloader;
}  // namespace vela

namespace vela::app {

class BarTableModel;
class ChartAlerts;
class ChartCanvas;
class ChartExtrasMenu;
class ChartNavigation;
class TFlickerFreePaintBox;

// A chart window: one symbol and interval, its settings bar, the chart page and the table.
//
// Run and UpdateChart handle messages while they work, so anything can happen meanwhile,
// including a request to close this window. Such a request is remembered and carried out
// when the outermost busy handler has unwound; walks over the windows skip closing ones.
class TForm1 : public QWidget, public MessageReceiver {
    Q_OBJECT
  public:
    // The form's client area as the window is designed.
    static constexpr QSize kClientSize{468, 383};

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers, by the names of the controls and events they serve.
    void FormShow();
    void BitBtn1Click();  // Run
    void BitBtn2Click();  // Stop
    void BitBtn3Click();  // Save (asks for a file name)
    void Timer1Timer();
    void SpinEdit2Change();
    void CheckBox2Click();
    // Switches the chart's extras (bar style, panes, overlays) and repaints.
    void SetExtras(const ChartExtras& extras);
    void FlickerFreePaintBox1Paint(Canvas& canvas);
    void UpdateChart();

    // Writes the table, one line per table line, newest first; the old file is replaced only
    // by a wholly written one. False with a reason naming the file.
    bool SaveTable(const std::string& path, std::string& error,
                   FileWriteOps& ops = DiskFileOps()) const;
    // The table lines selected on the Table page, newest first, each ending in "\n"; also
    // put on the clipboard by Copy.
    // What a clipboard is given at most; more is offered to be saved instead.
    static constexpr std::size_t kClipboardBytes = 50'000'000;
    // The selected lines, newest first, each with its line end; nothing when they would
    // take more than maxBytes.
    std::optional<QString> SelectedLines(std::size_t maxBytes = kClipboardBytes) const;
    void CopySelectedLines();

    // The number fields as Run reads them: the integer the text spells, the minimum for a
    // text that is none, a typed value beyond the range clamped into it.
    int BarsToRequest() const;
    int UpdateSeconds() const;

    // Closes the window now, or once its running handlers have returned.
    void RequestClose();
    bool Closing() const { return closing_; }
    bool Busy() const { return busy_ > 0; }
    bool Running() const { return running_; }

    TEsignalDownloader& E() const { return *downloader_; }
    const ChartState& State() const { return state_; }
    // The chart as shown: of the bars in view (all of them unless zoomed or panned).
    const ChartState& ShownState() const;
    ChartNavigation& Navigation() const { return *navigation_; }
    const ChartStatus& Status() const { return status_; }

    // The chart's extras, all off until switched on from the chart's context menu.
    const ChartExtras& Extras() const { return state_.Extras; }
    // The chart's context menu; its actions are named after what they switch.
    QMenu* ExtrasMenu() const;
    // The crosshair follows a point of the paint box; the readout names the bar under it
    // (empty when there is none or the crosshair is off).
    void ChartMouseMove(QPoint point);
    void ChartMouseLeave();
    const std::string& CrosshairReadout() const;
    const ChartCanvas& Plot() const { return *canvas_; }
    // The window's price alerts, drawn on the chart and checked on every merged update.
    ChartAlerts& Alerts() const { return *alerts_; }
    // The price "Alert at this price" takes for a point of the paint box; nothing, with the
    // reason, when no price can be read there.
    std::optional<double> AlertPriceAtPoint(QPoint point, std::string* why) const;

    void HandleMessage(std::uint32_t msg, std::int64_t wparam, std::int64_t lparam) override;

    // Controls, by the names desktop files store them under.
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    TFlickerFreePaintBox* FlickerFreePaintBox1 = nullptr;
    QListView* RichEdit2 = nullptr;
    QLabel* Label4 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QTimer* Timer1 = nullptr;
    QWidget* Panel3 = nullptr;
    QLabel* Panel2 = nullptr;
    QFrame* Shape1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLabel* Panel4 = nullptr;
    QWidget* Panel5 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;

    BarTableModel* Table() const { return table_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    class BusyScope;
    void BuildControls();
    void ConnectHandlers();
    // Runs pending messages; false when this window must stop working (it is closing).
    bool Pump();
    void FinishPendingClose(bool deferred);
    // After a run: a run without bars says so in the status line, the plot and the table.
    void ShowRunOutcome(const std::vector<std::string>& heard);
    void ShowStatus();

    std::unique_ptr<TEsignalDownloader> downloader_;
    ChartState state_;
    ChartStatus status_;
    BarTableModel* table_ = nullptr;
    std::unique_ptr<ChartExtrasMenu> extrasMenu_;
    ChartNavigation* navigation_ = nullptr;  // owned by the paint box
    ChartCanvas* canvas_ = nullptr;          // owned by the paint box
    ChartAlerts* alerts_ = nullptr;          // owned by this window
    QPoint menuPoint_;                       // where the chart's menu was opened
    QLabel* previousRun_ = nullptr;
    std::string noBars_;     // why the last run got no bars; empty when it got some
    std::string linesFrom_;  // the request whose lines the table holds
    int busy_ = 0;
    bool running_ = false;
    bool closing_ = false;
    bool closeWhenIdle_ = false;
    bool shownOnce_ = false;
    bool updating_ = false;
    bool updateAgain_ = false;
    // How many of the downloader's bars are still those the series were built from: an
    // update rebuilds only from there on.
    static constexpr std::size_t kAllBars = static_cast<std::size_t>(-1);
    std::size_t seriesUnchanged_ = 0;
    ChartOverlayTails overlayTails_;
};

}  // namespace vela::app
