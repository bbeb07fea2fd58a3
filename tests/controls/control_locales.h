#pragma once

#include "controls/number_formats.h"

namespace vela {

// A locale with "." for decimals (the default one) and one with ",", "." for thousands and the
// euro after the amount.
inline NumberLocale DotLocale() {
    return {};
}

inline NumberLocale CommaLocale() {
    NumberLocale locale;
    locale.DecimalSeparator = U',';
    locale.ThousandSeparator = ".";
    locale.Currency = {"", " \xE2\x82\xAC", "-", " \xE2\x82\xAC"};
    return locale;
}

}  // namespace vela
