#pragma once

#include <QAbstractListModel>
#include <ostream>
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
    // The same lines written to out in pieces, so a million bars never make one big string.
    // False when the stream failed.
    bool WriteLines(std::ostream& out) const;

  private:
    // Appends line `row` and its "\n".
    void AppendLine(int row, std::string& out) const;

    std::vector<double> times_;
    std::vector<double> closes_;
};

}  // namespace vela::app
