#include "app/long_edit_mask.h"

#include <QFocusEvent>
#include <algorithm>

#include "app/qt_input_mask.h"

namespace vela::app {

namespace {

// No limit is Qt's largest, not its 0 (which allows nothing).
constexpr int kQtUnlimited = 32767;

}  // namespace

TLongEditMask::TLongEditMask(QWidget* parent)
    : QLineEdit(parent), qtFeedback_(this), engine_(qtFeedback_) {
    Show();
}

void TLongEditMask::SetInputFeedback(InputFeedback* feedback) {
    engine_.SetInputFeedback(feedback ? *feedback : static_cast<InputFeedback&>(qtFeedback_));
}

void TLongEditMask::SetValue(std::int32_t value) {
    engine_.SetValue(value);
    Show();
}

void TLongEditMask::SetLongType(TLongType type) {
    engine_.SetLongType(type);
    Show();
}

void TLongEditMask::SetLongTypeIndex(int i) {
    SetLongType(static_cast<TLongType>(std::clamp(i, 0, 2)));
}

void TLongEditMask::focusOutEvent(QFocusEvent* event) {
    if (LeavesTheControl(*event)) {
        engine_.SetText(displayText().toStdString());
        engine_.FocusExit();
        Show();
    }
    QLineEdit::focusOutEvent(event);
}

void TLongEditMask::Show() {
    const QString mask = QtInputMask(engine_.EditMask());
    if (inputMask() != mask) setInputMask(mask);
    // Qt ignores the length while a mask is set.
    setMaxLength(engine_.MaxLength() == 0 ? kQtUnlimited : engine_.MaxLength());
    const QString t = QString::fromStdString(engine_.Text());
    if (text() != t && displayText() != t) setText(t);
}

}  // namespace vela::app
