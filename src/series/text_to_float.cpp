#include "series/text_to_float.h"

#include <string>

#include "text/words.h"

namespace vela {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether text is spaces, [sign] digits [. digits] [e [sign] digits] with at least one digit
// before the exponent.
bool IsFloatText(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; i < n && IsDigit(text[i]); ++i) ++digits;
    if (i < n && text[i] == '.') {
        for (++i; i < n && IsDigit(text[i]); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t expStart = i;
        while (i < n && IsDigit(text[i])) ++i;
        if (i == expStart) return false;
    }
    return i == n;
}

// The value of a text that passed IsFloatText; false when it is too large for a double.
bool ReadFloat(std::string_view text, double& value) {
    return IsFloatText(text) && TextToDouble(text, value);
}

}  // namespace

bool TryTextToFloat(std::string_view text, double& value, double defaultValue) {
    double v = 0;
    if (ReadFloat(text, v)) {
        value = v;
        return true;
    }
    const auto comma = text.find(',');
    if (comma != std::string_view::npos && text.find('.') == std::string_view::npos) {
        std::string withPoint(text);
        withPoint[comma] = '.';
        if (ReadFloat(withPoint, v)) {
            value = v;
            return true;
        }
    }
    value = defaultValue;
    return false;
}

}  // namespace vela
