#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/input_feedback.h"

namespace vela {

// The kind of value a time or angle mask edit holds: hours of a day or of half a day, or
// degrees up to 90, 180, 360, ±360 or 10000.
enum class THEditMaskType : std::uint8_t { H24, H12, L90, L180, L360, LPlusMinus360, L10000 };

// What each kind brings: its limits, its edit mask (in the masked-edit syntax: "9" an optional
// digit, "#" an optional digit or sign, a leading "!" directive, ";1;" keeping the literals)
// and the texts shown when a check fails.
struct HEditMaskTypeInfo {
    long double WholeLimit;  // the whole part may not exceed it
    bool AbsoluteLimit;      // the limit holds for the magnitude (negative values allowed)
    long double MaxValue;    // the largest value the type starts with
    int WholeWidth;          // digits of the whole part as SetValue writes it
    std::string_view EditMask;
    std::string_view DefaultText;   // restored after a failed check
    std::string_view FallbackText;  // shown when SetValue's text is refused
};

const HEditMaskTypeInfo& InfoOf(THEditMaskType type);

// The time and angle mask edit without a window: a whole part with minutes and seconds, coded
// as |W| + M/100 + S/10000 with the sign of W, checked against the type and the maximum when
// the edit is left. The control shows Text() through EditMask() and hands back what the user
// typed.
class HEditMaskEngine {
  public:
    // `feedback` must outlive the engine. Nothing else is set up until a type is assigned.
    explicit HEditMaskEngine(InputFeedback& feedback) : feedback_(&feedback) {}

    void SetInputFeedback(InputFeedback& feedback) { feedback_ = &feedback; }

    THEditMaskType GetHEditMaskType() const { return type_; }
    // Sets the type's mask, checks the present text (against the maximum held so far), takes
    // the type's maximum and shows DefaultText, which becomes the type's default text unless
    // the present text was accepted.
    void SetHEditMaskType(THEditMaskType type);

    long double GetValue() const { return DValue_; }
    // Holds the value and shows it; a value whose text is refused shows the type's fallback
    // text and is held all the same. Non-finite values and magnitudes beyond 1e14 are not
    // taken: the fallback text shows and the value stays.
    void SetValue(long double value);
    long double GetMaxValue() const { return DMaxValue_; }
    // Zero (and non-finite values) leave the maximum as it is.
    void SetMaxValue(long double value);
    // The decimal equivalent: 12.3015 is 12 + 30/60 + 15/3600.
    double GetRealValue() const;

    const std::string& DefaultText() const { return DefaultText_; }
    // Empty until a type is assigned.
    const std::string& EditMask() const { return editMask_; }
    // The text as the control shows it, with the whole part right-aligned in the mask's field.
    const std::string& Text() const { return text_; }
    // What the user typed.
    void SetText(std::string_view text) { text_ = std::string(text); }

    // Reads whole part, minutes and seconds from the text; when they are within the type's
    // limits and the value does not exceed the maximum, the value becomes theirs. A refused
    // text leaves the value as it was.
    bool CheckText();
    // Leaving the edit: a refused text gives way to DefaultText with the system beep.
    void FocusExit();

  private:
    void ShowText(std::string_view text);

    InputFeedback* feedback_;
    THEditMaskType type_ = THEditMaskType::H24;
    long double DValue_ = 0;
    long double DMaxValue_ = 0;
    std::string DefaultText_;
    std::string editMask_;
    std::string text_;
};

}  // namespace vela
