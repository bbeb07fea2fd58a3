#pragma once

#include <string>
#include <string_view>

#include "controls/number_formats.h"

namespace vela {

// An amount spelt out as on a cheque, or why it could not be.
struct AmountWords {
    enum class Failure { None, Malformed, Exceeded };

    std::string Text;  // "ERROR" on a failure
    Failure Error = Failure::None;
};

// The amount in `text` (its signs, digits, "E", "e" and decimal separator, read with the
// locale) in words with the cents over 100: "One Thousand Two Hundred Thirty Four And
// 56/100 Dollars". Amounts below one dollar, negative ones included, have "********" for
// words. Amounts above 99,999,999.99 fail as Exceeded; texts that are no number, as Malformed.
AmountWords AmountToWords(std::string_view text, const NumberLocale& locale);

}  // namespace vela
