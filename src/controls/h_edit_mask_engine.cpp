#include "controls/h_edit_mask_engine.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "controls/sexagesimal.h"
#include "text/utf8_chars.h"
#include "text/words.h"

namespace vela {

namespace {

constexpr HEditMaskTypeInfo kTypes[] = {
    {24, false, 24, 2, "!99  h 99 m  99 s;1;", "12  h 00 m  00 s", "12  h 00 m  00 s"},
    {12, false, 12, 2, "!99  h 99 m  99 s ;1;", "00  h 00 m  00 s", "00  h 00 m  00 s"},
    {90, false, 90, 2, "!99  ° 99 '  99 \" ;1;", "00  ° 00 '  00 \"", "00  ° 00 '  00 \""},
    {180, false, 180, 3, "!999  ° 99 '  99 \" ;1;", "000  ° 00 '  00 \"", "000  ° 00 '  00 \""},
    {360, false, 360, 3, "!999  ° 99 '  99 \" ;1;", "000  ° 00 '  00 \"", "000  ° 00 '  00 \""},
    {360, true, 360, 3, "!####  ° 99 '  99 \" ;1;", "000  ° 00 '  00 \"", "000  ° 00 '  00 \""},
    {10000, false, 10000, 5, "!99999  ° 99 '  99 \" ;1;", "000  ° 00 '  00 \"",
     "00000  ° 00 '  00 \""},
};

bool IsMaskPosition(char32_t c) {
    return c == U'9' || c == U'0' || c == U'#' || c == U'L' || c == U'l' || c == U'A' ||
           c == U'a' || c == U'C' || c == U'c';
}

// The characters of a mask as the edit lays them out: an input position is 0, a literal is
// itself. Directives take no place.
std::u32string MaskLayout(std::string_view mask) {
    std::u32string chars = DecodeUtf8(mask.substr(0, mask.find(';')));
    std::u32string layout;
    std::size_t i = chars.empty() || chars[0] != U'!' ? 0 : 1;
    for (; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == U'\\' && i + 1 < chars.size())
            layout += chars[++i];
        else if (IsMaskPosition(c))
            layout += char32_t{0};
        else if (c != U'<' && c != U'>')
            layout += c;
    }
    return layout;
}

std::size_t LeadingField(const std::u32string& layout) {
    std::size_t n = 0;
    while (n < layout.size() && layout[n] == 0) ++n;
    return n;
}

// The whole part of a text: its first run of characters after leading blanks.
void SplitWhole(const std::u32string& text, std::size_t& start, std::size_t& end) {
    start = 0;
    while (start < text.size() && text[start] == U' ') ++start;
    end = start;
    while (end < text.size() && text[end] != U' ') ++end;
}

bool WholeFits(std::string_view text, std::string_view mask) {
    if (mask.empty()) return true;
    const std::u32string chars = DecodeUtf8(text);
    std::size_t start = 0;
    std::size_t end = 0;
    SplitWhole(chars, start, end);
    return end - start <= LeadingField(MaskLayout(mask));
}

// The text as the masked edit shows it: the whole part right-aligned in the mask's leading
// field, and the mask's literals after the end of the text.
std::string FitToMask(std::string_view text, std::string_view mask) {
    if (mask.empty()) return std::string(text);
    const std::u32string layout = MaskLayout(mask);
    const std::u32string chars = DecodeUtf8(text);
    std::size_t start = 0;
    std::size_t end = 0;
    SplitWhole(chars, start, end);
    const std::size_t field = LeadingField(layout);
    std::u32string fitted;
    if (end - start < field) fitted.assign(field - (end - start), U' ');
    fitted += chars.substr(start);
    while (fitted.size() < layout.size() && layout[fitted.size()] != 0)
        fitted += layout[fitted.size()];
    return EncodeUtf8(fitted);
}

// Whether the text, fitted to the mask, has the mask's literals in their places and digits,
// signs or blanks in its input positions.
bool FitsMask(std::string_view text, std::string_view mask) {
    const std::u32string layout = MaskLayout(mask);
    const std::u32string fitted = DecodeUtf8(FitToMask(text, mask));
    if (fitted.size() != layout.size()) return false;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const char32_t c = fitted[i];
        const bool input = (c >= U'0' && c <= U'9') || c == U'-' || c == U'+' || c == U' ';
        if (layout[i] == 0 ? !input : c != layout[i]) return false;
    }
    return true;
}

