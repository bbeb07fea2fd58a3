#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "series/double_list.h"

namespace vela::app {

// The "Table" page: one line per bar, newest first. Lines are formatted when the view asks
// for them, straight from the chart's own time and close series, so a million bars cost no
// strings and no copies.
class BarTableModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Shows the first `count` items of times and closes (oldest first). The lists belong to
    // the caller and must outlive the model or the next SetBars/Clear; items they no longer
    // hold are not shown.
    void SetBars(const TVegaDoubleList& times, const TVegaDoubleList& closes, std::size_t count);
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

    const TVegaDoubleList* times_ = nullptr;
    const TVegaDoubleList* closes_ = nullptr;
    std::size_t count_ = 0;
};

}  // namespace vela::app
