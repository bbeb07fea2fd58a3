#include "controls/amount_in_words.h"

#include <array>
#include <cstdint>
#include <initializer_list>

#include "text/utf8_chars.h"

namespace vela {

namespace {

constexpr std::array<std::string_view, 20> kOnes = {
    "",         "One",     "Two",     "Three",     "Four",     "Five",    "Six",
    "Seven",    "Eight",   "Nine",    "Ten",       "Eleven",   "Twelve",  "Thirteen",
    "Fourteen", "Fifteen", "Sixteen", "Seventeen", "Eighteen", "Nineteen"};
// Indexed by the tens digit 2..9; the spellings are the cheques' own.
constexpr std::array<std::string_view, 10> kTens = {"",      "",      "Twenty",  "Thirty", "Fourty",
                                                    "Fifty", "Sixty", "Seventy", "Eighty", "Ninty"};

constexpr long double kLargestAmount = 99999999.99L;

// Each word followed by one blank, an empty word too.
std::string Group(std::initializer_list<std::string_view> words) {
    std::string out;
    for (std::string_view w : words) {
        out += w;
        out += ' ';
    }
    return out;
}

AmountWords Failed(AmountWords::Failure why) {
    return {"ERROR", why};
}

}  // namespace

AmountWords AmountToWords(std::string_view text, const NumberLocale& locale) {
    std::u32string kept;
    for (char32_t c : DecodeUtf8(text)) {
        if (c == U'+' || c == U'-' || (c >= U'0' && c <= U'9') || c == U'E' || c == U'e' ||
            c == locale.DecimalSeparator)
            kept += c;
    }
    long double amount = 0;
    if (!LocaleTextToFloat(EncodeUtf8(kept), locale, amount))
        return Failed(AmountWords::Failure::Malformed);

    const std::string fixed = FloatToTextF(amount, TFloatFormat::ffFixed, 11, 2, locale);
    long double rounded = 0;
    if (!LocaleTextToFloat(fixed, locale, rounded)) return Failed(AmountWords::Failure::Malformed);
    if (rounded > kLargestAmount) return Failed(AmountWords::Failure::Exceeded);
    // Far below zero the fixed text turns scientific and has no dollars and cents to split.
    if (fixed.find('E') != std::string::npos) return Failed(AmountWords::Failure::Malformed);

    const std::string sep = EncodeUtf8(locale.DecimalSeparator);
    const auto point = fixed.find(sep);
    const std::string wholeText = fixed.substr(0, point);
    std::string cents = point == std::string::npos ? "" : fixed.substr(point + sep.size());
    // The dollars as a number; "-0" and every negative amount count as none.
    std::int64_t n = 0;
    for (char c : wholeText)
        if (c >= '0' && c <= '9') n = n * 10 + (c - '0');
    if (!wholeText.empty() && wholeText.front() == '-') n = -n;

    auto d = [n](int place) {  // the digit of 10^(place-1)
        std::int64_t v = n;
        for (int k = 1; k < place; ++k) v /= 10;
        return static_cast<std::size_t>(v % 10);
    };
    std::string words;
    if (n >= 1) {
        if (n < 10)
            words = Group({kOnes[d(1)]});
        else if (d(2) < 2)
            words = Group({kOnes[10 * d(2) + d(1)]});
        else
            words = Group({kTens[d(2)], kOnes[d(1)]});
    }
    if (n >= 100 && d(3) != 0) words = Group({kOnes[d(3)], "Hundred"}) + words;
    if (n >= 1000) {
        if (n < 10000 || d(5) == 0) {
            if (d(4) != 0) words = Group({kOnes[d(4)], "Thousand"}) + words;
        } else if (d(5) == 1) {
            words = Group({kOnes[10 + d(4)], "Thousand"}) + words;
        } else {
            words = Group({kTens[d(5)], kOnes[d(4)], "Thousand"}) + words;
        }
    }
    if (n >= 100000 && d(6) != 0) {
        words = (d(5) == 0 && d(4) == 0 ? Group({kOnes[d(6)], "Hundred", "Thousand"})
                                        : Group({kOnes[d(6)], "Hundred"})) +
                words;
    }
    if (n >= 1000000) {
        if (n < 10000000)
            words = Group({kOnes[d(7)], "Million"}) + words;
        else if (d(8) < 2)
            words = Group({kOnes[10 * d(8) + d(7)], "Million"}) + words;
        else
            words = Group({kTens[d(8)], kOnes[d(7)], "Million"}) + words;
    }
    if (cents.empty()) cents = "00";
    if (words.empty()) words = "********";
    return {words + "And " + cents + "/100 Dollars", AmountWords::Failure::None};
}

}  // namespace vela
