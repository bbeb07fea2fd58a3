#include "app/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/alert_command.h"
#include "app/bar_table_model.h"
#include "app/chart_alerts.h"
#include "app/chart_navigation.h"
#include "app/chart_window.h"
#include "app/control_persistence.h"
#include "app/normal_geometry.h"
#include "app/program_icon.h"
#include "app/qt_alert_notifier.h"
#include "app/widget_helpers.h"
#include "chart/chart_view.h"
#include "geometry/window_tiling.h"
#include "market/esignal_downloader.h"
#include "market/interval_table.h"
#include "platform/message_loop.h"
#include "settings/desktop_layout.h"
#include "settings/extended_ini_file.h"

namespace vela::app {

TForm2::TForm2(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form2");
    setWindowTitle("Vela eSignal Monitor");
    setWindowIcon(ProgramIcon());
    setFont(MsSansSerifFont(11));
    alertOutlets_ = std::make_shared<AlertOutlets>();
    alertOutlets_->Notifier = std::make_unique<QtAlertNotifier>();
    BuildControls();
    resize(905, 538 + StatusBar1->sizeHint().height());
    RegisterForm(this);
    FormCreate();
    Timer1->start();
}

void TForm2::SetAlertCommand(const std::string& program) {
    QPointer<QPlainTextEdit> memo(Memo1);
    alertOutlets_->Command =
        std::make_unique<AlertCommand>(program, [memo](const std::string& line) {
            // As a feed's reports: on stderr too, where a snapshot's user sees them.
            std::cerr << "vela-monitor: " << line << "\n";
            if (memo) memo->appendPlainText(QString::fromStdString(line));
        });
}

TForm2::~TForm2() {
    UnregisterForm(this);
    // Chart windows go before the memo they write markers into.
    for (TForm1* form : ChartWindows()) delete form->parentWidget();
    SetTraceMemo(nullptr);
}

void TForm2::MemoSink::AppendLine(const std::string& line) {
    memo_->appendPlainText(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    // The newest line in sight, even when the user had scrolled up: a failure is seen.
    memo_->verticalScrollBar()->setValue(memo_->verticalScrollBar()->maximum());
}

void TForm2::FormCreate() {
    memoSink_ = std::make_unique<MemoSink>(Memo1);
    SetTraceMemo(memoSink_.get());
}

void TForm2::Timer1Timer() {
    std::string text;
    TEsignalDownloader::IsEntitled_Gloabal(text);
    StatusPanel->setText(QString::fromStdString(text));
    Panel2->setText(ClockText(QDateTime::currentDateTime()));
}

std::vector<TForm1*> TForm2::ChartWindows() {
    std::vector<TForm1*> out;
    for (const FormEntry& e : RegisteredForms())
        if (auto* form = dynamic_cast<TForm1*>(e.Form); form && !form->Closing())
            out.push_back(form);
    return out;
}

template <typename F>
void TForm2::ForEachChartWindow(F f) {
    for (const FormEntry& e : RegisteredForms()) {
        if (!IsStillRegistered(e)) continue;
        auto* form = dynamic_cast<TForm1*>(e.Form);
        if (form == nullptr || form->Closing()) continue;
        f(form);
    }
}

void TForm2::BitBtn7Click() {
    ForEachChartWindow([](TForm1* form) {
        if (form->BitBtn2->isHidden()) form->BitBtn1Click();
    });
}

void TForm2::BitBtn8Click() {
    ForEachChartWindow([](TForm1* form) {
        if (!form->BitBtn2->isHidden()) form->BitBtn2Click();
    });
}

void TForm2::BitBtn9Click() {
    QPointer<TForm2> self(this);
    // Connecting replaces every chart window by one running window: bars the user is looking
    // at are not thrown away without asking.
    int holding = 0;
    for (TForm1* form : ChartWindows())
        if (!form->Closing() && form->Table()->LineCount() > 0) ++holding;
    if (holding > 0) {
        const QString question =
            QString(
                "Connecting closes the %1 chart window%2 holding bars and opens one new "
                "window. Connect?")
                .arg(holding)
                .arg(holding == 1 ? "" : "s");
        const bool yes =
            confirm_ ? confirm_(question)
                     : QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
        if (!self || !yes) return;
    }
    TraceMark("A1");
    if (!self) return;
    BitBtn9->hide();
    TEsignalDownloader::Run_Esignal_DM_Global();
    TraceMark("A2");
    if (!self) return;
    CurrentMessageLoop().ProcessPendingMessages();
    if (!self) return;
    ResetChartWindows();
    if (!self) return;
    TraceMark("A3");
}

void TForm2::ResetChartWindows() {
    QPointer<TForm2> self(this);
    // A window whose run is still waiting further down the stack closes when that run has
    // unwound; every other one goes at once.
    for (TForm1* form : ChartWindows()) form->RequestClose();
    TForm1* form = BitBtn1Click();
    QPointer<TForm1> guard(form);
    form->BitBtn1Click();
    if (!self) return;
    CurrentMessageLoop().ProcessPendingMessages();
}

namespace {

// As many bars as a window can ask for.
constexpr std::int32_t kMaxViewBars = 3000000;

const char* const kDesktopFilter = "Vela eSignal Desctop|*.dsc_1";

std::vector<QObject*> DesktopControls(TForm1* form) {
    return {form->Edit1, form->ComboBox1, form->SpinEdit1, form->SpinEdit2, form->CheckBox2};
}

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

QString TForm2::DesktopFilter() {
    const QString filter(kDesktopFilter);
    const auto bar = filter.indexOf('|');
    return filter.left(bar) + " (" + filter.mid(bar + 1) + ")";
}

std::string TForm2::DesktopFolderFor(const std::string& programFolder) {
    const QFileInfo folder(FromUtf8(programFolder));
    if (folder.isDir() && folder.isWritable()) return programFolder;
    // An installed program's folder belongs to the system; the user's own data folder serves.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data)) return programFolder;
    return QDir(data).absolutePath().toStdString() + "/";
}

std::string TForm2::DesktopFolder() {
    return DesktopFolderFor(AppFolder());
}

bool TForm2::SaveDesktop(const std::string& FileName, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error != nullptr) *error = what;
        return false;
    };
    try {
        TSpecIniFile ini(FileName);
        int n = 0;
        ForEachChartWindow([&](TForm1* form) {
            WriteControls(ini, DesktopControlsSection(n), DesktopControls(form));
            WriteChartExtras(ini, DesktopControlsSection(n), form->Extras());
            WriteChartView(ini, DesktopControlsSection(n),
                           ViewText(form->Navigation().View(), form->E().LCurr.Count()));
            WriteChartAlerts(ini, DesktopControlsSection(n), form->Alerts().Alerts().Items());
            const QWidget* frame = form->parentWidget() != nullptr ? form->parentWidget() : form;
            const std::string section = DesktopFormSection(n);
            // A minimized or maximized window is saved as the window it is when normal.
            const QRect bounds = NormalGeometry::Of(frame);
            ini.WriteInteger(section, "W", bounds.width());
            ini.WriteInteger(section, "H", bounds.height());
            ini.WriteInteger(section, "L", bounds.x());
            ini.WriteInteger(section, "T", bounds.y());
            ++n;
        });
        ini.WriteInteger(kDesktopOptionsSection, "COUNT", n);
        ini.FlushFile();
        if (!ini.LastWriteError().empty()) return fail(ini.LastWriteError());
        return true;
    } catch (const std::exception& e) {
        // The old file could not be read: writing now would lose what it holds.
        return fail("cannot read \"" + FileName + "\" to update it: " + e.what());
    }
}

bool TForm2::OpenDesktop(const std::string& FileName, std::string* error,
                         const std::function<void(TForm1*)>& afterRun) {
    auto fail = [&](const std::string& what) {
        if (error != nullptr) *error = what;
        return false;
    };
    if (openingDesktop_)
        return fail("a desktop is still opening its windows; open another when it is done");
    std::unique_ptr<TSpecIniFile> ini;
    std::error_code ec;
    if (std::filesystem::exists(FileName, ec) && !std::filesystem::is_regular_file(FileName, ec))
        return fail("cannot read the desktop \"" + FileName + "\": it is not a file");
    try {
        ini = std::make_unique<TSpecIniFile>(FileName);
    } catch (const std::exception& e) {
        return fail("cannot read the desktop \"" + FileName + "\": " + e.what());
    }

    QPointer<TForm2> self(this);
    openingDesktop_ = true;
    struct Done {
        QPointer<TForm2> self;
        ~Done() {
            if (self) self->openingDesktop_ = false;
        }
    } done{self};

    for (TForm1* form : ChartWindows()) form->RequestClose();
    const int n = ClampDesktopCount(ini->ReadInteger(kDesktopOptionsSection, "COUNT", 0));
    for (int i = 0; i < n; ++i) {
        QPointer<TForm1> form(BitBtn1Click());
        CurrentMessageLoop().ProcessPendingMessages();
        if (!self) return false;
        // The user may close a restored window at any moment; the next one comes all the same.
        if (!form || form->Closing()) continue;
        ReadControls(*ini, DesktopControlsSection(i), DesktopControls(form));
        form->SetExtras(ReadChartExtras(*ini, DesktopControlsSection(i)));
        if (const auto alerts = ReadChartAlerts(*ini, DesktopControlsSection(i)); !alerts.empty())
            form->Alerts().Restore(alerts);
        if (form->ComboBox1->currentIndex() < 0)
            form->ComboBox1->setCurrentIndex(kDefaultIntervalIndex);
        if (QWidget* frame = form->parentWidget()) {
            const std::string section = DesktopFormSection(i);
            DesktopBounds b{ini->ReadInteger(section, "W", frame->width()),
                            ini->ReadInteger(section, "H", frame->height()),
                            ini->ReadInteger(section, "L", frame->x()),
                            ini->ReadInteger(section, "T", frame->y())};
            // As new windows are placed: a frame not shown yet has not sized its viewport.
            const QSize area = mdiArea_->contentsRect().size();
            b = BringIntoArea(ClampDesktopBounds(b), area.width(), area.height());
            frame->resize(b.W, b.H);
            frame->move(b.L, b.T);
        }
        CurrentMessageLoop().ProcessPendingMessages();
        if (!self) return false;
        if (!form || form->Closing()) continue;
        form->BitBtn1Click();
        if (!self) return false;
        // The view is of the bars the run brought: a following view takes the newest ones.
        if (form && !form->Closing())
            if (const auto span =
                    ParseViewText(ReadChartView(*ini, DesktopControlsSection(i)), kMaxViewBars))
                form->Navigation().SetView(
                    BarsBefore(form->E().LCurr.Count(), span->Width, span->Back));
        if (form && !form->Closing() && afterRun) afterRun(form);
        CurrentMessageLoop().ProcessPendingMessages();
        if (!self) return false;
    }
    return true;
}

bool TForm2::SaveDesktopAs(const std::string& chosen) {
    const std::string path = ChangeFileExt(chosen, kDesktopExt);
    std::string error;
    if (SaveDesktop(path, &error)) return true;
    ReportDesktopFailure("The desktop was not saved: " + error);
    return false;
}

bool TForm2::SaveDefaultDesktop() {
    const std::string program = AppFolder();
    const std::string folder = DesktopFolderFor(program);
    const std::string path = folder + std::string(kDefaultDesktopName);
    std::string error;
    if (!SaveDesktop(path, &error)) {
        ReportDesktopFailure("The default desktop was not saved: " + error);
        return false;
    }
    // Said wherever it went: the user learns where the file is that opens next time.
    Memo1->appendPlainText("Default desktop saved as " + FromUtf8(path));
    return true;
}

void TForm2::ReportDesktopFailure(const std::string& what) {
    const QString text = FromUtf8(what);
    Memo1->appendPlainText(text);
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName("DesktopFailure");
    box->open();
}

void TForm2::BitBtn4Click() {
    if (openingDesktop_) {
        // Said before the dialog, not after the user has chosen a file in vain.
        Memo1->appendPlainText(
            "A desktop is still opening its windows; open another when it is done");
        return;
    }
    QPointer<TForm2> self(this);
    const QString name = QFileDialog::getOpenFileName(this, "Open Desctop",
                                                      FromUtf8(DesktopFolder()), DesktopFilter());
    if (!self || name.isEmpty()) return;
    std::string error;
    if (!OpenDesktop(name.toStdString(), &error) && self) {
        if (openingDesktop_)
            Memo1->appendPlainText(FromUtf8(error));
        else
            ReportDesktopFailure(error);
    }
}

void TForm2::BitBtn5Click() {
    QPointer<TForm2> self(this);
    const QString name =
        QFileDialog::getSaveFileName(this, "Save Desctop", FromUtf8(DesktopFolder()),
                                     DesktopFilter(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!self || name.isEmpty()) return;
    SaveDesktopAs(name.toStdString());
}

void TForm2::BitBtn6Click() {
    SaveDefaultDesktop();
}

void TForm2::HandleMessage(std::uint32_t msg, std::int64_t wparam, std::int64_t lparam) {
    // The downloader reports its progress on long downloads; show it while it lasts.
    if (msg != kProgressMessage || wparam != 100) return;
    if (lparam >= 100) {
        DownloadProgress->hide();
        return;
    }
    DownloadProgress->setValue(static_cast<int>(std::clamp<std::int64_t>(lparam, 0, 100)));
    DownloadProgress->show();
}

void TForm2::BuildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    // The toolbar spans the whole frame, above the chart windows' area and the dock alike.
    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(33);
    Panel1->setFont(ArialFont(11));
    setMenuWidget(Panel1);

    auto picture = [this](const char* name, QStyle::StandardPixmap icon, const char* hint, int x,
                          int y, int w, int h) {
        auto* b = Named(new QPushButton(Panel1), name);
        b->setIcon(style()->standardIcon(icon));
        b->setIconSize(QSize(20, 20));
        b->setGeometry(x, y, w, h);
        b->setProperty("hint", QString(hint));  // stored, not shown: hints are off
        return b;
    };
    BitBtn1 = picture("BitBtn1", QStyle::SP_FileIcon, "New Window", 2, 1, 41, 31);
    BitBtn4 = picture("BitBtn4", QStyle::SP_DialogOpenButton, "Open Desctop", 52, 0, 41, 32);
    BitBtn5 = picture("BitBtn5", QStyle::SP_DialogSaveButton, "Save Desctop", 93, 0, 41, 32);
    BitBtn6 = picture("BitBtn6", QStyle::SP_DialogApplyButton, "Use this desctop as default", 134,
                      0, 41, 32);
    BitBtn7 = Named(new QPushButton("All: start streaming", Panel1), "BitBtn7");
    BitBtn7->setGeometry(181, 0, 141, 32);
    BitBtn8 = Named(new QPushButton("All: stop streaming", Panel1), "BitBtn8");
    BitBtn8->setGeometry(322, 0, 141, 32);
    BitBtn2 = picture("BitBtn2", QStyle::SP_TitleBarNormalButton, "Cascade", 469, 0, 41, 32);
    BitBtn3 = picture("BitBtn3", QStyle::SP_ToolBarVerticalExtensionButton, "Tile", 510, 0, 41, 32);
    Panel2 = Named(new QLabel(Panel1), "Panel2");
    Panel2->setGeometry(557, 1, 169, 31);
    Panel2->setFont(ArialFont(11, true));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setAlignment(Qt::AlignCenter);

    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName("MdiClient");
    mdiArea_->setBackground(Qt::white);
    layout->addWidget(mdiArea_, 1);

    // The diagnostics panel is a dock beside the chart windows' area (right or bottom,
    // resizable, closable): the area shrinks for it instead of lying under it.
    DiagnosticsDock = Named(new QDockWidget("Diagnostics", this), "DiagnosticsDock");
    DiagnosticsDock->setAllowedAreas(Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    DiagnosticsDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    Panel3 = Named(new QWidget(DiagnosticsDock), "Panel3");
    auto* panelLayout = new QVBoxLayout(Panel3);
    panelLayout->setContentsMargins(8, 3, 8, 8);
    panelLayout->setSpacing(10);
    BitBtn9 = Named(new QPushButton("Click here and wait 10-30 sec...", Panel3), "BitBtn9");
    BitBtn9->setFixedHeight(49);
    BitBtn9->setFont(ArialFont(19));
    panelLayout->addWidget(BitBtn9);
    Memo1 = Named(new QPlainTextEdit(Panel3), "Memo1");
    panelLayout->addWidget(Memo1, 1);
    DiagnosticsDock->setWidget(Panel3);
    addDockWidget(Qt::RightDockWidgetArea, DiagnosticsDock);
    resizeDocks({DiagnosticsDock}, {379}, Qt::Horizontal);
    // Closed, the toolbar brings it back.
    DiagnosticsButton = Named(new QPushButton("Diagnostics", Panel1), "DiagnosticsButton");
    DiagnosticsButton->setGeometry(732, 0, 90, 32);
    DiagnosticsButton->setCheckable(true);
    DiagnosticsButton->setChecked(true);
    connect(DiagnosticsButton, &QPushButton::toggled, DiagnosticsDock, &QDockWidget::setVisible);
    // Hidden behind a tab is still open: only a closed dock unchecks the button. The button
    // is the connection's context, not this window: the dock also hides while the window is
    // being destroyed, when none of its members may be touched.
    connect(DiagnosticsDock, &QDockWidget::visibilityChanged, DiagnosticsButton,
            [button = DiagnosticsButton, dock = DiagnosticsDock](bool) {
                button->setChecked(!dock->isHidden());
            });

    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    StatusPanel = new QLabel(StatusBar1);
    StatusBar1->addWidget(StatusPanel, 1);
    DownloadProgress = Named(new QProgressBar(StatusBar1), "DownloadProgress");
    DownloadProgress->setRange(0, 100);
    DownloadProgress->setMaximumWidth(200);
    DownloadProgress->setFormat("Downloading %p%");
    DownloadProgress->hide();
    StatusBar1->addPermanentWidget(DownloadProgress);
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(500);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn7, &QPushButton::clicked, this, &TForm2::BitBtn7Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TForm2::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm2::BitBtn9Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm2::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm2::BitBtn6Click);
    connect(Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);
    connect(BitBtn2, &QPushButton::clicked, mdiArea_, &QMdiArea::cascadeSubWindows);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm2::TileHorizontally);
}

