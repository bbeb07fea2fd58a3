#include "app/num_inp.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QTest>
#include <limits>

#include "app/input_control_fixture.h"

namespace vela::app {
namespace {

class NumInpWidgetTest : public InputControlFixture<TNumInp> {};

TEST_F(NumInpWidgetTest, TypedNumberIsTakenOnLeaving) {
    EXPECT_EQ(control_->text(), "0");
    EXPECT_EQ(control_->selectedText(), "0");  // entry selects all
    QTest::keyClicks(control_, "1a2+");        // a letter never gets in
    EXPECT_EQ(control_->text(), "12+");
    QTest::keyClicks(control_, ".5");  // a plus lasts until the next key
    EXPECT_EQ(control_->text(), "12.5");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next_);
    EXPECT_EQ(control_->Value(), 12.5L);
    EXPECT_EQ(control_->text(), "12.5");
    EXPECT_TRUE(feedback_.Beeps().empty());
}

TEST_F(NumInpWidgetTest, BackspaceOverASeparatorRemovesWhatTheEngineSays) {
    control_->SetMax(1e7L);
    control_->SetNumericType(TNumericType::ntNumber);
    struct Case {
        int cursor;
        const char* text;
        int cursorAfter;
    } cases[] = {
        {6, "123450", 4},  // right after the decimal separator: it goes
        {2, "234.50", 0},  // after a thousands separator: they all go, and the digit before
        {8, "1234.5", 6},
    };
    for (const Case& c : cases) {
        control_->SetValue(0);
        control_->SetValue(1234.5L);
        ASSERT_EQ(control_->text(), "1,234.50");
        control_->setCursorPosition(c.cursor);
        QTest::keyClick(control_, Qt::Key_Backspace);
        EXPECT_EQ(control_->text(), c.text) << c.cursor;
        EXPECT_EQ(control_->cursorPosition(), c.cursorAfter) << c.cursor;
    }
}

TEST_F(NumInpWidgetTest, PasteStoresTheValueAndUndoesAnOverlongText) {
    QApplication::clipboard()->setText("12345678901234567");
    QTest::keyClick(control_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(control_->text(), "0");
    EXPECT_EQ(control_->Value(), 0);
    EXPECT_EQ(feedback_.Beeps().size(), 2u);  // out of range, then too long

    QApplication::clipboard()->setText("42");
    control_->selectAll();
    QTest::keyClick(control_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(control_->text(), "42");
    EXPECT_EQ(control_->Value(), 42);  // at once, before leaving
}

TEST_F(NumInpWidgetTest, PasteFromTheContextMenuGoesThroughTheEngineToo) {
    QApplication::clipboard()->setText("12345678901234567");
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, control_->mapToGlobal(at));
    QApplication::sendEvent(control_, &event);
    QMenu* menu = control_->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().contains("Paste")) paste = action;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(control_->text(), "0");
    EXPECT_EQ(feedback_.Beeps().size(), 2u);
}

TEST_F(NumInpWidgetTest, AValueOutOfRangeKeepsTheFocus) {
    control_->SetUseMsgBox(true);
    QTest::keyClicks(control_, "150");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control_);
    EXPECT_EQ(control_->selectedText(), "150");
    EXPECT_EQ(feedback_.Boxes(), std::vector<std::string>{"Value must be between 0 and 100"});
    EXPECT_EQ(control_->Value(), 0);

    QTest::keyClicks(control_, "50");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next_);
    EXPECT_EQ(control_->Value(), 50);
}

TEST_F(NumInpWidgetTest, EnterMovesOnOnlyWithTabOnEnterKey) {
    QTest::keyClicks(control_, "7");
    QTest::keyClick(control_, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), control_);
    control_->SetTabOnEnterKey(true);
    QTest::keyClick(control_, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), next_);
    EXPECT_EQ(control_->Value(), 7);
}

