#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "controls/line_edit_buffer.h"
#include "controls/num_inp_types.h"
#include "controls/number_formats.h"
#include "platform/graphics_types.h"
#include "platform/input_feedback.h"

namespace vela {

// What the control does with a key once the engine has seen it.
enum class KeyAction {
    Handled,        // the engine has done all there is to do
    PassOn,         // the edit's own handling does it (copy and cut)
    FocusNext,      // the focus moves to the next control
    FocusPrevious,  // the focus moves to the previous control
};

enum class ArrowKey { Up, Down };

// Where the numeric edit writes its text while it paints itself without the focus.
struct OwnPaintLayout {
    TRect Frame;     // the rectangle framed in the window-frame colour (empty without a border)
    TRect TextArea;  // the background and the clip of the text
    TPoint TextOrigin;
};

// The numeric edit without a window: its text with caret and selection, the key filter that
// lets only a well-formed number of the configured kind be typed, the range check on leaving,
// the text formats, the sign colour and the amount in words. The control feeds it keys and
// focus changes and shows what it holds. Numbers are read and written with the locale given.
class NumInpEngine {
  public:
    // `fontColor` is the colour of values from zero up; `feedback` must outlive the engine.
    explicit NumInpEngine(InputFeedback& feedback, NumberLocale locale = {},
                          TColor fontColor = clBlack);

    void SetInputFeedback(InputFeedback& feedback) { feedback_ = &feedback; }
    const NumberLocale& Locale() const { return locale_; }
    // A new locale: the value is written again in it.
    void SetLocale(NumberLocale locale);

    // --- Properties ---
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment) { alignment_ = alignment; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    TDataType Datatype() const { return dataType_; }
    void SetDatatype(TDataType type);
    std::uint16_t Decimals() const { return decimals_; }
    void SetDecimals(std::uint16_t decimals);
    std::uint16_t Digits() const { return digits_; }
    void SetDigits(std::uint16_t digits);
    long double Max() const { return max_; }
    void SetMax(long double max);
    long double Min() const { return min_; }
    void SetMin(long double min);
    TColor NegativeColor() const { return negColor_; }
    void SetNegativeColor(TColor color);
    TNumericType NumericType() const { return numericType_; }
    void SetNumericType(TNumericType type);
    bool TabOnEnterKey() const { return tabOnEnterKey_; }
    void SetTabOnEnterKey(bool on) { tabOnEnterKey_ = on; }
    bool UseMsgBox() const { return useMsgBox_; }
    void SetUseMsgBox(bool on) { useMsgBox_ = on; }
    bool Validate() const { return validate_; }
    void SetValidate(bool on);
    long double Value() const { return value_; }
    // Taken only if Valid (which reports a refusal) and finite.
    void SetValue(long double value);

    // The colour the text is drawn in: by the sign of the value.
    TColor FontColor() const { return fontColor_; }
    // The colour of values from zero up.
    TColor PositiveColor() const { return oldColor_; }

    // --- The value converted: 0 outside the range of the data type named ---
    std::uint8_t AsByte() const;
    std::int8_t AsShortInt() const;
    std::uint16_t AsWord() const;
    std::int32_t AsInteger() const;  // within -32768..32767
    std::int32_t AsLongint() const;
    float AsSingle() const;
    double AsDouble() const;
    double AsReal() const;

    // True unless the range check is on and the value lies outside Min..Max; a refusal is
    // reported (message box or beep). Non-finite values are always refused.
    bool Valid(long double value);
    // The current text in words as on a cheque; "ERROR" (and a report when the amount is too
    // large) when it cannot be.
    std::string AsMoneyStr();

    // --- The edit ---
    std::string Text() const;
    const LineEditBuffer& Edit() const { return edit_; }
    int MaxLength() const { return edit_.MaxLength(); }
    // What the user changed through the edit's own handling (deleting, cutting, moving the
    // caret); a changed text can be undone.
    void SetEditState(std::string_view text, int anchor, int caret);

    // --- Events ---
    void FocusEnter();
    // Reads the text on leaving; false when it is refused and the focus must stay, with all
    // text selected.
    bool FocusExit();
    // The up arrow moves the focus to the previous control, the down arrow to the next (the
    // edit then handles the key as usual).
    static KeyAction ArrowKeyDown(ArrowKey key) {
        return key == ArrowKey::Up ? KeyAction::FocusPrevious : KeyAction::FocusNext;
    }
    // One typed character, or a control character: 8 backspace, 13 enter, 27 escape, 3 copy,
    // 22 paste (of `clipboard`), 24 cut. Other keys pass through the filter as no key.
    KeyAction KeyPress(char32_t key, std::string_view clipboard = {});

    // --- Painting ---
    bool Focused() const { return focused_; }
    // Whether the control paints its text itself; a control that has the focus is marked
    // focused first.
    bool PaintsItself(bool hasFocus);
    int TextMargin() const { return textMargin_; }
    void UpdateTextMargin(int systemFontHeight, int controlFontHeight);
    OwnPaintLayout LayoutOwnPaint(const TRect& client, bool singleBorder, int textWidth) const;

  private:
    void FormatValue();
    void ClampToDataType();
    void Report(const std::string& text);
    void Refuse(char32_t& key);
    char32_t ExponentRules(char32_t key);
    char32_t OtherRules(char32_t key, bool& selectionDeleted);
    void Paste(std::string_view clipboard);
    void SetText(std::string_view text);

    InputFeedback* feedback_;
    NumberLocale locale_;
    LineEditBuffer edit_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool autoSelect_ = true;
    std::uint16_t decimals_ = 2;
    std::uint16_t digits_ = 12;
    bool focused_ = false;
    long double max_ = 100;
    long double min_ = 0;
    TColor negColor_ = clBlack;
    TNumericType numericType_ = TNumericType::ntGeneral;
    TColor oldColor_;
    TColor fontColor_;
    TDataType dataType_ = TDataType::dtExtended;
    bool tabOnEnterKey_ = false;
    int textMargin_ = 0;
    long double value_ = 0;
    bool validate_ = true;
    bool useMsgBox_ = false;
};

}  // namespace vela
