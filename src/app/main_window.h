#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/form_list.h"
#include "platform/runtime_utilities.h"

class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;

namespace vela::app {

class TForm1;
struct AlertOutlets;

// The multiple-document main window holding the chart windows.
class TForm2 : public QMainWindow, public MessageReceiver {
    Q_OBJECT
  public:
    static constexpr std::uint32_t kProgressMessage = 1415;

    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Handlers, by the names of the controls and events they serve.
    void FormCreate();
    void Timer1Timer();
    void BitBtn7Click();  // All: start streaming
    void BitBtn8Click();  // All: stop streaming
    void BitBtn9Click();  // connect: asks first when chart windows with bars would close
    // How the window asks a yes-or-no question (a message box unless set, as tests do).
    using Confirm = std::function<bool(const QString& question)>;
    void SetConfirm(Confirm confirm) { confirm_ = std::move(confirm); }
    void BitBtn4Click();  // Open Desctop
    void BitBtn5Click();  // Save Desctop
    void BitBtn6Click();  // Use this desctop as default
    void ResetChartWindows();

    // Writes every chart window's settings and bounds, in creation order, and their count.
    // False with what failed; the old file is then kept as it was.
    bool SaveDesktop(const std::string& FileName, std::string* error = nullptr);
    // Replaces the chart windows by those of the file and runs each in turn, messages being
    // handled meanwhile; afterRun sees each window when its run is done. The file is read
    // before any window closes: false, with the windows left alone, when it cannot be read or
    // another desktop is still opening. A name that names no file gives an empty desktop.
    bool OpenDesktop(const std::string& FileName, std::string* error = nullptr,
                     const std::function<void(TForm1*)>& afterRun = {});
    bool OpeningDesktop() const { return openingDesktop_; }
    // What the Save button does with a confirmed name: the extension becomes ".dsc_1".
    bool SaveDesktopAs(const std::string& chosen);
    // What the default button does; the memo names the file it wrote.
    bool SaveDefaultDesktop();

    // Where the desktop dialogs start and the default desktop goes: the program folder, or
    // the user's data folder for the program when the program folder is not writable.
    static std::string DesktopFolder();
    static std::string DesktopFolderFor(const std::string& programFolder);
    // The dialogs' filter in Qt's spelling.
    static QString DesktopFilter();

    // The chart windows in creation order that are still open and not closing.
    static std::vector<TForm1*> ChartWindows();

    void HandleMessage(std::uint32_t msg, std::int64_t wparam, std::int64_t lparam) override;

    QMdiArea* MdiArea() const { return mdiArea_; }

    // What fired price alerts reach besides the memo (beep and notification, the user's
    // command, a listener); chart windows share them.
    AlertOutlets& Outlets() const { return *alertOutlets_; }
    // The program each fired alert runs (--alert-command); its failures go to the memo.
    void SetAlertCommand(const std::string& program);

    // Controls, by their names.
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr;  // the status bar's only panel
    QTimer* Timer1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QLabel* Panel2 = nullptr;
    QDockWidget* DiagnosticsDock = nullptr;  // holds Panel3
    QPushButton* DiagnosticsButton = nullptr;
    QWidget* Panel3 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QProgressBar* DownloadProgress = nullptr;

    // "New Window": a chart window in the frame, shown, with its default settings.
    class TForm1* BitBtn1Click();

    // Horizontal tiling: full-width windows stacked with equal heights.
    void TileHorizontally();

    // The clock text: the locale's short date, a blank, its long time without a zone name.
    static QString ClockText(const QDateTime& now);

  private:
    // Appends trace markers to Memo1 while it exists.
    class MemoSink : public TraceSink {
      public:
        explicit MemoSink(QPlainTextEdit* memo) : memo_(memo) {}
        void AppendLine(const std::string& line) override;

      private:
        QPlainTextEdit* memo_;
    };

    void BuildControls();
    // Runs f on every chart window that is open and not closing, in creation order; windows
    // that close while f runs on another are skipped when their turn comes.
    template <typename F>
    static void ForEachChartWindow(F f);

    // Where the next new chart window opens (Windows' MDI cascade).
    void PlaceNewWindow(QMdiSubWindow* sub);

    // A desktop failure in the memo and in a message box that does not block.
    void ReportDesktopFailure(const std::string& what);

    QMdiArea* mdiArea_ = nullptr;
    bool openingDesktop_ = false;
    Confirm confirm_;
    int nextPlace_ = 0;
    std::unique_ptr<MemoSink> memoSink_;
    std::shared_ptr<AlertOutlets> alertOutlets_;
};

}  // namespace vela::app
