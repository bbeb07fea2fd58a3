#include "app/bar_table_model.h"

#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela::app {

void BarTableModel::SetBars(std::vector<double> times, std::vector<double> closes) {
    beginResetModel();
    times_ = std::move(times);
    closes_ = std::move(closes);
    closes_.resize(times_.size());
    endResetModel();
}

void BarTableModel::Clear() {
    SetBars({}, {});
}

int BarTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineCount();
}

QVariant BarTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= LineCount()) return {};
    return QString::fromStdString(Line(index.row()));
}

std::string BarTableModel::Line(int row) const {
    const std::size_t i = times_.size() - 1 - static_cast<std::size_t>(row);
    return DateTimeToText(0, '.', times_[i]) + "  " + RealToText(0, closes_[i]);
}

std::string BarTableModel::AllLines() const {
    std::string out;
    out.reserve(times_.size() * 40);
    for (int row = 0; row < LineCount(); ++row) AppendLine(row, out);
    return out;
}

void BarTableModel::AppendLine(int row, std::string& out) const {
    out += Line(row);
    out += '\n';
}

bool BarTableModel::WriteLines(std::ostream& out) const {
    constexpr std::size_t kPieceBytes = 1 << 20;
    std::string piece;
    piece.reserve(kPieceBytes + 256);
    for (int row = 0; row < LineCount() && out; ++row) {
        AppendLine(row, piece);
        if (piece.size() >= kPieceBytes) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            piece.clear();
        }
    }
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    return static_cast<bool>(out);
}

}  // namespace vela::app
