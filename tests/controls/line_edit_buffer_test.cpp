#include "controls/line_edit_buffer.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(LineEditBuffer, TypingReplacesTheSelectionWithinTheMaximumLength) {
    LineEditBuffer b;
    b.SetMaxLength(3);
    EXPECT_TRUE(b.Type(U'1'));
    EXPECT_TRUE(b.Type(U'2'));
    EXPECT_TRUE(b.Type(U'3'));
    EXPECT_FALSE(b.Type(U'4'));
    EXPECT_EQ(b.Text(), U"123");
    b.SetSelection(3, 1);  // "23", caret at its start
    EXPECT_EQ(b.SelStart(), 1);
    EXPECT_EQ(b.SelLength(), 2);
    EXPECT_TRUE(b.Type(U'9'));
    EXPECT_EQ(b.Text(), U"19");
    EXPECT_EQ(b.Caret(), 2);
    b.SetMaxLength(0);  // no limit
    b.ReplaceSelection(U"45678");
    EXPECT_EQ(b.Text(), U"1945678");
}

TEST(LineEditBuffer, BackspaceTakesTheSelectionOrTheCharacterBefore) {
    LineEditBuffer b;
    b.SetText(U"abcd");
    EXPECT_EQ(b.Caret(), 4);
    b.Backspace();
    EXPECT_EQ(b.Text(), U"abc");
    b.SetSelection(0, 2);
    b.Backspace();
    EXPECT_EQ(b.Text(), U"c");
    b.SetCaret(0);
    b.Backspace();
    EXPECT_EQ(b.Text(), U"c");
    b.SetSelection(-5, 99);  // clamped
    EXPECT_EQ(b.SelLength(), 1);
}

TEST(LineEditBuffer, UndoSwapsWithTheStateBeforeTheLastChange) {
    LineEditBuffer b;
    b.SetText(U"12");
    EXPECT_FALSE(b.CanUndo());  // what the program sets cannot be undone
    const LineEditBuffer::State before = b.Snapshot();
    b.Type(U'3');
    b.RememberForUndo(before);
    b.Undo();
    EXPECT_EQ(b.Text(), U"12");
    b.Undo();  // and again: redone
    EXPECT_EQ(b.Text(), U"123");
    // A step that changes nothing does not replace the remembered state.
    const LineEditBuffer::State same = b.Snapshot();
    b.SetCaret(0);
    b.RememberForUndo(same);
    b.Undo();
    EXPECT_EQ(b.Text(), U"12");
}

}  // namespace
}  // namespace vela
