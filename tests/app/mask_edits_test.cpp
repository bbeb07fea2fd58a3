#include <gtest/gtest.h>

#include <QTest>

#include "app/h_edit_mask.h"
#include "app/input_control_fixture.h"
#include "app/long_edit_mask.h"
#include "app/qt_input_mask.h"
#include "controls/sexagesimal.h"

namespace vela::app {
namespace {

class HEditMaskWidgetTest : public InputControlFixture<THEditMask> {};

TEST_F(HEditMaskWidgetTest, EveryTypeShowsItsTextThroughItsMask) {
    for (int t = 0; t <= 6; ++t) {
        const auto type = static_cast<THEditMaskType>(t);
        control_->SetHEditMaskType(type);
        EXPECT_EQ(control_->inputMask(), QtInputMask(InfoOf(type).EditMask)) << t;
        EXPECT_EQ(control_->displayText().toStdString(), control_->Engine().Text()) << t;
    }
    control_->SetHEditMaskType(THEditMaskType::LPlusMinus360);
    for (long double v : {-5.0L, 360.0L, -360.0L, 12.3015L}) {
        control_->SetValue(v);
        EXPECT_EQ(control_->displayText().toStdString(), control_->Engine().Text());
    }
    EXPECT_EQ(control_->displayText(), " 012  ° 30 '  15 \" ");
}

TEST_F(HEditMaskWidgetTest, LeavingChecksWhatWasTyped) {
    control_->SetHEditMaskType(THEditMaskType::H24);
    control_->setCursorPosition(0);
    QTest::keyClicks(control_, "0830");
    EXPECT_EQ(control_->displayText(), "08  h 30 m  00 s");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next_);
    EXPECT_EQ(control_->GetValue(), JoinSexagesimal(8, 30, 0));
    EXPECT_TRUE(feedback_.Beeps().empty());

    control_->setFocus();
    control_->setCursorPosition(0);
    QTest::keyClicks(control_, "30");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(control_->displayText(), "12  h 00 m  00 s");
    EXPECT_EQ(feedback_.Beeps(), std::vector<BeepSound>{BeepSound::System});
    EXPECT_EQ(QApplication::focusWidget(), next_);  // a mask edit lets the focus go
    EXPECT_DOUBLE_EQ(control_->property("Value").toDouble(), 8.3);
}

class LongEditMaskWidgetTest : public InputControlFixture<TLongEditMask> {};

TEST_F(LongEditMaskWidgetTest, ARefusedEntryBringsBackTheValueTheProgramSet) {
    control_->SetLongType(TLongType::L_1_12);
    control_->SetValue(5);
    EXPECT_EQ(control_->maxLength(), 2);
    EXPECT_EQ(control_->inputMask(), "");  // until the first check

    control_->selectAll();
    QTest::keyClicks(control_, "13");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(control_->text(), "5");
    EXPECT_EQ(control_->GetValue(), 5);
    EXPECT_EQ(control_->inputMask(), "###");
    EXPECT_EQ(feedback_.Beeps(), std::vector<BeepSound>{BeepSound::System});

    control_->setFocus();
    control_->selectAll();
    QTest::keyClicks(control_, "7");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(control_->GetValue(), 7);
    EXPECT_EQ(control_->property("Value").toInt(), 7);
    EXPECT_EQ(feedback_.Beeps().size(), 1u);
}

}  // namespace
}  // namespace vela::app
