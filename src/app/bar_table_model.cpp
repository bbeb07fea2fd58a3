#include "app/bar_table_model.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>

#include "chart/bar_table_text.h"

namespace vela::app {

namespace {

// Makes `to` hold `from`, keeping the items before the first one that differs. Items are
// compared bit for bit, so the copy is always exactly the bars.
void CopyFromFirstChange(std::vector<double>& to, std::span<const double> from,
                         std::size_t unchanged) {
    const std::size_t common = std::min(to.size(), from.size());
    const auto skip = static_cast<std::ptrdiff_t>(std::min(unchanged, common));
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    const auto first =
        std::mismatch(to.begin() + skip, to.begin() + static_cast<std::ptrdiff_t>(common),
                      from.begin() + skip, same);
    to.erase(first.first, to.end());
    to.insert(to.end(), first.second, from.end());
}

}  // namespace

void BarTableModel::SetBars(std::span<const double> times, std::span<const double> closes,
                            std::size_t unchanged) {
    const std::size_t count = std::min(times.size(), closes.size());
    beginResetModel();
    CopyFromFirstChange(times_, times.first(count), unchanged);
    CopyFromFirstChange(closes_, closes.first(count), unchanged);
    shown_ = std::min<std::size_t>(count, std::numeric_limits<int>::max());
    endResetModel();
}

void BarTableModel::Clear() {
    beginResetModel();
    shown_ = 0;
    endResetModel();
}

std::span<const double> BarTableModel::Times() const {
    return std::span<const double>(times_).first(shown_);
}

std::span<const double> BarTableModel::Closes() const {
    return std::span<const double>(closes_).first(shown_);
}

int BarTableModel::LineCount() const {
    return static_cast<int>(shown_);
}

int BarTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineCount();
}

QVariant BarTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= LineCount()) return {};
    return QString::fromStdString(Line(index.row()));
}

std::string BarTableModel::Line(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_) return {};
    const std::size_t i = shown_ - 1 - static_cast<std::size_t>(row);
    return BarTableLine(times_[i], closes_[i]);
}

bool BarTableModel::WriteLines(std::ostream& out) const {
    return WriteBarTableLines(out, Times(), Closes());
}

}  // namespace vela::app
