#include "app/qt_input_mask.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "app/qt_number_locale.h"
#include "controls/h_edit_mask_engine.h"

namespace vela::app {
namespace {

TEST(QtInputMask, MasksOfTheControlsInQtsSyntax) {
    struct Case {
        const char* mask;
        const char* qt;
    } cases[] = {
        {"!99  h 99 m  99 s;1;", "00  \\h 00 m  00 s"},
        {"!99  h 99 m  99 s ;1;", "00  \\h 00 m  00 s "},
        {"!99  ° 99 '  99 \" ;1;", "00  ° 00 '  00 \" "},
        {"!####  ° 99 '  99 \" ;1;", "####  ° 00 '  00 \" "},
        {"!99999  ° 99 '  99 \" ;1;", "00000  ° 00 '  00 \" "},
        {"###;1;", "###"},
        {"!999;1;_", "000;_"},
        {"", ""},
        // Required digits, letters, case and literals that Qt would read as mask characters.
        {"00-LlAaCc", "99-AaNnXx"},
        {">L<l", ">A<a"},
        {"9\\9 x bdn!", "0\\9 \\x \\b\\d\\n\\!"},
    };
    for (const Case& c : cases) EXPECT_EQ(QtInputMask(c.mask).toStdString(), c.qt) << c.mask;
}

TEST(QtNumberLocale, SeparatorsAndCurrencyComeFromQLocale) {
    const NumberLocale de = NumberLocaleOf(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.DecimalSeparator, U',');
    EXPECT_EQ(de.ThousandSeparator, ".");
    EXPECT_EQ(de.Currency.PositivePrefix, "");
    EXPECT_NE(de.Currency.PositiveSuffix.find("\xE2\x82\xAC"), std::string::npos);
    EXPECT_EQ(de.Currency.NegativePrefix, "-");

    const NumberLocale us = NumberLocaleOf(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.DecimalSeparator, U'.');
    EXPECT_EQ(us.ThousandSeparator, ",");
    EXPECT_EQ(us.Currency.PositivePrefix, "$");
    // Brackets become a minus sign, so that the sign survives reading the text back.
    EXPECT_EQ(us.Currency.NegativePrefix, "-$");
    EXPECT_EQ(us.Currency.NegativeSuffix, "");
}

TEST(QtNumberLocale, CharacterAndUtf16PositionsDifferOnlyBeyondTheBasicPlane) {
    const QString text = QString::fromUtf8(
        "a\xF0\x9F\x98\x80"
        "b");  // a, an emoji, b
    EXPECT_EQ(text.size(), 4);
    EXPECT_EQ(CharIndexOf(text, 3), 2);
    EXPECT_EQ(Utf16IndexOf(text, 2), 3);
    EXPECT_EQ(Utf16IndexOf(text, 9), 4);
}

}  // namespace
}  // namespace vela::app
