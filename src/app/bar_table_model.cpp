#include "app/bar_table_model.h"

#include <algorithm>
#include <limits>

#include "chart/bar_table_text.h"

namespace vela::app {

void BarTableModel::SetBars(const TVegaDoubleList& times, const TVegaDoubleList& closes,
                            std::size_t count) {
    beginResetModel();
    times_ = &times;
    closes_ = &closes;
    count_ = std::min<std::size_t>(count, std::numeric_limits<int>::max());
    endResetModel();
}

void BarTableModel::Clear() {
    beginResetModel();
    times_ = nullptr;
    closes_ = nullptr;
    count_ = 0;
    endResetModel();
}

std::span<const double> BarTableModel::Times() const {
    if (times_ == nullptr || closes_ == nullptr) return {};
    const std::span<const double> times = times_->Items();
    return times.first(std::min({count_, times.size(), closes_->Items().size()}));
}

std::span<const double> BarTableModel::Closes() const {
    return closes_ == nullptr ? std::span<const double>() : closes_->Items().first(Times().size());
}

int BarTableModel::LineCount() const {
    return static_cast<int>(Times().size());
}

int BarTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineCount();
}

QVariant BarTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= LineCount()) return {};
    return QString::fromStdString(Line(index.row()));
}

std::string BarTableModel::Line(int row) const {
    const std::span<const double> times = Times();
    if (row < 0 || static_cast<std::size_t>(row) >= times.size()) return {};
    const std::size_t i = times.size() - 1 - static_cast<std::size_t>(row);
    return BarTableLine(times[i], Closes()[i]);
}

bool BarTableModel::WriteLines(std::ostream& out) const {
    return WriteBarTableLines(out, Times(), Closes());
}

}  // namespace vela::app
