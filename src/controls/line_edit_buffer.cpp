#include "controls/line_edit_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace vela {

void LineEditBuffer::SetText(std::u32string text) {
    state_.Text = std::move(text);
    state_.Anchor = state_.Caret = Length();
    undo_.reset();
}

int LineEditBuffer::SelStart() const {
    return std::min(state_.Anchor, state_.Caret);
}

int LineEditBuffer::SelLength() const {
    return std::abs(state_.Caret - state_.Anchor);
}

void LineEditBuffer::SetSelection(int anchor, int caret) {
    state_.Anchor = std::clamp(anchor, 0, Length());
    state_.Caret = std::clamp(caret, 0, Length());
}

int LineEditBuffer::Room() const {
    if (maxLength_ == 0) return std::numeric_limits<int>::max() / 2;
    return maxLength_ - (Length() - SelLength());
}

bool LineEditBuffer::Type(char32_t c) {
    if (Room() < 1) return false;
    ReplaceSelection(std::u32string_view(&c, 1));
    return true;
}

void LineEditBuffer::Backspace() {
    if (HasSelection()) {
        DeleteSelection();
    } else if (state_.Caret > 0) {
        state_.Text.erase(static_cast<std::size_t>(state_.Caret - 1), 1);
        SetCaret(state_.Caret - 1);
    }
}

void LineEditBuffer::DeleteSelection() {
    ReplaceSelection({});
}

void LineEditBuffer::ReplaceSelection(std::u32string_view s) {
    const int start = SelStart();
    state_.Text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(SelLength()), s);
    SetCaret(start + static_cast<int>(s.size()));
}

void LineEditBuffer::RememberForUndo(const State& before) {
    if (before.Text != state_.Text) undo_ = before;
}

void LineEditBuffer::Undo() {
    if (!undo_) return;
    std::swap(*undo_, state_);
}

}  // namespace vela
