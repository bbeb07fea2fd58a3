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
void CopyFromFirstChange(std::vector<double>& to, std::span<const double> from) {
    const std::size_t common = std::min(to.size(), from.size());
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    const auto first = std::mismatch(to.begin(), to.begin() + static_cast<std::ptrdiff_t>(common),
                                     from.begin(), same);
    to.erase(first.first, to.end());
    to.insert(to.end(), first.second, from.end());
}

}  // namespace

void BarTableModel::SetBars(std::span<const double> times, std::span<const double> closes) {
    const std::size_t count = std::min(times.size(), closes.size());
    beginResetModel();
    shownTimes_ = shownCloses_ = nullptr;
    CopyFromFirstChange(times_, times.first(count));
    CopyFromFirstChange(closes_, closes.first(count));
    shown_ = std::min<std::size_t>(count, std::numeric_limits<int>::max());
    endResetModel();
}

void BarTableModel::ShowSeries(const TVegaDoubleList& times, const TVegaDoubleList& closes,
                               std::size_t count) {
    beginResetModel();
    shownTimes_ = &times;
    shownCloses_ = &closes;
    count = std::min({count, times.Items().size(), closes.Items().size()});
    shown_ = std::min<std::size_t>(count, std::numeric_limits<int>::max());
    endResetModel();
}

void BarTableModel::KeepLines() {
    if (shownTimes_ == nullptr) return;
    const std::span<const double> times = Times();
    const std::span<const double> closes = Closes();
    times_.assign(times.begin(), times.end());
    closes_.assign(closes.begin(), closes.end());
    shownTimes_ = shownCloses_ = nullptr;
}

void BarTableModel::Clear() {
    beginResetModel();
    shown_ = 0;
    endResetModel();
}

std::span<const double> BarTableModel::Times() const {
    return (shownTimes_ != nullptr ? shownTimes_->Items() : std::span<const double>(times_))
        .first(shown_);
}

std::span<const double> BarTableModel::Closes() const {
    return (shownCloses_ != nullptr ? shownCloses_->Items() : std::span<const double>(closes_))
        .first(shown_);
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
    return BarTableLine(Times()[i], Closes()[i]);
}

bool BarTableModel::WriteLines(std::ostream& out) const {
    return WriteBarTableLines(out, Times(), Closes());
}

}  // namespace vela::app
