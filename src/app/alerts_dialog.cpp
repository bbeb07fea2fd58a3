#include "app/alerts_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/chart_alerts.h"
#include "app/widget_helpers.h"
#include "market/price_alerts.h"
#include "text/number_text.h"

namespace vela::app {

namespace {

// Where an armed alert waits for the price to come from; empty before any price is known.
std::string ArmedDirection(double level, std::optional<double> last) {
    if (!last) return "";
    if (level > *last) return std::string(DirectionText(AlertDirection::FromBelow));
    if (level < *last) return std::string(DirectionText(AlertDirection::FromAbove));
    return "at the last price";
}

}  // namespace

AlertsDialog::AlertsDialog(ChartAlerts& alerts, QWidget* parent)
    : QDialog(parent), alerts_(alerts) {
    setObjectName("AlertsDialog");
    setWindowTitle("Alerts");
    auto* layout = new QVBoxLayout(this);
    AlertsTable = Named(new QTableWidget(0, 3, this), "AlertsTable");
    AlertsTable->setHorizontalHeaderLabels({"Price", "Direction", "State"});
    AlertsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    AlertsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    AlertsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AlertsTable->verticalHeader()->hide();
    AlertsTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(AlertsTable, 1);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Level", this));
    LevelEdit = Named(new QLineEdit(this), "LevelEdit");
    row->addWidget(LevelEdit, 1);
    AddButton = Named(new QPushButton("Add", this), "AddButton");
    ChangeButton = Named(new QPushButton("Change", this), "ChangeButton");
    row->addWidget(AddButton);
    row->addWidget(ChangeButton);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    DeleteButton = Named(new QPushButton("Delete", this), "DeleteButton");
    RearmButton = Named(new QPushButton("Re-arm", this), "RearmButton");
    CloseButton = Named(new QPushButton("Close", this), "CloseButton");
    buttons->addWidget(DeleteButton);
    buttons->addWidget(RearmButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    Message = Named(new QLabel(this), "AlertsMessage");
    Message->setWordWrap(true);
    Message->setStyleSheet("color: #a00000;");
    layout->addWidget(Message);

    connect(AddButton, &QPushButton::clicked, this, &AlertsDialog::AddClick);
    connect(ChangeButton, &QPushButton::clicked, this, &AlertsDialog::ChangeClick);
    connect(DeleteButton, &QPushButton::clicked, this, &AlertsDialog::DeleteClick);
    connect(RearmButton, &QPushButton::clicked, this, &AlertsDialog::RearmClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
    connect(LevelEdit, &QLineEdit::returnPressed, this, &AlertsDialog::AddClick);
    connect(AlertsTable, &QTableWidget::itemSelectionChanged, this,
            &AlertsDialog::SelectionChanged);
    // Enter in the level field adds; no button takes it over.
    for (QPushButton* b : {AddButton, ChangeButton, DeleteButton, RearmButton, CloseButton})
        b->setAutoDefault(false);
    resize(360, 260);
    Refresh();
}

void AlertsDialog::Refresh() {
    const std::optional<std::uint64_t> selected = SelectedId();
    const auto& items = alerts_.Alerts().Items();
    const std::optional<double> last = alerts_.Alerts().LastPrice();
    const std::string subject = alerts_.Subject();
    setWindowTitle(QString::fromStdString(subject.empty() ? "Alerts" : "Alerts: " + subject));
    const QSignalBlocker quiet(AlertsTable);
    AlertsTable->setRowCount(static_cast<int>(items.size()));
    int selectRow = -1;
    for (int r = 0; r < static_cast<int>(items.size()); ++r) {
        const PriceAlert& a = items[static_cast<std::size_t>(r)];
        const std::string direction =
            a.Fired ? std::string(DirectionText(a.Direction)) : ArmedDirection(a.Level, last);
        const std::string state = a.Fired ? "fired (last " + RealToText(0, a.Last) + ")" : "armed";
        const QString texts[] = {QString::fromStdString(LevelText(a.Level)),
                                 QString::fromStdString(direction), QString::fromStdString(state)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(a.Id));
            AlertsTable->setItem(r, c, item);
        }
        if (selected && a.Id == *selected) selectRow = r;
    }
    if (selectRow >= 0) AlertsTable->selectRow(selectRow);
    const bool any = SelectedId().has_value();
    ChangeButton->setEnabled(any);
    DeleteButton->setEnabled(any);
    RearmButton->setEnabled(any);
}

void AlertsDialog::Say(const std::string& message) {
    Message->setText(QString::fromStdString(message));
}

std::optional<std::uint64_t> AlertsDialog::SelectedId() const {
    const QList<QTableWidgetItem*> items = AlertsTable->selectedItems();
    if (items.isEmpty()) return std::nullopt;
    return items.front()->data(Qt::UserRole).toULongLong();
}

std::optional<double> AlertsDialog::TypedLevel() {
    std::string why;
    const std::optional<double> level = ParseAlertLevel(LevelEdit->text().toStdString(), &why);
    if (!level) Say("No alert added: " + why);
    return level;
}

void AlertsDialog::SelectionChanged() {
    const bool any = SelectedId().has_value();
    ChangeButton->setEnabled(any);
    DeleteButton->setEnabled(any);
    RearmButton->setEnabled(any);
    if (const auto id = SelectedId())
        if (const PriceAlert* a = alerts_.Alerts().Find(*id))
            LevelEdit->setText(QString::fromStdString(LevelText(a->Level)));
}

void AlertsDialog::AddClick() {
    const std::optional<double> level = TypedLevel();
    if (!level) return;
    std::string why;
    if (!alerts_.Add(*level, &why)) {
        Say("No alert added: " + why);
        return;
    }
    Say("");
    AlertsTable->clearSelection();
    LevelEdit->clear();
}

void AlertsDialog::ChangeClick() {
    const auto id = SelectedId();
    if (!id) return;
    std::string why;
    const std::optional<double> level = ParseAlertLevel(LevelEdit->text().toStdString(), &why);
    if (!level || !alerts_.SetLevel(*id, *level, &why)) {
        Say("The alert was not changed: " + why);
        return;
    }
    Say("");
}

void AlertsDialog::DeleteClick() {
    if (const auto id = SelectedId()) alerts_.Remove(*id);
    Say("");
}

void AlertsDialog::RearmClick() {
    if (const auto id = SelectedId()) alerts_.Rearm(*id);
    Say("");
}

}  // namespace vela::app
