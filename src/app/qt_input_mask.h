#pragma once

#include <QFocusEvent>
#include <QString>
#include <string_view>

namespace vela::app {

// An edit mask of the masked-edit syntax the controls use, as Qt's input mask:
//   "9" optional digit -> "0", "0" required digit -> "9", "#" digit or sign stays,
//   "L"/"l" letter -> "A"/"a", "A"/"a" letter or digit -> "N"/"n", "C"/"c" any -> "X"/"x",
//   ">" and "<" stay, "\c" and every other character are literals (escaped where Qt reads
//   them as mask characters), the leading "!" is dropped; of the fields after ";" only the
//   blank character (third field) is kept, as keeping the literals is Qt's way anyway.
QString QtInputMask(std::string_view mask);

// Whether a focus loss means the user left the control, so that its text is checked: not a
// switch to another window, an opened menu or the program shutting down.
bool LeavesTheControl(const QFocusEvent& event);

}  // namespace vela::app
