#include "controls/num_inp_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "controls/control_locales.h"
#include "platform/recording_input_feedback.h"

namespace vela {
namespace {

constexpr char32_t kBackspace = 8;
constexpr TColor kTextColor = RgbColor(1, 2, 3);

class NumInpEngineTest : public ::testing::Test {
  protected:
    NumInpEngine MakeEngine(NumberLocale locale = DotLocale()) {
        return NumInpEngine(feedback_, std::move(locale), kTextColor);
    }
    static void Type(NumInpEngine& e, std::u32string_view keys) {
        for (char32_t k : keys) e.KeyPress(k);
    }
    std::size_t Beeps() const { return feedback_.Beeps().size(); }

    RecordingInputFeedback feedback_;
};

TEST_F(NumInpEngineTest, ANewControlShowsZero) {
    NumInpEngine e = MakeEngine();
    EXPECT_EQ(e.Text(), "0");
    EXPECT_EQ(e.Value(), 0);
    EXPECT_EQ(e.MaxLength(), 12);
    EXPECT_EQ(e.Min(), 0);
    EXPECT_EQ(e.Max(), 100);
    EXPECT_EQ(e.Decimals(), 2);
    EXPECT_EQ(e.Digits(), 12);
    EXPECT_EQ(e.Datatype(), TDataType::dtExtended);
    EXPECT_EQ(e.NumericType(), TNumericType::ntGeneral);
    EXPECT_TRUE(e.Validate());
    EXPECT_TRUE(e.AutoSelect());
    EXPECT_FALSE(e.UseMsgBox());
    EXPECT_EQ(e.FontColor(), kTextColor);
}

TEST_F(NumInpEngineTest, IntegerDataTypesRoundAndForceTheirFormat) {
    NumInpEngine e = MakeEngine();
    e.SetNumericType(TNumericType::ntFixed);
    e.SetDatatype(TDataType::dtByte);
    EXPECT_EQ(e.Decimals(), 0);
    EXPECT_EQ(e.NumericType(), TNumericType::ntGeneral);
    EXPECT_EQ(e.Max(), 100);  // within 0..255, kept
    e.SetValue(2.5L);
    EXPECT_EQ(e.Text(), "2");  // ties to even
    EXPECT_EQ(e.Value(), 2);
    e.SetValue(3.5L);
    EXPECT_EQ(e.Text(), "4");
    e.SetDecimals(3);
    EXPECT_EQ(e.Decimals(), 0);
    e.SetNumericType(TNumericType::ntCurrency);
    EXPECT_EQ(e.NumericType(), TNumericType::ntGeneral);
}

TEST_F(NumInpEngineTest, BoundsFollowTheDataTypeAndEachOther) {
    NumInpEngine e = MakeEngine();
    e.SetMax(1000);
    e.SetValue(300);
    e.SetDatatype(TDataType::dtByte);  // Max and Value outside 0..255
    EXPECT_EQ(e.Max(), 255);
    EXPECT_EQ(e.Value(), 0);
    e.SetValue(80);
    e.SetMax(50);
    EXPECT_EQ(e.Value(), 50);
    e.SetMin(60);  // above Max: lowered to it
    EXPECT_EQ(e.Min(), 50);
    e.SetMin(-5);  // below the type: its lowest value
    EXPECT_EQ(e.Min(), 0);
    e.SetMax(std::nanl(""));  // no number is no bound
    EXPECT_EQ(e.Max(), 50);
}

TEST_F(NumInpEngineTest, SwitchingTheCheckOnPullsAnOutsideValueToMin) {
    NumInpEngine e = MakeEngine();
    e.SetValidate(false);
    e.SetValue(150);
    EXPECT_EQ(e.Value(), 150);
    e.SetMin(10);
    e.SetValidate(true);
    EXPECT_EQ(e.Value(), 10);
    EXPECT_EQ(e.Text(), "10");
}

TEST_F(NumInpEngineTest, ValuesOutsideTheRangeAreRefusedWithABeepOrAMessage) {
    NumInpEngine e = MakeEngine();
    e.SetValue(150);
    EXPECT_EQ(e.Value(), 0);
    EXPECT_EQ(feedback_.Beeps(), std::vector<BeepSound>{BeepSound::Default});
    e.SetUseMsgBox(true);
    e.SetValue(-1);
    e.SetValue(std::nanl(""));
    EXPECT_EQ(feedback_.Boxes(), (std::vector<std::string>{"Value must be between 0 and 100",
                                                           "Value must be between 0 and 100"}));
    EXPECT_EQ(e.Value(), 0);

    NumInpEngine comma = MakeEngine(CommaLocale());
    comma.SetUseMsgBox(true);
    comma.SetMin(0.5L);
    comma.SetMax(1e20L);
    EXPECT_FALSE(comma.Valid(0));
    EXPECT_EQ(feedback_.Boxes().back(), "Value must be between 0,5 and 1E20");
}

TEST_F(NumInpEngineTest, FormatsFollowTheLocaleAndMaximumLengthTheFormat) {
    struct Case {
        TNumericType type;
        const char* dot;
        const char* comma;
        int maxLength;
    } cases[] = {
        {TNumericType::ntGeneral, "-1234.5", "-1234,5", 12},
        {TNumericType::ntExponent, "-1.23450000000E+03", "-1,23450000000E+03", 17},
        {TNumericType::ntFixed, "-1234.50", "-1234,50", 12},
        {TNumericType::ntNumber, "-1,234.50", "-1.234,50", 12},
        {TNumericType::ntCurrency, "-$1,234.50", "-1.234,50 \xE2\x82\xAC", 12},
    };
    for (const Case& c : cases) {
        for (bool comma : {false, true}) {
            NumInpEngine e = MakeEngine(comma ? CommaLocale() : DotLocale());
            e.SetMin(-10000);
            e.SetNumericType(c.type);
            e.SetValue(-1234.5L);
            EXPECT_EQ(e.Text(), comma ? c.comma : c.dot) << static_cast<int>(c.type);
            EXPECT_EQ(e.MaxLength(), c.maxLength) << static_cast<int>(c.type);
        }
    }
}

TEST_F(NumInpEngineTest, TheSignChoosesTheColour) {
    NumInpEngine e = MakeEngine();
    e.SetMin(-10);
    e.SetNegativeColor(clRed);
    e.SetValue(-1);
    EXPECT_EQ(e.FontColor(), clRed);
    e.SetValue(0);
    EXPECT_EQ(e.FontColor(), kTextColor);
    e.SetDigits(4);
    EXPECT_EQ(e.MaxLength(), 4);
}

TEST_F(NumInpEngineTest, TypedAccessorsGiveZeroOutsideTheirTypesRange) {
    struct Case {
        long double value;
        int asByte, asShortInt, asWord, asInteger, asLongint;
        bool singleIn, doubleIn, realIn;
    } cases[] = {
        {40000, 0, 0, 40000, 0, 40000, true, true, true},
        {254.5L, 254, 0, 254, 254, 254, true, true, true},  // ties to even
        {255.4L, 0, 0, 255, 255, 255, true, true, true},
        {-128.5L, 0, 0, 0, -128, -128, true, true, true},
        {-2147483648.0L, 0, 0, 0, 0, 0, true, true, true},  // Longint stops at -2147483647
        {2147483646.6L, 0, 0, 0, 0, 2147483647, true, true, true},
        {2147483647.4L, 0, 0, 0, 0, 0, true, true, true},
        {1e39L, 0, 0, 0, 0, 0, false, true, false},
        {1e309L, 0, 0, 0, 0, 0, false, false, false},
    };
    NumInpEngine e = MakeEngine();
    e.SetValidate(false);
    for (const Case& c : cases) {
        e.SetValue(c.value);
        const double v = static_cast<double>(c.value);
        EXPECT_EQ(e.AsByte(), c.asByte) << v;
        EXPECT_EQ(e.AsShortInt(), c.asShortInt) << v;
        EXPECT_EQ(e.AsWord(), c.asWord) << v;
        EXPECT_EQ(e.AsInteger(), c.asInteger) << v;
        EXPECT_EQ(e.AsLongint(), c.asLongint) << v;
        EXPECT_EQ(e.AsSingle(), c.singleIn ? static_cast<float>(c.value) : 0.0f) << v;
        EXPECT_EQ(e.AsDouble(), c.doubleIn ? v : 0.0) << v;
        EXPECT_EQ(e.AsReal(), c.realIn ? v : 0.0) << v;
    }
}

// One key in a format other than exponent: the text with caret (or selection) before, and
// what the key leaves.
struct KeyCase {
    const char* text;
    int anchor;
    int caret;
    char32_t key;
    const char* after;
    int caretAfter;
    bool beep;
};

void RunKeyCases(NumInpEngine& e, RecordingInputFeedback& feedback, const KeyCase* begin,
                 const KeyCase* end) {
    for (const KeyCase* c = begin; c != end; ++c) {
        feedback.Clear();
        e.SetEditState(c->text, c->anchor, c->caret);
        EXPECT_EQ(e.KeyPress(c->key), KeyAction::Handled);
        const std::string what = std::string(c->text) + " key " + std::to_string(c->key);
        EXPECT_EQ(e.Text(), c->after) << what;
        EXPECT_EQ(e.Edit().Caret(), c->caretAfter) << what;
        EXPECT_EQ(feedback.Beeps().size(), c->beep ? 1u : 0u) << what;
    }
}

TEST_F(NumInpEngineTest, KeysMakeOnlyWellFormedNumbers) {
    const KeyCase cases[] = {
        {"", 0, 0, U'5', "5", 1, false},
        {"12", 2, 2, U'.', "12.", 3, false},
        {"12.3", 4, 4, U'.', "12.3", 4, true},  // a second separator
        {"1234", 1, 1, U'.', "1234", 1, true},  // more than two decimals would follow
        {"1234", 2, 2, U'.', "12.34", 3, false},
        {"12", 1, 1, U'-', "12", 1, true},  // a minus only at the start
        {"12", 0, 0, U'-', "-12", 1, false},
        {"12.34", 5, 5, U'5', "12.34", 5, true},  // the decimals are full
        {"12.34", 1, 1, U'5', "152.34", 2, false},
        {"123456789", 9, 9, U'1', "123456789.", 10, false},  // the integer part is full
        {"123456789", 4, 4, U'1', "123456789", 4, true},
        {"123456789.12", 5, 5, U'1', "123456789.12", 5, true},
        {"1,234.5", 7, 7, U'6', "1234.56", 7, false},  // thousands separators go
        {"12+", 3, 3, U'3', "123", 3, false},          // so does a typed plus
        {"12", 1, 1, U'a', "12", 1, false},            // letters never get in
        {"12.34", 5, 5, U'a', "12.34", 5, true},       // ... but beep where a digit would
        // Backspace, also over the separator while the integer part has room.
        {"12.5", 3, 3, kBackspace, "125", 2, false},
        {"123456789.12", 10, 10, kBackspace, "123456789.12", 10, true},
        // A selection goes first, up to the end when it holds the separator.
        {"12.34", 1, 3, U'5', "15", 2, false},
        {"12.34", 3, 5, U'9', "12.9", 4, false},
        {"123", 1, 3, kBackspace, "1", 1, false},  // the backspace takes only the selection
        {"12.34", 4, 1, U'-', "1", 1, true},
    };
    NumInpEngine e = MakeEngine();
    RunKeyCases(e, feedback_, std::begin(cases), std::end(cases));
}

TEST_F(NumInpEngineTest, CommaLocaleAndIntegerTypesFilterTheirSeparators) {
    NumInpEngine comma = MakeEngine(CommaLocale());
    const KeyCase commaCases[] = {
        {"12", 2, 2, U',', "12,", 3, false},
        {"12", 2, 2, U'.', "12", 2, false},
        {"1.234,5", 7, 7, U'6', "1234,56", 7, false},
        {"12,34", 5, 5, U'5', "12,34", 5, true},
    };
    RunKeyCases(comma, feedback_, std::begin(commaCases), std::end(commaCases));

    NumInpEngine whole = MakeEngine();
    whole.SetDatatype(TDataType::dtInteger);
    const KeyCase integerCases[] = {
        {"12", 2, 2, U'.', "12", 2, false},
        {"12", 2, 2, U'e', "12", 2, false},
        {"12", 2, 2, U'3', "123", 3, false},
    };
    RunKeyCases(whole, feedback_, std::begin(integerCases), std::end(integerCases));
}

TEST_F(NumInpEngineTest, ExponentFormatPlacesSignsAndTheExponent) {
    const KeyCase cases[] = {
        {"", 0, 0, U'-', "-", 1, false},
        {"1", 1, 1, U'-', "1", 1, true},      // a minus only at the start ...
        {"1E", 2, 2, U'-', "1E-", 3, false},  // ... or right after the E
        {"1E5", 2, 2, U'-', "1E-5", 3, false},
        {"1E", 2, 2, U'+', "1E+", 3, false},  // a plus only right after the E
        {"1", 1, 1, U'+', "1", 1, true},
        {"1E5", 1, 1, U'+', "1E5", 1, true},
        {"1", 1, 1, U'e', "1E", 2, false},  // shown as a capital
        {"1E5", 3, 3, U'E', "1E5", 3, true},
        {"", 0, 0, U'E', "", 0, true},  // an E needs a digit before it
        {"-", 1, 1, U'E', "-", 1, true},
        {"1.5", 3, 3, U'.', "1.5", 3, true},
        {"1E+5", 2, 2, U'3', "1E+5", 2, true},  // nothing between the E and its sign
        {"1E-5", 1, 1, U'2', "12E-5", 2, false},
        {"1E-5", 2, 2, kBackspace, "1E-5", 2, true},  // the E stays while a sign follows it
        {"1E5", 2, 2, kBackspace, "15", 1, false},
    };
    for (bool comma : {false, true}) {
        NumInpEngine e = MakeEngine(comma ? CommaLocale() : DotLocale());
        e.SetNumericType(TNumericType::ntExponent);
        if (!comma) {
            RunKeyCases(e, feedback_, std::begin(cases), std::end(cases));
            continue;
        }
        const KeyCase commaCases[] = {
            {"1,5", 3, 3, U',', "1,5", 3, true},
            {"1", 1, 1, U',', "1,", 2, false},
            {"1", 1, 1, U'.', "1", 1, false},
        };
        RunKeyCases(e, feedback_, std::begin(commaCases), std::end(commaCases));
    }
}

TEST_F(NumInpEngineTest, EscapeUndoesTheLastChangeEnterAndClipboardKeysAreSpecial) {
    NumInpEngine e = MakeEngine();
    e.SetEditState("12", 2, 2);
    Type(e, U"3");
    EXPECT_EQ(e.KeyPress(27), KeyAction::Handled);
    EXPECT_EQ(e.Text(), "12");
    EXPECT_EQ(e.Edit().SelLength(), 2);

    EXPECT_EQ(e.KeyPress(13), KeyAction::Handled);
    EXPECT_EQ(e.Text(), "");  // no key, but the selection went as for any key
    e.SetTabOnEnterKey(true);
    EXPECT_EQ(e.KeyPress(13), KeyAction::FocusNext);
    EXPECT_EQ(e.KeyPress(3), KeyAction::PassOn);
    EXPECT_EQ(e.KeyPress(24), KeyAction::PassOn);
    EXPECT_EQ(NumInpEngine::ArrowKeyDown(ArrowKey::Up), KeyAction::FocusPrevious);
    EXPECT_EQ(NumInpEngine::ArrowKeyDown(ArrowKey::Down), KeyAction::FocusNext);
}

TEST_F(NumInpEngineTest, PasteStoresTheValueAtOnceUnlessItsTextIsTooLong) {
    struct Case {
        const char* clipboard;
        const char* text;
        long double value;
        std::size_t beeps;
    } cases[] = {
        {"42", "42", 42, 0},
        {"7\r\nnext line", "7", 7, 0},
        {"150", "150", 150, 1},            // reported, but kept
        {"12345678901234567", "0", 0, 2},  // reported, and too long: all undone
        {"abc", "0", 0, 1},
    };
    for (const Case& c : cases) {
        NumInpEngine e = MakeEngine();
        feedback_.Clear();
        e.FocusEnter();  // all selected
        EXPECT_EQ(e.KeyPress(22, c.clipboard), KeyAction::Handled);
        EXPECT_EQ(e.Text(), c.text) << c.clipboard;
        EXPECT_EQ(e.Value(), c.value) << c.clipboard;
        EXPECT_EQ(Beeps(), c.beeps) << c.clipboard;
    }
}

TEST_F(NumInpEngineTest, LeavingReadsTheTextOrKeepsTheFocus) {
    struct Case {
        const char* typed;
        bool leaves;
        const char* text;
        long double value;
        const char* box;
    } cases[] = {
        {"12.5", true, "12.5", 12.5L, nullptr},
        {"", true, "0", 0, nullptr},
        {"150", false, "150", 0, "Value must be between 0 and 100"},
        {"1-2", false, "1-2", 0, "'1-2' is no valid numeric input."},
        {"5x", true, "5", 5, nullptr},
    };
    for (const Case& c : cases) {
        NumInpEngine e = MakeEngine();
        e.SetUseMsgBox(true);
        feedback_.Clear();
        e.FocusEnter();
        EXPECT_TRUE(e.Focused());
        e.SetEditState(c.typed, 0, 0);
        EXPECT_EQ(e.FocusExit(), c.leaves) << c.typed;
        EXPECT_EQ(e.Text(), c.text) << c.typed;
        EXPECT_EQ(e.Value(), c.value) << c.typed;
        EXPECT_EQ(e.Focused(), !c.leaves) << c.typed;
        if (c.box) {
            EXPECT_EQ(feedback_.Boxes(), std::vector<std::string>{c.box}) << c.typed;
            EXPECT_EQ(e.Edit().SelLength(), e.Edit().Length());
        } else {
            EXPECT_TRUE(feedback_.Boxes().empty()) << c.typed;
        }
    }
}

TEST_F(NumInpEngineTest, LeavingReadsFormattedTextInTheUsersLocale) {
    NumInpEngine e = MakeEngine(CommaLocale());
    e.SetMax(1e6L);
    e.SetNumericType(TNumericType::ntCurrency);
    e.SetValue(1234.5L);
    EXPECT_EQ(e.Text(), "1.234,50 \xE2\x82\xAC");
    e.FocusEnter();
    EXPECT_TRUE(e.FocusExit());
    EXPECT_EQ(e.Value(), 1234.5L);
    e.SetEditState("12,25", 5, 5);
    EXPECT_TRUE(e.FocusExit());
    EXPECT_EQ(e.Value(), 12.25L);
    EXPECT_EQ(e.Text(), "12,25 \xE2\x82\xAC");
}

TEST_F(NumInpEngineTest, EntryWithoutAutoSelectPutsTheCaretAtTheStart) {
    NumInpEngine e = MakeEngine();
    e.SetAutoSelect(false);
    e.SetEditState("123", 3, 3);
    e.FocusEnter();
    EXPECT_EQ(e.Edit().Caret(), 0);
    EXPECT_FALSE(e.Edit().HasSelection());
}

TEST_F(NumInpEngineTest, AsMoneyStrSpellsTheTextAndReportsTooLargeAmounts) {
    NumInpEngine e = MakeEngine();
    e.SetValidate(false);
    e.SetValue(1234.56L);
    EXPECT_EQ(e.AsMoneyStr(), "One Thousand Two Hundred Thirty Four And 56/100 Dollars");
    e.SetUseMsgBox(true);
    e.SetValue(100000000);
    EXPECT_EQ(e.AsMoneyStr(), "ERROR");
    EXPECT_EQ(feedback_.Boxes(), std::vector<std::string>{"Exceeded max value of 99,999,999.99"});
    e.SetEditState("", 0, 0);
    EXPECT_EQ(e.AsMoneyStr(), "ERROR");
    EXPECT_EQ(feedback_.Boxes().size(), 1u);  // a malformed text is not reported
}

TEST_F(NumInpEngineTest, PaintsItselfAlignedOnlyWithoutTheFocus) {
    NumInpEngine e = MakeEngine();
    EXPECT_FALSE(e.PaintsItself(false));  // left: the edit's own painting
    e.SetAlignment(TAlignment::taRightJustify);
    EXPECT_TRUE(e.PaintsItself(false));
    EXPECT_FALSE(e.PaintsItself(true));  // found focused: marked so
    EXPECT_TRUE(e.Focused());
    EXPECT_FALSE(e.PaintsItself(false));
    ASSERT_TRUE(e.FocusExit());
    EXPECT_TRUE(e.PaintsItself(false));

    e.UpdateTextMargin(16, 13);
    EXPECT_EQ(e.TextMargin(), 3);
    const TRect client = Rect(0, 0, 85, 21);
    OwnPaintLayout right = e.LayoutOwnPaint(client, true, 20);
    EXPECT_EQ(right.Frame, client);
    EXPECT_EQ(right.TextArea, Rect(1, 1, 84, 20));
    EXPECT_EQ(right.TextOrigin, (TPoint{61, 4}));
    OwnPaintLayout bare = e.LayoutOwnPaint(client, false, 20);
    EXPECT_EQ(bare.TextArea, client);
    EXPECT_EQ(bare.TextOrigin, (TPoint{65, 0}));
    e.SetAlignment(TAlignment::taCenter);
    EXPECT_EQ(e.LayoutOwnPaint(client, true, 20).TextOrigin, (TPoint{32, 4}));
}

}  // namespace
}  // namespace vela