TForm1* TForm2::BitBtn1Click() {
    auto* form = new TForm1;
    form->setFont(font());
    form->Alerts().SetOutlets(alertOutlets_);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(ProgramIcon());
    // The frame around the form: what the sub-window adds to the form's own size.
    sub->resize(sub->sizeHint());
    if (sub->layout() != nullptr) sub->layout()->activate();
    sub->resize(sub->size() + (TForm1::kClientSize - form->size()));
    PlaceNewWindow(sub);
    new NormalGeometry(sub);
    form->show();
    // Off screen (a hidden frame) the window gets no show event of its own.
    form->FormShow();
    return form;
}

void TForm2::PlaceNewWindow(QMdiSubWindow* sub) {
    // As the platform does: each new window one title-bar step below and to the right of
    // the one before, starting again at the top left when it would leave the client area.
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    // A frame not shown yet (a snapshot) has not laid out its client area.
    if (!isVisible()) {
        for (QLayout* l : {layout(), centralWidget()->layout()})
            if (l != nullptr) l->activate();
    }
    const QSize area = mdiArea_->contentsRect().size();
    QPoint at(nextPlace_ * step, nextPlace_ * step);
    if (nextPlace_ > 0 &&
        (at.x() + sub->width() > area.width() || at.y() + sub->height() > area.height())) {
        nextPlace_ = 0;
        at = QPoint(0, 0);
    }
    ++nextPlace_;
    sub->move(at);
}

void TForm2::TileHorizontally() {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) windows.append(w);
    if (windows.isEmpty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const std::vector<TRect> rects =
        TileRects(static_cast<std::int32_t>(windows.size()), area.width(), area.height());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        QMdiSubWindow* w = windows[static_cast<qsizetype>(i)];
        if (w->isMaximized()) w->showNormal();
        const TRect& r = rects[i];
        w->setGeometry(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    }
}

QString TForm2::ClockText(const QDateTime& now) {
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // A zone name ("t", "tt", "ttt", "tttt") makes no sense on a clock panel.
    timeFormat.remove(QRegularExpression("\\s*t+\\s*$"));
    timeFormat.remove(QRegularExpression("\\s*\\(?t+\\)?"));
    return locale.toString(now.date(), QLocale::ShortFormat) + " " +
           locale.toString(now.time(), timeFormat.trimmed());
}

}  // namespace vela::app
