#include "app/chart_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <span>
#include <utility>

#include "app/bar_table_model.h"
#include "app/chart_alerts.h"
#include "app/chart_canvas.h"
#include "app/chart_extras_menu.h"
#include "app/chart_navigation.h"
#include "app/control_kinds.h"
#include "app/flicker_free_paint_box.h"
#include "app/widget_helpers.h"
#include "chart/alert_lines.h"
#include "chart/bar_under_mouse.h"
#include "chart/chart_painting.h"
#include "chart/chart_update.h"
#include "market/esignal_downloader.h"
#include "market/interval_table.h"
#include "market/market_feed.h"
#include "platform/atomic_file.h"
#include "platform/message_loop.h"
#include "platform/runtime_utilities.h"

namespace vela::app {

namespace {

// Lays the status row out by hand: the text and the square, at the right, keep their sizes
// fixed between resizes, so that a new status text (at every zoom or pan step) does not ask
// the tab page to lay out and repaint as a whole.
class StatusRowLayout : public QObject {
  public:
    StatusRowLayout(QWidget* row, QWidget* text, QWidget* square)
        : QObject(row), row_(row), text_(text), square_(square) {
        row_->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == row_ && event->type() == QEvent::Resize) Place();
        return QObject::eventFilter(watched, event);
    }

  private:
    void Place() {
        const int width = row_->width();
        const int height = row_->height();
        text_->setFixedSize(std::max(0, width - square_->width()), height);
        text_->move(0, 0);
        square_->move(width - square_->width(), (height - square_->height()) / 2);
    }
    QWidget* row_;
    QWidget* text_;
    QWidget* square_;
};

// An auto-sized label with its top-left corner at (x, y).
QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = Named(new QLabel(text, parent), name);
    label->adjustSize();
    label->move(x, y);
    return label;
}

// A number field read from its text: the integer it spells, else the minimum; a value typed
// beyond the range and not yet left is clamped into it rather than used as typed.
int FieldValue(const QSpinBox& field) {
    bool ok = false;
    const qlonglong v = field.cleanText().trimmed().toLongLong(&ok);
    if (!ok) return field.minimum();
    return static_cast<int>(std::clamp<qlonglong>(v, field.minimum(), field.maximum()));
}

}  // namespace

// Marks the window busy for the life of a handler that pumps messages; a close requested
// meanwhile happens when the outermost one ends.
class TForm1::BusyScope {
  public:
    explicit BusyScope(TForm1* form) : form_(form) { ++form_->busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    ~BusyScope() {
        if (!form_) return;  // destroyed by force (shut-down): nothing left to do
        if (--form_->busy_ == 0 && form_->closeWhenIdle_) form_->FinishPendingClose(true);
    }

  private:
    QPointer<TForm1> form_;
};

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), downloader_(std::make_unique<TEsignalDownloader>()) {
    setObjectName("Form1");
    setWindowTitle("New ...");
    resize(kClientSize);
    BuildControls();
    ConnectHandlers();
    Timer1->start();
    RegisterForm(this);
}

TForm1::~TForm1() {
    UnregisterForm(this);
    // The downloader goes first: its update procedure points at this window.
    downloader_.reset();
}

