#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QFrame;

namespace vela::app {

class BarTableModel;

// A chart window: one symbol and interval, its settings bar, the chart page and the table.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

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
    QWidget* FlickerFreePaintBox1 = nullptr;
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

private:
    void BuildControls();

    BarTableModel* table_ = nullptr;
};

}  // namespace vela::app
