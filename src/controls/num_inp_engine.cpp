#include "controls/num_inp_engine.h"

#include <cmath>
#include <limits>

#include "controls/amount_in_words.h"
#include "text/utf8_chars.h"

namespace vela {

namespace {

constexpr char32_t kNoKey = 0;
constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;
constexpr char32_t kEscape = 27;
constexpr char32_t kCopy = 3;
constexpr char32_t kPaste = 22;
constexpr char32_t kCut = 24;

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

TFloatFormat FormatOf(TNumericType type) {
    switch (type) {
        case TNumericType::ntGeneral:
            return TFloatFormat::ffGeneral;
        case TNumericType::ntExponent:
            return TFloatFormat::ffExponent;
        case TNumericType::ntFixed:
            return TFloatFormat::ffFixed;
        case TNumericType::ntNumber:
            return TFloatFormat::ffNumber;
        case TNumericType::ntCurrency:
            return TFloatFormat::ffCurrency;
    }
    return TFloatFormat::ffGeneral;
}

// The value rounded to a whole number (ties to even) when it lies in the type's range, else 0;
// the range is checked first so the rounding never leaves the integer type.
template <typename Int>
Int RoundedIn(long double value, TDataType type) {
    if (!RangeOf(type).Contains(value)) return 0;
    return static_cast<Int>(std::rint(value));
}

template <typename Float>
Float ConvertedIn(long double value, TDataType type) {
    if (!RangeOf(type).Contains(value)) return 0;
    return static_cast<Float>(value);
}

}  // namespace

NumInpEngine::NumInpEngine(InputFeedback& feedback, NumberLocale locale, TColor fontColor)
    : feedback_(&feedback),
      locale_(std::move(locale)),
      oldColor_(fontColor),
      fontColor_(fontColor) {
    edit_.SetMaxLength(digits_);
    FormatValue();
}

void NumInpEngine::SetLocale(NumberLocale locale) {
    locale_ = std::move(locale);
    FormatValue();
}

std::string NumInpEngine::Text() const {
    return EncodeUtf8(edit_.Text());
}

void NumInpEngine::SetText(std::string_view text) {
    edit_.SetText(DecodeUtf8(text));
}

void NumInpEngine::SetEditState(std::string_view text, int anchor, int caret) {
    const LineEditBuffer::State before = edit_.Snapshot();
    std::u32string chars = DecodeUtf8(text);
    if (chars != edit_.Text()) {
        edit_.SetText(std::move(chars));
        edit_.RememberForUndo(before);
    }
    edit_.SetSelection(anchor, caret);
}

// --- Properties ---

void NumInpEngine::SetDatatype(TDataType type) {
    if (type == dataType_) return;
    dataType_ = type;
    if (IsIntegerType(type)) {
        numericType_ = TNumericType::ntGeneral;
        decimals_ = 0;
    }
    ClampToDataType();
    FormatValue();
}

void NumInpEngine::SetDecimals(std::uint16_t decimals) {
    if (decimals == decimals_) return;
    decimals_ = IsIntegerType(dataType_) ? 0 : decimals;
    FormatValue();
}

void NumInpEngine::SetDigits(std::uint16_t digits) {
    if (digits == digits_) return;
    digits_ = digits;
    edit_.SetMaxLength(digits);
    FormatValue();
}

void NumInpEngine::SetMax(long double max) {
    // A bound that is no number would let every value through, or none.
    if (max == max_ || !std::isfinite(max)) return;
    max_ = max;
    ClampToDataType();
    if (max_ < min_) max_ = min_;
    if (value_ > max_) value_ = max_;
    FormatValue();
}

void NumInpEngine::SetMin(long double min) {
    if (min == min_ || !std::isfinite(min)) return;
    min_ = min;
    ClampToDataType();
    if (min_ > max_) min_ = max_;
    if (value_ < min_) value_ = min_;
    FormatValue();
}

void NumInpEngine::SetNegativeColor(TColor color) {
    negColor_ = color;
    FormatValue();
}

void NumInpEngine::SetNumericType(TNumericType type) {
    if (IsIntegerType(dataType_) || type == numericType_) return;
    numericType_ = type;
    FormatValue();
}

void NumInpEngine::SetValidate(bool on) {
    if (on == validate_) return;
    validate_ = on;
    if (on && (value_ < min_ || value_ > max_)) {
        value_ = min_;
        FormatValue();
    }
}

void NumInpEngine::SetValue(long double value) {
    if (value == value_) return;
    if (!Valid(value)) return;
    value_ = value;
    FormatValue();
}

// --- Conversions ---

std::uint8_t NumInpEngine::AsByte() const {
    return RoundedIn<std::uint8_t>(value_, TDataType::dtByte);
}

std::int8_t NumInpEngine::AsShortInt() const {
    return RoundedIn<std::int8_t>(value_, TDataType::dtShortint);
}

std::uint16_t NumInpEngine::AsWord() const {
    return RoundedIn<std::uint16_t>(value_, TDataType::dtWord);
}

std::int32_t NumInpEngine::AsInteger() const {
    return RoundedIn<std::int32_t>(value_, TDataType::dtInteger);
}

std::int32_t NumInpEngine::AsLongint() const {
    return RoundedIn<std::int32_t>(value_, TDataType::dtLongint);
}

float NumInpEngine::AsSingle() const {
    return ConvertedIn<float>(value_, TDataType::dtSingle);
}

double NumInpEngine::AsDouble() const {
    return ConvertedIn<double>(value_, TDataType::dtDouble);
}

double NumInpEngine::AsReal() const {
    return ConvertedIn<double>(value_, TDataType::dtReal);
}

bool NumInpEngine::Valid(long double value) {
    const bool outside = validate_ && (value < min_ || value > max_);
    if (!outside && std::isfinite(value)) return true;
    Report("Value must be between " + FloatToTextF(min_, TFloatFormat::ffGeneral, 15, 0, locale_) +
           " and " + FloatToTextF(max_, TFloatFormat::ffGeneral, 15, 0, locale_));
    return false;
}

std::string NumInpEngine::AsMoneyStr() {
    AmountWords words = AmountToWords(Text(), locale_);
    if (words.Error == AmountWords::Failure::Exceeded)
        Report("Exceeded max value of 99,999,999.99");
    return words.Text;
}

// --- Private helpers ---

void NumInpEngine::FormatValue() {
    edit_.SetMaxLength(numericType_ == TNumericType::ntExponent ? digits_ + decimals_ + 3
                                                                : digits_);
    if (IsIntegerType(dataType_)) {
        // Rounded as a long double: no integer type has to hold it.
        value_ = std::rint(value_);
        SetText(FloatToTextF(value_, TFloatFormat::ffFixed, 18, 0, locale_));
    } else {
        SetText(FloatToTextF(value_, FormatOf(numericType_), digits_, decimals_, locale_));
    }
    fontColor_ = value_ >= 0 ? oldColor_ : negColor_;
}

void NumInpEngine::ClampToDataType() {
    const DataTypeRange range = RangeOf(dataType_);
    if (!range.Contains(min_)) min_ = range.Lowest;
    if (!range.Contains(max_)) max_ = range.Highest;
    if (!range.Contains(value_)) value_ = 0;
}

void NumInpEngine::Report(const std::string& text) {
    if (useMsgBox_)
        feedback_->ErrorBox(text);
    else
        feedback_->Beep(BeepSound::Default);
}

void NumInpEngine::Refuse(char32_t& key) {
    feedback_->Beep(BeepSound::Default);
    key = kNoKey;
}

// --- Events ---

void NumInpEngine::FocusEnter() {
    if (!autoSelect_) edit_.SetCaret(0);
    focused_ = true;
    if (autoSelect_) edit_.SelectAll();
}

bool NumInpEngine::FocusExit() {
    std::u32string reduced;
    for (char32_t c : edit_.Text()) {
        if (c == U'+' || c == U'-' || IsDigit(c) || c == U'E' || c == U'e' ||
            c == locale_.DecimalSeparator)
            reduced += c;
    }
    if (reduced.empty()) reduced = U"0";
    const std::string text = EncodeUtf8(reduced);
    SetText(text);

    long double number = 0;
    if (!LocaleTextToFloat(text, locale_, number)) {
        Report("'" + text + "' is no valid numeric input.");
        edit_.SelectAll();
        return false;
    }
    if (!Valid(number)) {
        edit_.SelectAll();
        return false;
    }
    value_ = number;
    FormatValue();
    focused_ = false;
    return true;
}

KeyAction NumInpEngine::KeyPress(char32_t key, std::string_view clipboard) {
    if (key == kEnter && tabOnEnterKey_) return KeyAction::FocusNext;
    if (key == kEscape) {
        edit_.Undo();
        edit_.SelectAll();
        return KeyAction::Handled;
    }
    if (key == kCopy || key == kCut) return KeyAction::PassOn;
    if (key == kPaste) {
        Paste(clipboard);
        return KeyAction::Handled;
    }

    const LineEditBuffer::State before = edit_.Snapshot();
    const bool numberKey = key == kBackspace || key == U'+' || key == U'-' || IsDigit(key) ||
                           key == U'E' || key == U'e' || key == locale_.DecimalSeparator;
    if (!numberKey) {
        key = kNoKey;
    } else if (IsIntegerType(dataType_) && key != kBackspace && key != U'+' && key != U'-' &&
               !IsDigit(key)) {
        key = kNoKey;
    }
    bool selectionDeleted = false;
    key = numericType_ == TNumericType::ntExponent ? ExponentRules(key)
                                                   : OtherRules(key, selectionDeleted);
    if (key == kBackspace) {
        // A selection the rules removed was what the backspace was for.
        if (!selectionDeleted) edit_.Backspace();
    } else if (key != kNoKey) {
        edit_.Type(key);
    }
    edit_.RememberForUndo(before);
    return KeyAction::Handled;
}

char32_t NumInpEngine::ExponentRules(char32_t key) {
    const std::u32string& t = edit_.Text();
    const auto s = static_cast<std::size_t>(edit_.SelStart());
    const auto ePos = t.find(U'E');
    const bool hasE = ePos != std::u32string::npos;
    const std::size_t e = hasE ? ePos + 1 : 0;  // 1-based, as the caret counts
    const char32_t after = s < t.size() ? t[s] : kNoKey;
    const char32_t before = s > 0 ? t[s - 1] : kNoKey;
    const char32_t sep = locale_.DecimalSeparator;
    const bool signAfter = after == U'+' || after == U'-';

    if (key == U'e') key = U'E';
    if (key == U'+' || key == U'-' || IsDigit(key) || key == U'E' || key == sep) {
        const bool refused = (key == sep && t.find(sep) != std::u32string::npos) ||
                             (key == U'E' && hasE) || (key == U'-' && s > 0 && !hasE) ||
                             (key == U'+' && !hasE) || (key == U'-' && hasE && s != e && s > 0) ||
                             (hasE && signAfter) || (key == U'+' && hasE && s != e) ||
                             (key == U'E' && !IsDigit(before));
        if (refused) Refuse(key);
    } else if (key == kBackspace && hasE && s == e && s < t.size() && signAfter) {
        Refuse(key);
    }
    return key;
}

char32_t NumInpEngine::OtherRules(char32_t key, bool& selectionDeleted) {
    const char32_t sep = locale_.DecimalSeparator;
    if (edit_.HasSelection()) {
        const auto start = static_cast<std::size_t>(edit_.SelStart());
        const auto end = start + static_cast<std::size_t>(edit_.SelLength());
        const auto p = edit_.Text().find(sep, start);
        if (p != std::u32string::npos && p < end)
            edit_.SetSelection(edit_.Length(), static_cast<int>(start));
        edit_.DeleteSelection();
        selectionDeleted = true;
    }

    // Only digits, the minus and the separator stay; thousands separators and signs typed
    // before go.
    std::u32string kept;
    int caret = 0;
    for (std::size_t i = 0; i < edit_.Text().size(); ++i) {
        const char32_t c = edit_.Text()[i];
        if (!IsDigit(c) && c != U'-' && c != sep) continue;
        kept += c;
        if (static_cast<int>(i) < edit_.Caret()) ++caret;
    }
    if (kept != edit_.Text()) {
        edit_.SetText(kept);
        edit_.SetCaret(caret);
    }

    const std::u32string& t = edit_.Text();
    const int len = static_cast<int>(t.size());
    const int s = edit_.Caret();
    const auto sepAt = t.find(sep);
    const int p = sepAt == std::u32string::npos ? 0 : static_cast<int>(sepAt) + 1;
    const int decimals = decimals_;
    // Room for the integer part; without a maximum length there is no limit to keep.
    const int room =
        edit_.MaxLength() == 0 ? std::numeric_limits<int>::max() / 2 : edit_.MaxLength() - decimals;

    if (key == kBackspace) {
        if (p > 0 && s == p && s < len && len > room) Refuse(key);
        return key;
    }
    if (key == sep && (decimals == 0 || p > 0 || len - s > decimals)) {
        Refuse(key);
        return key;
    }
    if (key == U'-' && s != 0) {
        Refuse(key);
        return key;
    }
    if (p > 0 && p >= room && s < p) {
        Refuse(key);
    } else if (IsDigit(key) && decimals > 0 && s <= room && len >= room - 1 && p == 0) {
        if (s == room - 1)
            key = sep;
        else
            Refuse(key);
    } else if (p > 0 && len - p >= decimals && s >= p) {
        Refuse(key);
    }
    return key;
}

void NumInpEngine::Paste(std::string_view clipboard) {
    const LineEditBuffer::State before = edit_.Snapshot();
    const long double oldValue = value_;
    auto undoPaste = [&] {
        edit_.SetText(before.Text);
        edit_.SetSelection(before.Anchor, before.Caret);
        value_ = oldValue;
        feedback_->Beep(BeepSound::Default);
    };
    // A single-line edit takes the clipboard's first line.
    const std::string_view line = clipboard.substr(0, clipboard.find_first_of("\r\n"));
    edit_.ReplaceSelection(DecodeUtf8(line));

    long double number = 0;
    if (!LocaleTextToFloat(Text(), locale_, number)) {
        undoPaste();
        return;
    }
    value_ = number;
    Valid(value_);
    FormatValue();
    if (edit_.MaxLength() != 0 && edit_.Length() > edit_.MaxLength()) {
        // The value goes back with the text, so what is shown is what is held.
        undoPaste();
        return;
    }
    edit_.RememberForUndo(before);
}

// --- Painting ---

bool NumInpEngine::PaintsItself(bool hasFocus) {
    if (hasFocus) focused_ = true;
    return !focused_ && alignment_ != TAlignment::taLeftJustify;
}

void NumInpEngine::UpdateTextMargin(int systemFontHeight, int controlFontHeight) {
    textMargin_ = std::min(systemFontHeight, controlFontHeight) / 4;
}

OwnPaintLayout NumInpEngine::LayoutOwnPaint(const TRect& client, bool singleBorder,
                                            int textWidth) const {
    OwnPaintLayout layout;
    TRect r = client;
    if (singleBorder) {
        layout.Frame = r;
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    layout.TextArea = r;
    const int margin = singleBorder ? textMargin_ : 0;
    layout.TextOrigin.Y = r.Top + margin;
    layout.TextOrigin.X = alignment_ == TAlignment::taRightJustify
                              ? r.Right - textWidth - margin
                              : (r.Left + r.Right - textWidth) / 2;
    return layout;
}

}  // namespace vela
