#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "series/double_list.h"

namespace vela::app {

// The "Table" page: one line per bar, newest first. The model reads the chart's series as
// they are, or keeps its own copy of the bars' times and closes where its lines must outlive
// them (every run clears the series, and a run without bars leaves them empty). Lines are formatted
// when the view asks for them, so a million bars cost no strings.
class BarTableModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Shows one line per bar of times and closes (oldest first; the shorter of the two sets
    // the number of lines), from a copy of its own.
    void SetBars(std::span<const double> times, std::span<const double> closes);
    // Shows one line per bar of the first `count` items of times and closes, read from the
    // lists themselves instead of a copy: neither may change until the next call of one of
    // these or KeepLines (the chart window shows its series so, and keeps the lines before it
    // clears or rebuilds them otherwise).
    void ShowSeries(const TVegaDoubleList& times, const TVegaDoubleList& closes, std::size_t count);
    // Takes a copy of the lines shown, so that they outlive the lists they are read from.
    void KeepLines();
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
    // The lists shown instead of the copy; null while the copy is shown.
    const TVegaDoubleList* shownTimes_ = nullptr;
    const TVegaDoubleList* shownCloses_ = nullptr;
};

}  // namespace vela::app
