#include "controls/h_edit_mask_engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "controls/sexagesimal.h"
#include "platform/recording_input_feedback.h"

namespace vela {
namespace {

using T = THEditMaskType;

class HEditMaskEngineTest : public ::testing::Test {
  protected:
    HEditMaskEngine MakeEngine(T type) {
        HEditMaskEngine e(feedback_);
        e.SetHEditMaskType(type);
        return e;
    }

    RecordingInputFeedback feedback_;
};

TEST_F(HEditMaskEngineTest, EachTypeBringsItsMaskMaximumAndDefaultText) {
    struct Case {
        T type;
        const char* mask;
        long double max;
        const char* shown;  // the default text as the mask lays it out
    } cases[] = {
        {T::H24, "!99  h 99 m  99 s;1;", 24, "12  h 00 m  00 s"},
        {T::H12, "!99  h 99 m  99 s ;1;", 12, "00  h 00 m  00 s "},
        {T::L90, "!99  ° 99 '  99 \" ;1;", 90, "00  ° 00 '  00 \" "},
        {T::L180, "!999  ° 99 '  99 \" ;1;", 180, "000  ° 00 '  00 \" "},
        {T::L360, "!999  ° 99 '  99 \" ;1;", 360, "000  ° 00 '  00 \" "},
        {T::LPlusMinus360, "!####  ° 99 '  99 \" ;1;", 360, " 000  ° 00 '  00 \" "},
        {T::L10000, "!99999  ° 99 '  99 \" ;1;", 10000, "  000  ° 00 '  00 \" "},
    };
    for (const Case& c : cases) {
        HEditMaskEngine e = MakeEngine(c.type);
        EXPECT_EQ(e.GetHEditMaskType(), c.type);
        EXPECT_EQ(e.EditMask(), c.mask);
        EXPECT_EQ(e.GetMaxValue(), c.max);
        EXPECT_EQ(e.DefaultText(), InfoOf(c.type).DefaultText);
        EXPECT_EQ(e.Text(), c.shown);
    }
}

TEST_F(HEditMaskEngineTest, AnAcceptedTextKeepsTheDefaultTextWhenTheTypeChanges) {
    HEditMaskEngine e = MakeEngine(T::H24);
    e.SetText("10  h 00 m  00 s");
    e.SetHEditMaskType(T::H12);  // 10 is a valid H12 text: H24's default stays
    EXPECT_EQ(e.DefaultText(), "12  h 00 m  00 s");
    EXPECT_EQ(e.Text(), "12  h 00 m  00 s ");
    EXPECT_EQ(e.GetValue(), 10);
    e.SetText("20  h 00 m  00 s");
    e.SetHEditMaskType(T::H12);
    EXPECT_EQ(e.DefaultText(), "00  h 00 m  00 s");
    // From hours to degrees the text is valid, but the hours' default does not fit the mask.
    e.SetText("10  h 00 m  00 s");
    e.SetHEditMaskType(T::L90);
    EXPECT_EQ(e.DefaultText(), "00  ° 00 '  00 \"");
    EXPECT_EQ(e.Text(), "00  ° 00 '  00 \" ");
}

TEST_F(HEditMaskEngineTest, CheckTextHoldsTheTypesLimitsAndTheMaximum) {
    struct Case {
        T type;
        const char* text;
        bool accepted;
        long double value;  // after the check; a refusal keeps 7
    } cases[] = {
        {T::H24, "24  h 00 m  00 s", true, 24},
        {T::H24, "24  h 00 m  01 s", false, 7},  // 24.0001 > 24
        {T::H24, "12  h 60 m  00 s", true, 12.6L},
        {T::H24, "12  h 61 m  00 s", false, 7},
        {T::H24, "12  h 00 m  61 s", false, 7},
        {T::H24, "25  h 00 m  00 s", false, 7},
        {T::H24, "    h 30 m  00 s", false, 7},  // no whole part
        {T::H24, "12  h    m  00 s", false, 7},
        {T::H12, " 9  h 05 m  30 s ", true, 9.053L},
        {T::LPlusMinus360, "-360  ° 00 '  00 \" ", true, -360},
        {T::LPlusMinus360, "-361  ° 00 '  00 \" ", false, 7},
        {T::LPlusMinus360, "-005  ° 30 '  00 \" ", true, -5.3L},
        {T::LPlusMinus360, "   -  ° 30 '  00 \" ", false, 7},
        {T::L10000, "10000  ° 00 '  00 \" ", true, 10000},
        {T::L10000, "10000  ° 00 '  01 \" ", false, 7},
        {T::L90, "90  ° 00 '  00 \" ", true, 90},
    };
    for (const Case& c : cases) {
        HEditMaskEngine e = MakeEngine(c.type);
        e.SetValue(7);
        e.SetText(c.text);
        EXPECT_EQ(e.CheckText(), c.accepted) << c.text;
        EXPECT_EQ(e.GetValue(), c.value) << c.text;
    }
}

TEST_F(HEditMaskEngineTest, SetValueComposesTheTextOrShowsTheFallback) {
    struct Case {
        T type;
        long double value;
        const char* shown;
        long double held;
    } cases[] = {
        {T::H24, 12.30149999L, "12  h 30 m  15 s", 12.3015L},
        {T::H24, 1.75L, "12  h 00 m  00 s", 1.75L},  // 75 minutes: fallback, value held
        {T::H24, -0.3015L, "00  h 30 m  15 s", JoinSexagesimal(0, 30, 15)},
        {T::H12, 3.5L, "03  h 50 m  00 s ", 3.5L},
        {T::L90, 45.5959L, "45  ° 59 '  59 \" ", 45.5959L},
        {T::LPlusMinus360, -5, "-005  ° 00 '  00 \" ", -5},
        {T::LPlusMinus360, -360, "-360  ° 00 '  00 \" ", -360},
        {T::LPlusMinus360, 360, " 360  ° 00 '  00 \" ", 360},
        {T::L360, -5, "000  ° 00 '  00 \" ", -5},  // no room for the sign
        {T::L360, 361, "000  ° 00 '  00 \" ", 361},
        {T::L10000, 123.45L, "00123  ° 45 '  00 \" ", 123.45L},
        {T::L10000, 20000, "00000  ° 00 '  00 \" ", 20000},
    };
    for (const Case& c : cases) {
        HEditMaskEngine e = MakeEngine(c.type);
        e.SetValue(c.value);
        EXPECT_EQ(e.Text(), c.shown) << static_cast<double>(c.value);
        EXPECT_EQ(e.GetValue(), c.held) << static_cast<double>(c.value);
    }
}

TEST_F(HEditMaskEngineTest, ValuesBeyondTheCodingAreNotTaken) {
    HEditMaskEngine e = MakeEngine(T::L10000);
    e.SetValue(12);
    for (long double v : {std::nanl(""), 1e15L, -1e300L}) {
        e.SetValue(v);
        EXPECT_EQ(e.Text(), "00000  ° 00 '  00 \" ");
        EXPECT_EQ(e.GetValue(), 12);
    }
}

TEST_F(HEditMaskEngineTest, RealValueAndMaximum) {
    HEditMaskEngine e = MakeEngine(T::H24);
    e.SetValue(12.3015L);
    EXPECT_NEAR(e.GetRealValue(), 12.0 + 30.0 / 60 + 15.0 / 3600, 1e-12);
    e.SetMaxValue(0);
    EXPECT_EQ(e.GetMaxValue(), 24);
    e.SetMaxValue(12);
    EXPECT_EQ(e.GetMaxValue(), 12);
    e.SetText("13  h 00 m  00 s");
    EXPECT_FALSE(e.CheckText());
}

TEST_F(HEditMaskEngineTest, LeavingWithARefusedTextRestoresTheDefaultWithTheSystemBeep) {
    HEditMaskEngine e = MakeEngine(T::H24);
    e.SetText("08  h 15 m  00 s");
    e.FocusExit();
    EXPECT_TRUE(feedback_.Beeps().empty());
    EXPECT_EQ(e.GetValue(), 8.15L);
    e.SetText("30  h 15 m  00 s");
    e.FocusExit();
    EXPECT_EQ(e.Text(), "12  h 00 m  00 s");
    EXPECT_EQ(feedback_.Beeps(), std::vector<BeepSound>{BeepSound::System});
    EXPECT_EQ(e.GetValue(), 8.15L);
}

}  // namespace
}  // namespace vela
