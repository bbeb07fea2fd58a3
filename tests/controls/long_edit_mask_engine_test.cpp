#include "controls/long_edit_mask_engine.h"

#include <gtest/gtest.h>

#include "platform/recording_input_feedback.h"

namespace vela {
namespace {

TEST(LongEditMaskEngine, MonthsFallBackToTheValueTheProgramSet) {
    RecordingInputFeedback feedback;
    LongEditMaskEngine e(feedback);
    EXPECT_EQ(e.EditMask(), "");  // until the first check
    e.SetLongType(TLongType::L_1_12);
    EXPECT_EQ(e.GetMinValue(), 1);
    EXPECT_EQ(e.GetMaxValue(), 12);
    EXPECT_EQ(e.MaxLength(), 2);
    e.SetValue(5);
    EXPECT_EQ(e.Text(), "5");

    e.SetText("7");
    e.FocusExit();
    EXPECT_EQ(e.EditMask(), "###;1;");
    EXPECT_EQ(e.GetValue(), 7);
    EXPECT_EQ(e.OldValue(), 5);
    EXPECT_TRUE(feedback.Beeps().empty());
    for (const char* refused : {"0", "13", "", "x"}) {
        e.SetText(refused);
        e.FocusExit();
        EXPECT_EQ(e.GetValue(), 5) << refused;  // not the 7 entered before
        EXPECT_EQ(e.Text(), "5") << refused;
    }
    EXPECT_EQ(feedback.Beeps(), std::vector<BeepSound>(4, BeepSound::System));
}

TEST(LongEditMaskEngine, TheWiderBoundSizesMaskAndLength) {
    struct Case {
        std::int32_t min, max;
        const char* mask;
        int maxLength;
    } cases[] = {
        {-500, 100, "#####;1;", 4},
        {-100, 100, "####;1;", 3},
        {1, 31, "###;1;", 2},
        {0, 0, "##;1;", 1},
        {-2147483647 - 1, 5, "############;1;", 11},
    };
    RecordingInputFeedback feedback;
    for (const Case& c : cases) {
        LongEditMaskEngine e(feedback);
        e.SetMinValue(c.min);
        e.SetMaxValue(c.max);
        e.SetLongType(TLongType::L_User);
        EXPECT_EQ(e.GetMinValue(), c.min);
        EXPECT_EQ(e.MaxLength(), c.maxLength) << c.min;
        e.CheckText();
        EXPECT_EQ(e.EditMask(), c.mask) << c.min;
    }
}

TEST(LongEditMaskEngine, TheFirstNumberOfTheTextWithinTheBoundsIsTaken) {
    RecordingInputFeedback feedback;
    LongEditMaskEngine e(feedback);
    e.SetMinValue(-500);
    e.SetMaxValue(100);
    for (const auto& [text, ok, value] : {std::tuple{" -42 ", true, -42},
                                          {"-500", true, -500},
                                          {"-501", false, -500},
                                          {"101", false, -500},
                                          {"-", false, -500},
                                          {"12 34", true, 12}}) {
        e.SetText(text);
        EXPECT_EQ(e.CheckText(), ok) << text;
        EXPECT_EQ(e.GetValue(), value) << text;
    }
    e.SetLongType(TLongType::L_1_31);
    EXPECT_EQ(e.GetMinValue(), 1);
    EXPECT_EQ(e.GetMaxValue(), 31);
}

}  // namespace
}  // namespace vela
