#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vela::app {

class ChartAlerts;

// A chart window's alerts as a list (price, direction, state) with a level field to add an
// alert or move the selected one, and buttons to delete and re-arm. A refused level is said
// in the message line and adds nothing.
class AlertsDialog : public QDialog {
  public:
    AlertsDialog(ChartAlerts& alerts, QWidget* parent);

    // Shows the alerts as they are now; the selection stays on the same alert.
    void Refresh();
    void Say(const std::string& message);

    void AddClick();
    void ChangeClick();
    void DeleteClick();
    void RearmClick();

    QTableWidget* AlertsTable = nullptr;
    QLineEdit* LevelEdit = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* ChangeButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* RearmButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QLabel* Message = nullptr;

  private:
    std::optional<std::uint64_t> SelectedId() const;
    // The level typed, or nothing with the reason said.
    std::optional<double> TypedLevel();
    void SelectionChanged();

    ChartAlerts& alerts_;
};

}  // namespace vela::app
