#pragma once

#include <string_view>

namespace vela {

// Reads a number the way the series text forms do: optional leading spaces, an optional
// sign, digits with an optional "." fraction, an optional exponent, and nothing after it;
// "." is always the decimal point. When that fails and the text has a comma but no ".", the
// first comma is read as the point. On failure `value` becomes `defaultValue`.
bool TryTextToFloat(std::string_view text, double& value, double defaultValue);

}  // namespace vela
