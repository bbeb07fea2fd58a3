#include "controls/amount_in_words.h"

#include <gtest/gtest.h>

#include "controls/control_locales.h"

namespace vela {
namespace {

using Failure = AmountWords::Failure;

TEST(AmountInWords, AmountsAsOnACheque) {
    struct Case {
        const char* text;
        const char* words;
    } cases[] = {
        {"1234.56", "One Thousand Two Hundred Thirty Four And 56/100 Dollars"},
        // Empty words keep their blanks.
        {"20", "Twenty  And 00/100 Dollars"},
        {"105000", "One Hundred Five Thousand  And 00/100 Dollars"},
        {"1000000", "One Million  And 00/100 Dollars"},
        {"12000", "Twelve Thousand  And 00/100 Dollars"},
        {"15", "Fifteen And 00/100 Dollars"},
        {"7", "Seven And 00/100 Dollars"},
        {"200000", "Two Hundred Thousand  And 00/100 Dollars"},
        {"99999999.99",
         "Ninty Nine Million Nine Hundred Ninty Nine Thousand Nine Hundred Ninty "
         "Nine And 99/100 Dollars"},
        {"1.5e3", "One Thousand Five Hundred  And 00/100 Dollars"},
        // Below a dollar, and every negative amount, the words are asterisks.
        {"0.5", "********And 50/100 Dollars"},
        {"-5", "********And 00/100 Dollars"},
        {"0.125", "********And 12/100 Dollars"},  // a tie goes to even
        // Only signs, digits, exponents and the separator are read.
        {"$1,234.56", "One Thousand Two Hundred Thirty Four And 56/100 Dollars"},
    };
    for (const Case& c : cases) {
        const AmountWords w = AmountToWords(c.text, DotLocale());
        EXPECT_EQ(w.Text, c.words) << c.text;
        EXPECT_EQ(w.Error, Failure::None) << c.text;
    }
}

TEST(AmountInWords, CommaLocaleReadsAndSplitsAtTheComma) {
    EXPECT_EQ(AmountToWords("1.234,56 \xE2\x82\xAC", CommaLocale()).Text,
              "One Thousand Two Hundred Thirty Four And 56/100 Dollars");
    EXPECT_EQ(AmountToWords("0,5", CommaLocale()).Text, "********And 50/100 Dollars");
}

TEST(AmountInWords, FailuresGiveError) {
    struct Case {
        const char* text;
        Failure why;
    } cases[] = {
        {"100000000", Failure::Exceeded},
        {"99999999.995", Failure::Exceeded},  // rounds up to 100,000,000.00
        {"1e20", Failure::Exceeded},
        {"", Failure::Malformed},
        {"abc", Failure::Malformed},
        {"1-2", Failure::Malformed},
        {"-1.5e12", Failure::Malformed},  // no dollars and cents to split
    };
    for (const Case& c : cases) {
        const AmountWords w = AmountToWords(c.text, DotLocale());
        EXPECT_EQ(w.Text, "ERROR") << c.text;
        EXPECT_EQ(w.Error, c.why) << c.text;
    }
}

}  // namespace
}  // namespace vela
