#include "app/control_kinds.h"

#include <QPalette>

namespace vela::app {

QColor ColorFromInt(std::int32_t color) {
    const auto c = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

std::int32_t ColorToInt(const QColor& color) {
    const auto v = static_cast<std::uint32_t>(color.red()) |
                   (static_cast<std::uint32_t>(color.green()) << 8) |
                   (static_cast<std::uint32_t>(color.blue()) << 16);
    return static_cast<std::int32_t>(v);
}

QListWidgetItem* TCheckListBox::AddItem(const QString& text) {
    auto* item = new QListWidgetItem(text, this);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    return item;
}

bool TCheckListBox::Checked(int index) const {
    const QListWidgetItem* it = item(index);
    return it != nullptr && it->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool checked) {
    if (QListWidgetItem* it = item(index)) it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

TColorComboBox::TColorComboBox(QWidget* parent) : QComboBox(parent) {
    const struct {
        const char* name;
        std::int32_t color;
    } standard[] = {
        {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF}};
    for (const auto& s : standard) AddColor(s.name, s.color);
}

void TColorComboBox::AddColor(const QString& name, std::int32_t color) {
    addItem(name, QVariant::fromValue<qint32>(color));
    setItemData(count() - 1, ColorFromInt(color), Qt::DecorationRole);
}

std::int32_t TColorComboBox::Selected() const {
    return currentIndex() < 0 ? 0 : currentData().value<qint32>();
}

void TColorComboBox::SetSelected(std::int32_t color) {
    for (int i = 0; i < count(); ++i)
        if (itemData(i).value<qint32>() == color) {
            setCurrentIndex(i);
            return;
        }
    AddColor("Custom", color);
    setCurrentIndex(count() - 1);
}

TShape::TShape(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
}

std::int32_t TShape::BrushColor() const {
    return ColorToInt(palette().color(QPalette::Window));
}

void TShape::SetBrushColor(std::int32_t color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, ColorFromInt(color));
    setPalette(p);
}

}  // namespace vela::app