std::string TwoDigits(std::int32_t n) {
    return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

// The whole part zero-padded to the type's width; a negative one has its sign in front of the
// padded digits ("-005"), so that it reads back as the same number.
std::string WholeText(std::int64_t whole, int width) {
    std::string digits = std::to_string(whole < 0 ? -whole : whole);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return whole < 0 ? "-" + digits : digits;
}

}  // namespace

const HEditMaskTypeInfo& InfoOf(THEditMaskType type) {
    return kTypes[static_cast<std::size_t>(type)];
}

void HEditMaskEngine::SetHEditMaskType(THEditMaskType type) {
    type_ = type;
    const HEditMaskTypeInfo& info = InfoOf(type);
    editMask_ = std::string(info.EditMask);
    // An empty default would blank the edit (it only means none has been chosen yet), and a
    // default of another layout (hours after degrees) would not fit the new mask.
    if (!CheckText() || !FitsMask(DefaultText_, editMask_))
        DefaultText_ = std::string(info.DefaultText);
    DMaxValue_ = info.MaxValue;
    ShowText(DefaultText_);
}

void HEditMaskEngine::SetValue(long double value) {
    const HEditMaskTypeInfo& info = InfoOf(type_);
    Sexagesimal parts;
    if (!SplitSexagesimal(value, parts)) {
        ShowText(info.FallbackText);
        return;
    }
    DValue_ = value;
    const bool hours = type_ == THEditMaskType::H24 || type_ == THEditMaskType::H12;
    std::string text = WholeText(parts.Whole, info.WholeWidth);
    if (hours)
        text += "  h " + TwoDigits(parts.Minutes) + " m  " + TwoDigits(parts.Seconds) + " s";
    else
        text += "  ° " + TwoDigits(parts.Minutes) + " '  " + TwoDigits(parts.Seconds) + " \"";
    // A whole part longer than the mask's field cannot be shown, so it is not taken either.
    if (!WholeFits(text, editMask_)) {
        ShowText(info.FallbackText);
        return;
    }
    ShowText(text);
    if (!CheckText()) ShowText(info.FallbackText);
}

void HEditMaskEngine::SetMaxValue(long double value) {
    if (value == 0 || !std::isfinite(value)) return;
    DMaxValue_ = value;
}

double HEditMaskEngine::GetRealValue() const {
    return static_cast<double>(SexagesimalToDecimal(DValue_));
}

bool HEditMaskEngine::CheckText() {
    const CharSet notDigitOrMinus = ~MakeCharSet("0123456789-");
    const CharSet notDigit = ~MakeCharSet("0123456789");
    std::int32_t whole = 0;
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
    const std::string w = ExtractWord(1, text_, notDigitOrMinus);
    const std::string m = ExtractWord(2, text_, notDigit);
    const std::string s = ExtractWord(3, text_, notDigit);
    if (w.empty() || m.empty() || s.empty() || !TextToLong(w, whole) || !TextToLong(m, minutes) ||
        !TextToLong(s, seconds))
        return false;
    if (minutes > 60 || seconds > 60) return false;
    const HEditMaskTypeInfo& info = InfoOf(type_);
    const long double limited = info.AbsoluteLimit ? std::llabs(whole) : whole;
    if (limited > info.WholeLimit) return false;
    const long double joined = JoinSexagesimal(whole, minutes, seconds);
    if (joined > DMaxValue_) return false;
    DValue_ = joined;
    return true;
}

void HEditMaskEngine::FocusExit() {
    if (CheckText()) return;
    ShowText(DefaultText_);
    feedback_->Beep(BeepSound::System);
}

void HEditMaskEngine::ShowText(std::string_view text) {
    text_ = FitToMask(text, editMask_);
}

}  // namespace vela
