#pragma once

#include <string>
#include <string_view>

namespace vela {

// UTF-8 text as one element per character and back, for editing by character positions.
// A malformed byte becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
std::string EncodeUtf8(char32_t c);

}  // namespace vela
