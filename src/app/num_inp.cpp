#include "app/num_inp.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "app/qt_canvas.h"
#include "app/qt_number_locale.h"

namespace vela::app {

namespace {

constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;
constexpr char32_t kEscape = 27;
constexpr char32_t kCopy = 3;
constexpr char32_t kPaste = 22;
constexpr char32_t kCut = 24;
constexpr char32_t kUndo = 26;

// Qt's limit stays out of the way: the engine keeps the maximum length, and Qt would cut
// formatted texts that are longer (an exponent with its sign).
constexpr int kQtUnlimited = 32767;

bool LeavesOnlyTheWindow(Qt::FocusReason reason) {
    // Another window or a menu takes the focus, but this control stays the window's focus.
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

TCustomNumInp::TCustomNumInp(QWidget* parent)
    : QLineEdit(parent),
      qtFeedback_(this),
      engine_(qtFeedback_, NumberLocaleOf(locale()), FromQColor(palette().color(QPalette::Text))) {
    setMaxLength(kQtUnlimited);
    // Every change of the text goes through the engine: nothing is dropped in, and text comes
    // as key presses rather than from input methods.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    resize(85, sizeHint().height());
    UpdateTextMargin();
    PushEditState();
}

void TCustomNumInp::SetInputFeedback(InputFeedback* feedback) {
    engine_.SetInputFeedback(feedback ? *feedback : static_cast<InputFeedback&>(qtFeedback_));
}

void TCustomNumInp::SetAlignment(TAlignment alignment) {
    engine_.SetAlignment(alignment);
    update();
}

void TCustomNumInp::SetDatatype(TDataType type) {
    engine_.SetDatatype(type);
    PushEditState();
}

void TCustomNumInp::SetDecimals(std::uint16_t decimals) {
    engine_.SetDecimals(decimals);
    PushEditState();
}

void TCustomNumInp::SetDigits(std::uint16_t digits) {
    engine_.SetDigits(digits);
    PushEditState();
}

void TCustomNumInp::SetMax(long double max) {
    engine_.SetMax(max);
    PushEditState();
}

void TCustomNumInp::SetMin(long double min) {
    engine_.SetMin(min);
    PushEditState();
}

void TCustomNumInp::SetNegativeColor(TColor color) {
    engine_.SetNegativeColor(color);
    PushEditState();
}

void TCustomNumInp::SetNumericType(TNumericType type) {
    engine_.SetNumericType(type);
    PushEditState();
}

void TCustomNumInp::SetValidate(bool on) {
    engine_.SetValidate(on);
    PushEditState();
}

void TCustomNumInp::SetValue(long double value) {
    engine_.SetValue(value);
    PushEditState();
}

std::string TCustomNumInp::AsMoneyStr() {
    PullEditState();
    return engine_.AsMoneyStr();
}

void TCustomNumInp::PullEditState() {
    const QString t = text();
    const int caret = cursorPosition();
    int anchor = caret;
    if (hasSelectedText()) anchor = caret == selectionStart() ? selectionEnd() : selectionStart();
    engine_.SetEditState(t.toStdString(), CharIndexOf(t, anchor), CharIndexOf(t, caret));
}

void TCustomNumInp::PushEditState() {
    const QString t = QString::fromStdString(engine_.Text());
    if (text() != t) setText(t);
    const LineEditBuffer& edit = engine_.Edit();
    const int anchor = Utf16IndexOf(t, edit.Anchor());
    const int caret = Utf16IndexOf(t, edit.Caret());
    if (anchor == caret)
        setCursorPosition(caret);
    else
        setSelection(anchor, caret - anchor);
    const QColor color = ToQColor(engine_.FontColor());
    if (palette().color(QPalette::Text) != color) {
        QPalette p = palette();
        p.setColor(QPalette::Text, color);
        setPalette(p);
    }
}

void TCustomNumInp::Act(KeyAction action) {
    if (action == KeyAction::FocusNext)
        focusNextChild();
    else if (action == KeyAction::FocusPrevious)
        focusPreviousChild();
}

void TCustomNumInp::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        Act(NumInpEngine::ArrowKeyDown(event->key() == Qt::Key_Up ? ArrowKey::Up : ArrowKey::Down));
        QLineEdit::keyPressEvent(event);
        return;
    }
    std::u32string keys;
    if (event->matches(QKeySequence::Copy)) {
        keys = kCopy;
    } else if (event->matches(QKeySequence::Cut)) {
        keys = kCut;
    } else if (event->matches(QKeySequence::Paste)) {
        keys = kPaste;
    } else if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        keys = kUndo;  // only Escape undoes
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        keys = kEnter;
    } else if (event->key() == Qt::Key_Escape) {
        keys = kEscape;
    } else if (event->key() == Qt::Key_Backspace) {
        keys = kBackspace;
    } else if (!event->text().isEmpty() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        for (uint c : event->text().toUcs4()) keys += static_cast<char32_t>(c);
    } else {
        // Moving the caret, selecting and deleting forwards are the edit's own.
        QLineEdit::keyPressEvent(event);
        return;
    }

