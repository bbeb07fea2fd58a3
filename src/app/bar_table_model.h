#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

namespace vela::app {

// The "Table" page: one line per bar, newest first. Lines are formatted when the view asks
// for them, so a million bars cost two vectors, not a million strings.
class BarTableModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // times and closes are oldest first, one entry per bar.
    void SetBars(std::vector<double> times, std::vector<double> closes);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int LineCount() const { return static_cast<int>(times_.size()); }
    // Line `row`, counted from the newest bar.
    std::string Line(int row) const;
    // Every line, each ending in "\n"; empty for an empty table.
    std::string AllLines() const;

  private:
    std::vector<double> times_;
    std::vector<double> closes_;
};

}  // namespace vela::app
