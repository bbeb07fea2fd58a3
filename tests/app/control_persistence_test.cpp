#include "app/control_persistence.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

#include "app/control_kinds.h"
#include "app/h_edit_mask.h"
#include "app/long_edit_mask.h"
#include "app/num_inp.h"
#include "settings/extended_ini_file.h"

namespace vela::app {
namespace {

template <typename T>
T* Make(QWidget* parent, const char* name) {
    auto* c = new T(parent);
    c->setObjectName(name);
    return c;
}

// One control of every kind, each in a state that differs from a fresh one's.
struct Controls {
    QWidget owner;
    TColorComboBox* colour = Make<TColorComboBox>(&owner, "Colour");
    THEditMask* hours = Make<THEditMask>(&owner, "Hours");
    QTabWidget* pages = Make<QTabWidget>(&owner, "Pages");
    TLongEditMask* count = Make<TLongEditMask>(&owner, "Count");
    QCheckBox* check = Make<QCheckBox>(&owner, "Check");
    QComboBox* combo = Make<QComboBox>(&owner, "Combo");
    QSpinBox* spin = Make<QSpinBox>(&owner, "Spin");
    TNumInp* number = Make<TNumInp>(&owner, "Number");
    QListWidget* list = Make<QListWidget>(&owner, "List");
    QScrollBar* scroll = Make<QScrollBar>(&owner, "Scroll");
    TCheckListBox* checks = Make<TCheckListBox>(&owner, "Checks");
    QLineEdit* edit = Make<QLineEdit>(&owner, "Edit");
    QPlainTextEdit* memo = Make<QPlainTextEdit>(&owner, "Memo");
    QTextEdit* rich = Make<QTextEdit>(&owner, "Rich");
    TShape* shape = Make<TShape>(&owner, "Shape");
    QSlider* track = Make<QSlider>(&owner, "Track");
    QWidget* plain = Make<QWidget>(&owner, "Plain");

    Controls() {
        pages->addTab(new QWidget, "a");
        pages->addTab(new QWidget, "b");
        pages->addTab(new QWidget, "c");
        combo->addItems({"x", "y", "z"});
        list->addItems({"p", "q", "r"});
        checks->AddItem("b");
        checks->AddItem("ab");
        checks->AddItem("c");
        spin->setRange(0, 1000);
        scroll->setRange(0, 100);
        track->setRange(0, 100);
        count->SetMaxValue(100000);
    }

    std::vector<QObject*> All() {
        return {colour, hours,  pages, count, check, combo, spin,  number, list,
                scroll, checks, edit,  memo,  rich,  shape, track, plain};
    }

