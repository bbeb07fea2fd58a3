#include "app/h_edit_mask.h"

#include <QFocusEvent>
#include <algorithm>

#include "app/qt_input_mask.h"

namespace vela::app {

THEditMask::THEditMask(QWidget* parent)
    : QLineEdit(parent), qtFeedback_(this), engine_(qtFeedback_) {}

void THEditMask::SetInputFeedback(InputFeedback* feedback) {
    engine_.SetInputFeedback(feedback ? *feedback : static_cast<InputFeedback&>(qtFeedback_));
}

void THEditMask::SetHEditMaskType(THEditMaskType type) {
    // The present text is checked as the user left it.
    engine_.SetText(displayText().toStdString());
    engine_.SetHEditMaskType(type);
    Show();
}

void THEditMask::SetValue(long double value) {
    engine_.SetValue(value);
    Show();
}

void THEditMask::SetEditMaskTypeIndex(int i) {
    SetHEditMaskType(static_cast<THEditMaskType>(std::clamp(i, 0, 6)));
}

void THEditMask::focusOutEvent(QFocusEvent* event) {
    if (LeavesTheControl(*event)) {
        engine_.SetText(displayText().toStdString());
        engine_.FocusExit();
        Show();
    }
    QLineEdit::focusOutEvent(event);
}

void THEditMask::Show() {
    const QString mask = QtInputMask(engine_.EditMask());
    if (inputMask() != mask) setInputMask(mask);
    const QString t = QString::fromStdString(engine_.Text());
    if (displayText() != t) setText(t);
}

}  // namespace vela::app
