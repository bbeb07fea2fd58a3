#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/input_feedback.h"

namespace vela {

// Preset bounds of the integer mask edit: none, 1..12 (months) or 1..31 (days).
enum class TLongType : std::uint8_t { L_User, L_1_12, L_1_31 };

// The bounded integer mask edit without a window. The value the program sets is the fallback:
// a text refused on leaving brings it back, even after the user entered other valid values.
class LongEditMaskEngine {
  public:
    // `feedback` must outlive the engine.
    explicit LongEditMaskEngine(InputFeedback& feedback) : feedback_(&feedback) {}

    void SetInputFeedback(InputFeedback& feedback) { feedback_ = &feedback; }

    std::int32_t GetValue() const { return DValue_; }
    // Value and fallback at once, shown as decimal text; not checked against the bounds.
    void SetValue(std::int32_t value);
    std::int32_t GetMaxValue() const { return DMaxValue_; }
    void SetMaxValue(std::int32_t value) { DMaxValue_ = value; }
    std::int32_t GetMinValue() const { return DMinValue_; }
    void SetMinValue(std::int32_t value) { DMinValue_ = value; }
    TLongType GetLongType() const { return DLongType_; }
    // Presets the bounds (L_User keeps them) and limits the text to the length of the wider
    // bound.
    void SetLongType(TLongType type);
    std::int32_t OldValue() const { return OldValue_; }

    // 0 (no limit) until a type is assigned.
    int MaxLength() const { return maxLength_; }
    // Empty until the first check; then one sign-or-digit position more than the wider bound
    // has characters.
    const std::string& EditMask() const { return editMask_; }
    const std::string& Text() const { return text_; }
    // What the user typed.
    void SetText(std::string_view text) { text_ = std::string(text); }

    // Sets the mask for the bounds; the first number of the text within the bounds becomes the
    // value.
    bool CheckText();
    // Leaving the edit: a refused text brings back the fallback value with the system beep.
    void FocusExit();

  private:
    std::string WiderBoundText() const;

    InputFeedback* feedback_;
    std::int32_t DValue_ = 0;
    std::int32_t OldValue_ = 0;
    std::int32_t DMaxValue_ = 0;
    std::int32_t DMinValue_ = 0;
    TLongType DLongType_ = TLongType::L_User;
    int maxLength_ = 0;
    std::string editMask_;
    std::string text_;
};

}  // namespace vela
