#pragma once

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;

namespace vela::app {

// The multiple-document main window holding the chart windows.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    QMdiArea* MdiArea() const { return mdiArea_; }

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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();

    QMdiArea* mdiArea_ = nullptr;
};

}  // namespace vela::app
