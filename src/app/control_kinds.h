#pragma once

#include <QComboBox>
#include <QFrame>
#include <QListWidget>
#include <cstdint>

namespace vela::app {

// Colours as the system stores them: red in the low byte, then green, then blue.
QColor ColorFromInt(std::int32_t color);
std::int32_t ColorToInt(const QColor& color);

// A list of items, each with a check mark of its own; distinct from a plain list box.
class TCheckListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit TCheckListBox(QWidget* parent = nullptr) : QListWidget(parent) {}
    // Appends a checkable, unchecked item.
    QListWidgetItem* AddItem(const QString& text);
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
};

// A drop-down list of colours, each item holding its colour.
class TColorComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit TColorComboBox(QWidget* parent = nullptr);
    // The selected item's colour; black when nothing is selected.
    std::int32_t Selected() const;
    // Selects the item of that colour, adding a "Custom" item for a colour not in the list.
    void SetSelected(std::int32_t color);
    void AddColor(const QString& name, std::int32_t color);
};

// A plain filled square whose brush colour is the frame's background.
class TShape : public QFrame {
    Q_OBJECT
  public:
    explicit TShape(QWidget* parent = nullptr);
    std::int32_t BrushColor() const;
    void SetBrushColor(std::int32_t color);
};

}  // namespace vela::app