void TForm1::ConnectHandlers() {
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    // The arrows and setValue change the value; typing, blanking included, changes the text,
    // which the spin box does not pass on while it is no value. Both read the text.
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TForm1::SpinEdit2Change);
    connect(SpinEdit2->findChild<QLineEdit*>(), &QLineEdit::textChanged, this,
            &TForm1::SpinEdit2Change);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click);
    // Enter in the symbol field runs, as the Run button would.
    connect(Edit1, &QLineEdit::returnPressed, this, [this] {
        if (BitBtn1->isEnabled()) BitBtn1->click();
    });
    navigation_ = new ChartNavigation(
        FlickerFreePaintBox1, state_, [this] { return downloader_->LCurr.Prices(); },
        [this](bool byUser) {
            // Zoomed or panned by hand, the axis labels every session in view.
            if (byUser && !navigation_->View().Whole && !state_.Extras.FullTimeAxis) {
                ChartExtras extras = Extras();
                extras.FullTimeAxis = true;
                SetExtras(extras);
            }
            FlickerFreePaintBox1->update();
            canvas_->Refresh();
        });
    canvas_ = new ChartCanvas(FlickerFreePaintBox1, *navigation_,
                              [this] { return downloader_->LCurr.Prices(); });
    extrasMenu_ = std::make_unique<ChartExtrasMenu>(
        this, [this] { return Extras(); }, [this](const ChartExtras& e) { SetExtras(e); });
    alerts_ = new ChartAlerts(this, [this] {
        state_.Alerts = alerts_->Marks();
        navigation_->AllChanged();
        FlickerFreePaintBox1->update();
    });
    alerts_->AddMenuEntries(extrasMenu_->Menu(), [this](std::string* why) {
        return AlertPriceAtPoint(menuPoint_, why);
    });
    downloader_->OnMergedBars = [this](std::span<const BarPrices> update) {
        alerts_->Merged(update);
    };
    FlickerFreePaintBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FlickerFreePaintBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                menuPoint_ = at;
                extrasMenu_->Sync();
                extrasMenu_->Menu()->popup(FlickerFreePaintBox1->mapToGlobal(at));
            });
}

const ChartState& TForm1::ShownState() const {
    return navigation_->Shown();
}

void TForm1::SetExtras(const ChartExtras& extras) {
    state_.Extras = extras;
    canvas_->SeriesKept(0);
    // Opens and volumes are kept only while an extra draws them: fetch them now.
    if (NeedsOpenAndVolume(extras) && state_.LOpen.Count() == 0 && state_.LClose.Count() > 0) {
        // The series are built anew from the bars: the table's lines stay as they were.
        table_->KeepLines();
        UpdateChartSeries(downloader_->LCurr.Prices(), state_);
    }
    // Made afresh, with the marks the next update goes on from.
    overlayTails_ = ChartOverlayTails{};
    UpdateChartOverlaysFrom(state_, 0, overlayTails_);
    navigation_->AllChanged();
    if (extrasMenu_) extrasMenu_->Sync();
    canvas_->Refresh();
    FlickerFreePaintBox1->update();
}

QMenu* TForm1::ExtrasMenu() const {
    return extrasMenu_->Menu();
}

void TForm1::ChartMouseMove(QPoint point) {
    canvas_->MouseMove(point);
}

void TForm1::ChartMouseLeave() {
    canvas_->MouseLeave();
}

std::optional<double> TForm1::AlertPriceAtPoint(QPoint point, std::string* why) const {
    const std::optional<ChartMapping> map = canvas_->PaintedMapping();
    if (!map) {
        if (why != nullptr) *why = "the chart shows no prices yet";
        return std::nullopt;
    }
    const TRect& plot = map->Plot();
    if (point.y() < plot.Top || point.y() > plot.Bottom || point.x() < plot.Left ||
        point.x() > plot.Right) {
        if (why != nullptr) *why = "the menu was not opened over the plot";
        return std::nullopt;
    }
    return AlertPriceAt(*map, point.y(), why);
}