TEST_F(NumInpWidgetTest, ArrowsMoveTheFocusAndEscapeUndoes) {
    QTest::keyClicks(control_, "12");
    QTest::keyClick(control_, Qt::Key_Escape);
    EXPECT_EQ(control_->text(), "1");
    EXPECT_EQ(control_->selectedText(), "1");
    QTest::keyClick(control_, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), next_);
    EXPECT_EQ(control_->Value(), 1);
}

TEST_F(NumInpWidgetTest, NumbersFollowTheWidgetsLocale) {
    control_->setLocale(QLocale(QLocale::German, QLocale::Germany));
    control_->SetMax(1e6L);
    control_->SetNumericType(TNumericType::ntNumber);
    control_->SetValue(1234.5L);
    EXPECT_EQ(control_->text(), "1.234,50");
    control_->selectAll();
    QTest::keyClicks(control_, "12,5");
    QTest::keyClick(control_, Qt::Key_Tab);
    EXPECT_EQ(control_->Value(), 12.5L);
    EXPECT_EQ(control_->text(), "12,50");
}

TEST_F(NumInpWidgetTest, NegativeValuesTakeTheNegativeColour) {
    control_->SetMin(-10);
    control_->SetNegativeColor(clRed);
    control_->SetValue(-5);
    EXPECT_EQ(control_->palette().color(QPalette::Text), QColor(Qt::red));
    control_->SetValue(5);
    EXPECT_NE(control_->palette().color(QPalette::Text), QColor(Qt::red));
}

// The columns in which the control shows red (its negative text).
std::pair<int, int> RedColumns(QWidget& w) {
    const QImage image = w.grab().toImage();
    int first = image.width();
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            // Red text antialiased on a white background.
            if (c.red() - c.green() > 80 && c.red() - c.blue() > 80) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

TEST_F(NumInpWidgetTest, WithoutTheFocusTheTextIsPaintedAligned) {
    control_->setFixedWidth(200);
    control_->SetMin(-10);
    control_->SetNegativeColor(clRed);
    control_->SetValue(-5);
    next_->setFocus();
    ASSERT_FALSE(control_->Engine().Focused());

    const auto [leftFirst, leftLast] = RedColumns(*control_);
    ASSERT_LE(leftFirst, leftLast);  // the text is there
    EXPECT_LT(leftLast, 60);
    control_->SetAlignment(TAlignment::taRightJustify);
    const auto [rightFirst, rightLast] = RedColumns(*control_);
    ASSERT_LE(rightFirst, rightLast);
    EXPECT_GT(rightFirst, 140);
    EXPECT_LT(rightLast, 200);
    control_->SetAlignment(TAlignment::taCenter);
    const auto [centreFirst, centreLast] = RedColumns(*control_);
    ASSERT_LE(centreFirst, centreLast);
    EXPECT_NEAR((centreFirst + centreLast) / 2, 100, 8);

    control_->setFocus();  // with the focus the edit paints itself, left-aligned
    control_->deselect();
    const auto [focusedFirst, focusedLast] = RedColumns(*control_);
    ASSERT_LE(focusedFirst, focusedLast);
    EXPECT_LT(focusedLast, 60);
}

TEST_F(NumInpWidgetTest, PropertiesCarryValuesAsDoubles) {
    EXPECT_TRUE(control_->setProperty("Max", 500.0));
    EXPECT_TRUE(control_->setProperty("Value", 250.0));
    EXPECT_EQ(control_->Value(), 250);
    EXPECT_EQ(control_->property("Value").toDouble(), 250.0);
    EXPECT_TRUE(control_->setProperty("Datatype", static_cast<int>(TDataType::dtWord)));
    EXPECT_EQ(control_->property("Decimals").toInt(), 0);

    control_->SetDatatype(TDataType::dtExtended);
    control_->SetValidate(false);
    control_->SetValue(1e4000L);
    EXPECT_EQ(control_->property("Value").toDouble(), std::numeric_limits<double>::max());
    EXPECT_EQ(control_->AsDouble(), 0.0);
}

}  // namespace
}  // namespace vela::app
