#include "text/utf8_chars.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(Utf8Chars, OneElementPerCharacterAndBack) {
    const std::string text = "a\xC2\xB0\xE2\x82\xAC\xF0\x9F\x98\x80";  // a ° € and an emoji
    const std::u32string chars = DecodeUtf8(text);
    EXPECT_EQ(chars, (std::u32string{U'a', 0xB0, 0x20AC, 0x1F600}));
    EXPECT_EQ(EncodeUtf8(chars), text);
}

TEST(Utf8Chars, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("\xFFx"), (std::u32string{0xFFFD, U'x'}));
    EXPECT_EQ(DecodeUtf8("\xC2"), (std::u32string{0xFFFD}));      // cut short
    EXPECT_EQ(DecodeUtf8("\xC0\xAF"), (std::u32string{0xFFFD}));  // overlong "/"
    EXPECT_EQ(EncodeUtf8(char32_t{0xD800}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vela
