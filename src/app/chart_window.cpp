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

#include "app/bar_table_model.h"
#include "app/interval_table.h"

namespace vela::app {

namespace {

QFont ArialFont(int pixelHeight, bool bold = false) {
    QFont f("Arial");
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    return f;
}

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

// A label whose left edge stands at x when left-aligned; right-aligned labels keep their
// right edge where an auto-sized label of that text would end.
QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = Named(new QLabel(text, parent), name);
    label->adjustSize();
    label->move(x, y);
    return label;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setObjectName("Form1");
    setWindowTitle("New ...");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(468, 383);
    BuildControls();
}

TForm1::~TForm1() = default;

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
    for (const auto& e : kIntervalTable) ComboBox1->addItem(QString::fromUtf8(e.Item.data(), static_cast<int>(e.Item.size())));
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
    BitBtn1 = Named(new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), "Run", Panel1), "BitBtn1");
    BitBtn1->setGeometry(279, 3, 87, 49);
    BitBtn2 = Named(new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), "Stop", Panel1), "BitBtn2");
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
    auto* statusLayout = new QHBoxLayout(Panel3);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->setSpacing(0);
    Panel2 = Named(new QLabel(Panel3), "Panel2");
    Panel2->setFont(ArialFont(11));
    Panel2->setAutoFillBackground(true);
    QPalette white = Panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel2->setPalette(white);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusLayout->addWidget(Panel2, 1);
    Shape1 = Named(new QFrame(Panel3), "Shape1");
    Shape1->setFixedSize(22, 23);
    Shape1->setAutoFillBackground(true);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    statusLayout->addWidget(Shape1);
    chartLayout->addWidget(Panel3);
    FlickerFreePaintBox1 = Named(new QWidget(TabSheet1), "FlickerFreePaintBox1");
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
    RichEdit2 = Named(new QListView(TabSheet2), "RichEdit2");
    RichEdit2->setFont(ArialFont(11));
    RichEdit2->setUniformItemSizes(true);
    RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_ = new BarTableModel(this);
    RichEdit2->setModel(table_);
    tableLayout->addWidget(RichEdit2, 1);
    PageControl1->addTab(TabSheet2, "Table");
    PageControl1->setCurrentIndex(0);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);
}

}  // namespace vela::app