const std::string& TForm1::CrosshairReadout() const {
    return canvas_->Readout();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TForm1::FormShow() {
    // The window's own Hooks object is made when it is first shown.
    if (shownOnce_) return;
    shownOnce_ = true;
    downloader_->Run_Esignal_DM();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (busy_ > 0) {
        // A handler further down the stack still works on this window: stop its wait, hide
        // the window and close it once that handler has returned.
        event->ignore();
        RequestClose();
        return;
    }
    closing_ = true;
    event->accept();
}

void TForm1::RequestClose() {
    closing_ = true;
    if (busy_ > 0) {
        closeWhenIdle_ = true;
        downloader_->Break_Downloading = true;
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->hide();
        hide();
        return;
    }
    FinishPendingClose(false);
}

void TForm1::FinishPendingClose(bool deferred) {
    closeWhenIdle_ = false;
    // The frame's child window holds this one; deleting it deletes both. After a busy
    // handler the caller's caller (the downloader's event delivery, say) may still be on the
    // stack, so the deletion then waits for the event loop.
    QWidget* holder = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (holder == nullptr) holder = this;
    if (deferred)
        holder->deleteLater();
    else
        delete holder;
}

bool TForm1::Pump() {
    QPointer<TForm1> self(this);
    CurrentMessageLoop().ProcessPendingMessages();
    return self && !closing_;
}

void TForm1::HandleMessage(std::uint32_t, std::int64_t, std::int64_t) {
    // Chart windows leave every broadcast message to their default handling.
}

void TForm1::BitBtn1Click() {
    // A press while this window's own run is in progress (the All button does not look at
    // the disabled Run button) would nest a second run: skip it.
    if (running_ || closing_) return;
    QPointer<TForm1> self(this);
    BusyScope busy(this);
    running_ = true;
    struct RunningFlag {
        QPointer<TForm1> form;
        ~RunningFlag() {
            if (form) form->running_ = false;
        }
    } runningFlag{self};

    TraceMark("A2-B1");
    if (!self || closing_) return;
    const std::shared_ptr<MarketFeed> feed = InstalledFeed();
    const std::uint64_t heardBefore = feed ? feed->ReportCount() : 0;
    noBars_.clear();
    BitBtn1->setEnabled(false);
    if (!Pump()) return;
    // The table keeps its lines: a run without bars leaves them as they were.
    table_->KeepLines();
    navigation_->Reset();
    state_.LClose.Clear();
    state_.LHigh.Clear();
    state_.LLow.Clear();
    state_.LTime.Clear();
    canvas_->SeriesKept(0);
    FlickerFreePaintBox1->update();
    const IntervalEntry& interval = IntervalAt(ComboBox1->currentIndex());
    state_.dT = BarLengthInCenturies(interval.Minutes);
    Panel4->show();
    if (!Pump() || !Pump()) return;
    TraceMark("A2-B2");
    if (!self || closing_) return;
    const bool wholeDay = CheckBox1->isChecked();
    // Blanks around a typed or pasted symbol are no part of it.
    if (const QString symbol = Edit1->text().trimmed(); symbol != Edit1->text())
        Edit1->setText(symbol);
    downloader_->Set_Info1(
        Edit1->text().toStdString(), std::string(interval.Text), UpdateSeconds() * 1000, wholeDay,
        wholeDay ? 0 : -1, wholeDay ? 1440 : -1, [this] {
            // A merge keeps the bars before the ones it fetched.
            const TEsignalDownloader& e = *downloader_;
            seriesUnchanged_ = std::min<std::size_t>(
                seriesUnchanged_,
                static_cast<std::size_t>(std::max(e.LCurr.Count() - e.LUpdate.Count(), 0)));
            UpdateChart();
        });
    TraceMark("A2-B3");
    if (!self || closing_) return;
    seriesUnchanged_ = 0;
    overlayTails_ = ChartOverlayTails{};
    downloader_->RequestHistory1(BarsToRequest());
    if (!self || closing_) return;
    // A new history, whatever was built while the request pumped.
    seriesUnchanged_ = 0;
    // What the history traded fires nothing: the alerts wait for what comes after it.
    alerts_->Baseline(downloader_->LCurr.Prices(), Edit1->text().toStdString(),
                      ComboBox1->currentText().toStdString());
    TraceMark("A2-B4");
    if (!self || closing_) return;
    UpdateChart();
    if (!self || closing_) return;
    setWindowTitle(Edit1->text() + ":  " + ComboBox1->currentText());
    ShowRunOutcome(feed ? feed->ReportsSince(heardBefore) : std::vector<std::string>{});
    BitBtn1->setEnabled(true);
    if (!Pump()) return;
    Panel4->hide();
    if (!Pump()) return;
    TraceMark("A2-B5");
}

void TForm1::UpdateChart() {
    // Pumping below may deliver another update; running it nested would interleave two
    // rebuilds. Remember it and run once more afterwards instead.
    if (updating_) {
        updateAgain_ = true;
        return;
    }
    QPointer<TForm1> self(this);
    BusyScope busy(this);
    updating_ = true;
    int rounds = 0;
    do {
        updateAgain_ = false;
        // The series now follow the bars as they are; merges during the pumps below lower
        // this again.
        std::size_t kept = std::exchange(seriesUnchanged_, kAllBars);
        // Fewer than two bars empty the series, and the table keeps its lines.
        if (downloader_->LCurr.Count() < 2) table_->KeepLines();
        const bool built =
            UpdateChartSeriesFrom(downloader_->LCurr.Prices(), kept, state_, overlayTails_);
        canvas_->SeriesKept(built ? kept : 0);
        if (!built) break;
        navigation_->AllChanged();
        table_->Clear();
        if (!Pump()) return;
        // The bars' part of the series, without the future positions. A run started while
        // the update pumped may have cleared the series meanwhile.
        table_->ShowSeries(state_.LTime, state_.LClose,
                           static_cast<std::size_t>(std::max(state_.ILastPrice + 1, 0)));
        FlickerFreePaintBox1->update();
        // New bars may have moved the bar under a resting mouse.
        canvas_->Refresh();
        if (!Pump()) return;
    } while (updateAgain_ && ++rounds < 2);
    updating_ = false;
    // Updates that keep coming faster than the bars can be rebuilt (millions of bars, every
    // event merged) would keep this loop, and whoever waits for it, going for ever: the rest
    // is left to a later message.
    if (updateAgain_) {
        updateAgain_ = false;
        CurrentMessageLoop().Post([self] {
            if (self) self->UpdateChart();
        });
    }
}

void TForm1::FlickerFreePaintBox1Paint(Canvas& canvas) {
    // A blank chart leaves the status as it was, or says why nothing could be drawn.
    if (!canvas_->Paint(canvas, status_) && !noBars_.empty()) {
        SetChartLabelFont(canvas, 0x0000A0);
        const std::int32_t w = canvas.TextWidth(noBars_);
        canvas.TextOut(std::max(4, (FlickerFreePaintBox1->width() - w) / 2),
                       FlickerFreePaintBox1->height() / 2, noBars_);
    }
    // The status line above the chart follows the last full paint.
    ShowStatus();
}

void TForm1::ShowStatus() {
    const auto toQt = [](TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); };
    // Every paint shows the status: only what changed is set, as each change repaints.
    if (Panel2->palette().color(QPalette::WindowText) != toQt(status_.TextColor)) {
        QPalette text = Panel2->palette();
        text.setColor(QPalette::WindowText, toQt(status_.TextColor));
        Panel2->setPalette(text);
    }
    const QString line = QString::fromStdString(status_.Text);
    if (Panel2->text() != line) Panel2->setText(line);
    if (Shape1->palette().color(QPalette::Window) != toQt(status_.SquareColor)) {
        QPalette square = Shape1->palette();
        square.setColor(QPalette::Window, toQt(status_.SquareColor));
        Shape1->setPalette(square);
    }
}