    void SetDistinctState() {
        colour->SetSelected(0x0000FF);
        hours->SetValue(1.5L);
        pages->setCurrentIndex(2);
        count->SetValue(4711);
        check->setChecked(true);
        combo->setCurrentIndex(1);
        spin->setValue(250);
        number->SetValue(12.25L);
        list->setCurrentRow(2);
        scroll->setValue(40);
        checks->SetChecked(1, true);
        checks->SetChecked(2, true);
        edit->setText("IBM");
        memo->setPlainText("first\nsecond");
        rich->setPlainText("one\ntwo");
        shape->SetBrushColor(0x123456);
        track->setValue(70);
    }
};

TEST(ControlPersistence, EachKindIsWrittenInItsEncoding) {
    Controls c;
    c.SetDistinctState();
    TSpecIniFile ini("");
    WriteControls(ini, "S", c.All());
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {"Colour", "255"},
        {"Pages", "2"},
        {"Count", "4711"},
        {"Check", "1"},
        {"Combo", "1"},
        {"Spin", "250"},
        {"Number", "12.2500000000"},
        {"List", "2"},
        {"Scroll", "40"},
        {"Checks", "ab~c~"},
        {"Edit", "IBM"},
        {"Memo", "~first~second"},
        {"Rich", "~one~two"},
        {"Shape", "1193046"},
        {"Track", "70"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(ini.ReadString("S", e.key, "<none>"), e.value) << e.key;
    // A time mask stores its value as a double; a control of another kind stores nothing.
    double d = 0;
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "Hours", -1, d), c.hours->ValueDouble());
    EXPECT_EQ(ini.ReadString("S", "Plain", "<none>"), "<none>");
}

TEST(ControlPersistence, ReadingRestoresEveryKind) {
    Controls saved;
    saved.SetDistinctState();
    TSpecIniFile ini("");
    WriteControls(ini, "S", saved.All());

    Controls restored;
    ReadControls(ini, "S", restored.All());
    EXPECT_EQ(restored.colour->Selected(), 0x0000FF);
    EXPECT_DOUBLE_EQ(restored.hours->ValueDouble(), saved.hours->ValueDouble());
    EXPECT_EQ(restored.pages->currentIndex(), 2);
    EXPECT_EQ(restored.count->GetValue(), 4711);
    EXPECT_TRUE(restored.check->isChecked());
    EXPECT_EQ(restored.combo->currentIndex(), 1);
    EXPECT_EQ(restored.spin->value(), 250);
    EXPECT_DOUBLE_EQ(restored.number->ValueDouble(), 12.25);
    EXPECT_EQ(restored.list->currentRow(), 2);
    EXPECT_EQ(restored.scroll->value(), 40);
    // "b~" occurs inside "ab~": b comes back checked although it was not.
    EXPECT_TRUE(restored.checks->Checked(0));
    EXPECT_TRUE(restored.checks->Checked(1));
    EXPECT_TRUE(restored.checks->Checked(2));
    EXPECT_EQ(restored.edit->text(), "IBM");
    EXPECT_EQ(restored.memo->toPlainText(), "first\nsecond");
    EXPECT_EQ(restored.rich->toPlainText(), "one\ntwo");
    EXPECT_EQ(restored.shape->BrushColor(), 0x123456);
    EXPECT_EQ(restored.track->value(), 70);
}

TEST(ControlPersistence, MissingKeysKeepStateExceptListsOfLinesAndChecks) {
    Controls c;
    c.SetDistinctState();
    TSpecIniFile ini("");
    ReadControls(ini, "S", c.All());
    EXPECT_EQ(c.pages->currentIndex(), 2);
    EXPECT_EQ(c.combo->currentIndex(), 1);
    EXPECT_EQ(c.edit->text(), "IBM");
    EXPECT_EQ(c.spin->value(), 250);
    EXPECT_EQ(c.shape->BrushColor(), 0x123456);
    EXPECT_EQ(c.colour->Selected(), 0x0000FF);
    // A missing key unchecks every item and empties memos and rich edits.
    EXPECT_FALSE(c.checks->Checked(1));
    EXPECT_TRUE(c.memo->toPlainText().isEmpty());
    EXPECT_TRUE(c.rich->toPlainText().isEmpty());
}

TEST(ControlPersistence, BadValuesFallBackToTheControlsState) {
    Controls c;
    c.SetDistinctState();
    TSpecIniFile ini("");
    for (const char* key : {"Spin", "Combo", "Scroll", "Track", "Count", "Check"})
        ini.WriteString("S", key, "abc");
    ini.WriteString("S", "Pages", "-1");
    ReadControls(ini, "S", c.All());
    EXPECT_EQ(c.spin->value(), 250);
    EXPECT_EQ(c.combo->currentIndex(), 1);
    EXPECT_EQ(c.scroll->value(), 40);
    EXPECT_EQ(c.track->value(), 70);
    EXPECT_EQ(c.count->GetValue(), 4711);
    EXPECT_TRUE(c.check->isChecked());
    EXPECT_EQ(c.pages->currentIndex(), 2);
}

TEST(ControlPersistence, ColourComboAddsAColourNotInItsList) {
    TColorComboBox box;
    const int before = box.count();
    box.SetSelected(0x010203);
    EXPECT_EQ(box.count(), before + 1);
    EXPECT_EQ(box.Selected(), 0x010203);
    box.SetSelected(0xFF0000);
    EXPECT_EQ(box.count(), before + 1);
    EXPECT_EQ(ColorFromInt(box.Selected()), QColor(0, 0, 255));
}

TEST(ControlPersistence, AlertsReadBackAsWrittenAndUnreadableEntriesAreLeftOut) {
    PriceAlert fired;
    fired.Level = 0.1 + 0.2;  // not a short decimal: read back to the bit
    fired.Fired = true;
    fired.Direction = AlertDirection::FromBelow;
    fired.Last = 3830.8;
    PriceAlert armed;
    armed.Level = -2.5;
    const std::string value = AlertsValue({fired, armed});
    EXPECT_EQ(value, "0.30000000000000004 fired below 3830.8;-2.5 armed");
    EXPECT_EQ(AlertsFromValue(value), (std::vector<PriceAlert>{fired, armed}));

    struct Case {
        const char* Value;
        std::vector<double> Levels;
        std::vector<bool> Fired;
    };
    const Case cases[] = {
        {"", {}, {}},
        {"3830 armed", {3830}, {false}},
        {"3830", {3830}, {false}},
        {"abc armed;3830 armed", {3830}, {false}},
        {"inf armed;nan fired below 1;5 armed", {5}, {false}},
        {"5 fired sideways 1", {5}, {false}},  // an unreadable state waits armed
        {"5 fired below", {5}, {false}},
        {";;5 fired above 4;;", {5}, {true}},
        {"1e999 armed", {}, {}},
    };
    for (const Case& c : cases) {
        const std::vector<PriceAlert> read = AlertsFromValue(c.Value);
        std::vector<double> levels;
        std::vector<bool> states;
        for (const PriceAlert& a : read) {
            levels.push_back(a.Level);
            states.push_back(a.Fired);
        }
        EXPECT_EQ(levels, c.Levels) << c.Value;
        EXPECT_EQ(states, c.Fired) << c.Value;
    }
}

}  // namespace
}  // namespace vela::app