    PullEditState();
    KeyAction action = KeyAction::Handled;
    for (char32_t key : keys) {
        const std::string clipboard =
            key == kPaste ? QApplication::clipboard()->text().toStdString() : std::string();
        action = engine_.KeyPress(key, clipboard);
    }
    PushEditState();
    if (action == KeyAction::PassOn ||
        (keys == std::u32string(1, kEnter) && action == KeyAction::Handled)) {
        // Copy and cut are the edit's; Enter goes on so that dialogs see it.
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    Act(action);
}

void TCustomNumInp::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back to the window, or after a refused leaving, the control was never left.
    if (entered_) return;
    PullEditState();
    engine_.FocusEnter();
    entered_ = true;
    PushEditState();
}

void TCustomNumInp::focusOutEvent(QFocusEvent* event) {
    // A message box shown below takes the focus too; that is no second leaving. Nor is a
    // control that is hidden or going away leaving for another one.
    if (checkingExit_ || LeavesOnlyTheWindow(event->reason()) || !isVisible() ||
        QCoreApplication::closingDown()) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    checkingExit_ = true;
    PullEditState();
    const bool leaves = engine_.FocusExit();
    checkingExit_ = false;
    QLineEdit::focusOutEvent(event);
    if (leaves) {
        entered_ = false;
    } else {
        // The user cannot leave: the focus comes back with all the text selected.
        setFocus(Qt::OtherFocusReason);
    }
    PushEditState();
    update();
}

void TCustomNumInp::paintEvent(QPaintEvent* event) {
    if (!engine_.PaintsItself(hasFocus())) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QString t = text();
    const OwnPaintLayout layout = engine_.LayoutOwnPaint(Rect(0, 0, width(), height()), hasFrame(),
                                                         metrics.horizontalAdvance(t));
    auto toQRect = [](const TRect& r) {
        return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    };
    if (hasFrame()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(toQRect(layout.Frame).adjusted(0, 0, -1, -1));
    }
    const QRect area = toQRect(layout.TextArea);
    painter.fillRect(area, palette().color(QPalette::Base));
    painter.setClipRect(area);
    painter.setFont(font());
    painter.setPen(ToQColor(engine_.FontColor()));
    painter.drawText(layout.TextOrigin.X, layout.TextOrigin.Y + metrics.ascent(), t);
}

void TCustomNumInp::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateTextMargin();
    } else if (event->type() == QEvent::LocaleChange) {
        engine_.SetLocale(NumberLocaleOf(locale()));
        PushEditState();
    }
}

void TCustomNumInp::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Pasting from the menu goes through the engine as control-V does. Qt names its actions
    // only by their texts, which end in the shortcut.
    const QString pasteKey =
        QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu->actions()) {
        if (!action->text().endsWith(pasteKey)) continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] {
            PullEditState();
            engine_.KeyPress(kPaste, QApplication::clipboard()->text().toStdString());
            PushEditState();
        });
    }
    menu->popup(event->globalPos());
}

void TCustomNumInp::UpdateTextMargin() {
    engine_.UpdateTextMargin(QFontMetrics(QApplication::font()).height(), fontMetrics().height());
}

void TNumInp::SetAlignmentIndex(int i) {
    SetAlignment(static_cast<TAlignment>(std::clamp(i, 0, 2)));
}

void TNumInp::SetDatatypeIndex(int i) {
    SetDatatype(static_cast<TDataType>(std::clamp(i, 0, 8)));
}

void TNumInp::SetNumericTypeIndex(int i) {
    SetNumericType(static_cast<TNumericType>(std::clamp(i, 0, 4)));
}

void TNumInp::SetDecimalsValue(int n) {
    SetDecimals(static_cast<std::uint16_t>(std::clamp(n, 0, 65535)));
}

void TNumInp::SetDigitsValue(int n) {
    SetDigits(static_cast<std::uint16_t>(std::clamp(n, 0, 65535)));
}

}  // namespace vela::app