void TForm1::ShowRunOutcome(const std::vector<std::string>& heard) {
    const std::string request =
        Edit1->text().toStdString() + " " + ComboBox1->currentText().toStdString();
    if (state_.LClose.Count() > 0) {
        linesFrom_ = request;
        previousRun_->hide();
        return;
    }
    // Nothing in the window may pass the last run's bars off as this request's.
    std::string why;
    for (const std::string& line : heard) why += (why.empty() ? "" : "; ") + line;
    if (downloader_->LCurr.Count() == 1) why = "one bar only; a chart needs two";
    if (why.empty()) why = "the feed sent none";
    noBars_ = request + ": no bars (" + why + ")";
    status_.Text = noBars_;
    status_.TextColor = 0x0000FF;
    status_.SquareColor = 0x0000FF;
    previousRun_->setVisible(table_->LineCount() > 0 && !linesFrom_.empty());
    previousRun_->setText(QString::fromStdString("lines of the previous run: " + linesFrom_));
    ShowStatus();
    FlickerFreePaintBox1->update();
}

void TForm1::BitBtn2Click() {
    if (!BitBtn2->isHidden()) downloader_->Stop_RT();
}

void TForm1::Timer1Timer() {
    BitBtn2->setVisible(downloader_->RT_Active());
}

void TForm1::SpinEdit2Change() {
    downloader_->Info_Update_Speed = UpdateSeconds() * 1000;
}

int TForm1::BarsToRequest() const {
    return FieldValue(*SpinEdit1);
}

