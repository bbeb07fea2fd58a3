#include "controls/long_edit_mask_engine.h"

#include <algorithm>
#include <cstdlib>

#include "text/words.h"

namespace vela {

void LongEditMaskEngine::SetValue(std::int32_t value) {
    DValue_ = value;
    OldValue_ = value;
    text_ = std::to_string(value);
}

void LongEditMaskEngine::SetLongType(TLongType type) {
    DLongType_ = type;
    if (type == TLongType::L_1_12) {
        DMinValue_ = 1;
        DMaxValue_ = 12;
    } else if (type == TLongType::L_1_31) {
        DMinValue_ = 1;
        DMaxValue_ = 31;
    }
    maxLength_ = static_cast<int>(WiderBoundText().size());
}

std::string LongEditMaskEngine::WiderBoundText() const {
    // Magnitudes in 64 bits: the lowest 32-bit value has no positive counterpart.
    const long long upper = std::llabs(DMaxValue_);
    const long long lower = std::llabs(DMinValue_);
    return std::to_string(lower > upper ? DMinValue_ : DMaxValue_);
}

bool LongEditMaskEngine::CheckText() {
    // A sign or digit for every character of the wider bound, and one more; the mask stays
    // within the platform's 20 characters.
    const std::size_t positions = std::min<std::size_t>(WiderBoundText().size() + 1, 17);
    editMask_ = std::string(positions, '#') + ";1;";

    std::int32_t v = 0;
    const std::string word = ExtractWord(1, text_, ~MakeCharSet("0123456789-"));
    if (!TextToLong(word, v) || v < DMinValue_ || v > DMaxValue_) return false;
    DValue_ = v;
    return true;
}

void LongEditMaskEngine::FocusExit() {
    if (CheckText()) return;
    SetValue(OldValue_);
    feedback_->Beep(BeepSound::System);
}

}  // namespace vela
