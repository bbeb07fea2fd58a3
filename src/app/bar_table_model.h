#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace vela::app {

// The "Table" page: one line per bar, newest first. The model keeps its own copy of the
// bars' times and closes, so its lines outlive the chart's series, which every run clears
// and a run without bars leaves empty. Lines are formatted when the view asks for them, so a
// million bars cost no strings.
class BarTableModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Shows one line per bar of times and closes (oldest first; the shorter of the two sets
    // the number of lines). The first `unchanged` bars may be promised to be those of the
    // last call, so that only the rest is compared and copied; 0 compares them all.
    void SetBars(std::span<const double> times, std::span<const double> closes,
                 std::size_t unchanged = 0);
    // Shows no lines.
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int LineCount() const;
    // Line `row`, counted from the newest bar.
    std::string Line(int row) const;
    // The same lines written to out, each ending in "\n". False when the stream failed.
    bool WriteLines(std::ostream& out) const;

  private:
    std::span<const double> Times() const;
    std::span<const double> Closes() const;

    // Cleared lines keep their bars here: the next SetBars, usually the same bars with the
    // newest one changed, then writes only from the first bar that differs.
    std::vector<double> times_;
    std::vector<double> closes_;
    std::size_t shown_ = 0;
};

}  // namespace vela::app