int TForm1::UpdateSeconds() const {
    return FieldValue(*SpinEdit2);
}

std::optional<QString> TForm1::SelectedLines(std::size_t maxBytes) const {
    // By the selection's ranges, never one index per line: a million selected lines are a
    // handful of ranges.
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& r : RichEdit2->selectionModel()->selection())
        ranges.emplace_back(r.top(), r.bottom());
    std::sort(ranges.begin(), ranges.end());  // row 0 is the newest bar
    std::string text;
    int next = 0;  // the first row not yet taken: overlapping ranges give each line once
    for (const auto& [top, bottom] : ranges) {
        for (int row = std::max(top, next); row <= bottom; ++row) {
            const std::string line = table_->Line(row);
            if (text.size() + line.size() + 1 > maxBytes) return std::nullopt;
            text += line;
            text += '\n';
        }
        next = std::max(next, bottom + 1);
    }
    return QString::fromStdString(text);
}

void TForm1::CopySelectedLines() {
    const std::optional<QString> lines = SelectedLines();
    if (!lines) {
        // More than a clipboard should hold: saving is the way to take them along.
        const auto answer = QMessageBox::question(
            this, windowTitle(),
            "The selected lines are more than the clipboard should hold (over " +
                QString::number(kClipboardBytes / 1'000'000) + " MB). Save them to a file instead?",
            QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Save) BitBtn3Click();
        return;
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(*lines);
}

void TForm1::CheckBox2Click() {
    state_.HighLow = CheckBox2->isChecked();
    navigation_->AllChanged();
    FlickerFreePaintBox1->update();
}

bool TForm1::SaveTable(const std::string& path, std::string& error, FileWriteOps& ops) const {
    std::string why;
    if (WriteFileAtomicallyStreamed(
            path, [this](std::ostream& out) { return table_->WriteLines(out); }, &why, ops))
        return true;
    error = "Cannot save the table: " + why + ".";
    return false;
}

void TForm1::BitBtn3Click() {
    QPointer<TForm1> self(this);
    BusyScope busy(this);
    const QString name =
        QFileDialog::getSaveFileName(this, QString(), QString(), "Text file (*.txt)");
    if (!self || closing_ || name.isEmpty()) return;
    std::string error;
    if (!SaveTable(name.toStdString(), error))
        QMessageBox::critical(this, "Vela eSignal Monitor", QString::fromStdString(error));
}

void TForm1::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(54);
    Panel1->setFont(ArialFont(11));
    layout->addWidget(Panel1);

    Label1 = PlaceLabel(Panel1, "Label1", "Symbol", 17, 10);
    Edit1 = Named(new QLineEdit("$INDU", Panel1), "Edit1");
    Edit1->setGeometry(56, 5, 121, 22);
    ComboBox1 = Named(new QComboBox(Panel1), "ComboBox1");
    for (const auto& e : kIntervalTable)
        ComboBox1->addItem(QString::fromUtf8(e.Item.data(), static_cast<int>(e.Item.size())));
    ComboBox1->setCurrentIndex(kDefaultIntervalIndex);
    ComboBox1->setGeometry(180, 6, 71, 22);
    Label2 = PlaceLabel(Panel1, "Label2", "Last", 8, 33);
    SpinEdit1 = Named(new QSpinBox(Panel1), "SpinEdit1");
    SpinEdit1->setRange(1, 3000000);
    SpinEdit1->setSingleStep(100);
    SpinEdit1->setValue(100);
    SpinEdit1->setGeometry(32, 29, 57, 23);
    Label3 = PlaceLabel(Panel1, "Label3", "bars", 90, 32);
    Label4 = PlaceLabel(Panel1, "Label4", "Update", 122, 33);
    SpinEdit2 = Named(new QSpinBox(Panel1), "SpinEdit2");
    SpinEdit2->setRange(0, 600);
    SpinEdit2->setSingleStep(1);
    SpinEdit2->setValue(1);
    SpinEdit2->setGeometry(159, 29, 39, 23);
    Label5 = PlaceLabel(Panel1, "Label5", "sec", 200, 33);
    CheckBox2 = Named(new QCheckBox("H/L", Panel1), "CheckBox2");
    CheckBox2->setGeometry(226, 32, 46, 17);
    BitBtn1 = Named(new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), "Run", Panel1),
                    "BitBtn1");
    BitBtn1->setGeometry(279, 3, 87, 49);
    BitBtn2 = Named(new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), "Stop", Panel1),
                    "BitBtn2");
    BitBtn2->setGeometry(281, 2, 95, 51);
    BitBtn2->hide();
    CheckBox1 = Named(new QCheckBox("Whole day", Panel1), "CheckBox1");
    CheckBox1->setGeometry(382, 11, 150, 29);
    Panel4 = Named(new QLabel("Downloading ...", Panel1), "Panel4");
    Panel4->setGeometry(3, 1, 263, 53);
    Panel4->setAlignment(Qt::AlignCenter);
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel4->setAutoFillBackground(true);
    Panel4->hide();

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setTabPosition(QTabWidget::West);
    layout->addWidget(PageControl1, 1);

    TabSheet1 = Named(new QWidget, "TabSheet1");
    auto* chartLayout = new QVBoxLayout(TabSheet1);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    Panel3 = Named(new QWidget(TabSheet1), "Panel3");
    Panel3->setFixedHeight(27);
    Panel2 = Named(new QLabel(Panel3), "Panel2");
    Panel2->setFont(ArialFont(11));
    Panel2->setAutoFillBackground(true);
    QPalette white = Panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel2->setPalette(white);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Shape1 = Named(new TShape(Panel3), "Shape1");
    Shape1->setFixedSize(22, 23);
    new StatusRowLayout(Panel3, Panel2, Shape1);
    chartLayout->addWidget(Panel3);
    FlickerFreePaintBox1 = Named(new TFlickerFreePaintBox(TabSheet1), "FlickerFreePaintBox1");
    FlickerFreePaintBox1->SetOnPaint(
        [this](TFlickerFreePaintBox&, Canvas& canvas) { FlickerFreePaintBox1Paint(canvas); });
    chartLayout->addWidget(FlickerFreePaintBox1, 1);
    PageControl1->addTab(TabSheet1, "Chart");

    TabSheet2 = Named(new QWidget, "TabSheet2");
    auto* tableLayout = new QVBoxLayout(TabSheet2);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->setSpacing(0);
    Panel5 = Named(new QWidget(TabSheet2), "Panel5");
    Panel5->setFixedHeight(37);
    BitBtn3 = Named(new QPushButton("Save", Panel5), "BitBtn3");
    BitBtn3->setGeometry(2, 3, 76, 33);
    tableLayout->addWidget(Panel5);
    // Above lines a run without bars kept: whose they are.
    previousRun_ = Named(new QLabel(TabSheet2), "PreviousRunLabel");
    previousRun_->setStyleSheet("color: #a00000; padding: 2px;");
    previousRun_->hide();
    tableLayout->addWidget(previousRun_);
    RichEdit2 = Named(new QListView(TabSheet2), "RichEdit2");
    RichEdit2->setFont(ArialFont(11));
    RichEdit2->setUniformItemSizes(true);
    RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_ = new BarTableModel(this);
    RichEdit2->setModel(table_);
    // Lines are selected and copied as from a text area, and saved from the same menu.
    auto* copy = new QAction("Copy", RichEdit2);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TForm1::CopySelectedLines);
    auto* selectAll = new QAction("Select all", RichEdit2);
    selectAll->setShortcut(QKeySequence::SelectAll);
    selectAll->setShortcutContext(Qt::WidgetShortcut);
    connect(selectAll, &QAction::triggered, RichEdit2, &QListView::selectAll);
    RichEdit2->addAction(selectAll);
    auto* save = new QAction("Save", RichEdit2);
    connect(save, &QAction::triggered, this, &TForm1::BitBtn3Click);
    RichEdit2->addAction(copy);
    RichEdit2->addAction(save);
    RichEdit2->setContextMenuPolicy(Qt::ActionsContextMenu);
    tableLayout->addWidget(RichEdit2, 1);
    PageControl1->addTab(TabSheet2, "Table");
    PageControl1->setCurrentIndex(0);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);
}

}  // namespace vela::app
