#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vela {

// What a single-line edit holds: the text as characters, the caret and the other end of the
// selection, the maximum length and one step of undo. Positions count characters from 0.
class LineEditBuffer {
  public:
    struct State {
        std::u32string Text;
        int Anchor = 0;
        int Caret = 0;
        friend bool operator==(const State&, const State&) = default;
    };

    const std::u32string& Text() const { return state_.Text; }
    int Length() const { return static_cast<int>(state_.Text.size()); }
    // The text as the program sets it: the caret goes to the end, and nothing can be undone.
    void SetText(std::u32string text);

    int Caret() const { return state_.Caret; }
    int Anchor() const { return state_.Anchor; }
    int SelStart() const;
    int SelLength() const;
    bool HasSelection() const { return state_.Anchor != state_.Caret; }
    // Positions are clamped to the text.
    void SetSelection(int anchor, int caret);
    void SetCaret(int position) { SetSelection(position, position); }
    void SelectAll() { SetSelection(0, Length()); }

    // At most this many characters can be typed; 0 means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length) { maxLength_ = length < 0 ? 0 : length; }
    // Characters that can still be typed in place of the selection (a large number without
    // a limit).
    int Room() const;

    // Typing: c replaces the selection if it fits in the maximum length; false if it did not.
    bool Type(char32_t c);
    // The selection, or else the character before the caret, goes.
    void Backspace();
    void DeleteSelection();
    // s replaces the selection whatever the maximum length.
    void ReplaceSelection(std::u32string_view s);

    // One step of undo: the state a change started from. Undo swaps it with the present one,
    // so a second undo redoes.
    State Snapshot() const { return state_; }
    void RememberForUndo(const State& before);
    bool CanUndo() const { return undo_.has_value(); }
    void Undo();

  private:
    State state_;
    std::optional<State> undo_;
    int maxLength_ = 0;
};

}  // namespace vela
