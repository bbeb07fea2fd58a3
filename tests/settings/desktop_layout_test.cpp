#include "settings/desktop_layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace vela {
namespace {

TEST(DesktopLayout, ChangeFileExtReplacesOnlyTheLastExtensionOfTheName) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"report.txt", "report.dsc_1"},
        {"report", "report.dsc_1"},
        {"report.dsc_1", "report.dsc_1"},
        {"a.b.c", "a.b.dsc_1"},
        {".foo", ".dsc_1"},
        {"/home/u/my.dir/report", "/home/u/my.dir/report.dsc_1"},
        {"/home/u/my.dir/r.txt", "/home/u/my.dir/r.dsc_1"},
        {"report.", "report.dsc_1"},
        {"", ".dsc_1"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChangeFileExt(c.name, kDesktopExt), c.expected) << c.name;
}

TEST(DesktopLayout, SectionNames) {
    EXPECT_EQ(DesktopControlsSection(0), "W_0");
    EXPECT_EQ(DesktopFormSection(12), "FORM_12");
}

TEST(DesktopLayout, CountAndBoundsAreClamped) {
    EXPECT_EQ(ClampDesktopCount(-1), 0);
    EXPECT_EQ(ClampDesktopCount(3), 3);
    EXPECT_EQ(ClampDesktopCount(2000000000), kMaxDesktopWindows);
    EXPECT_EQ(ClampDesktopBounds({INT_MIN, 0, INT_MAX, -20000}),
              (DesktopBounds{50, 50, 16000, -16000}));
    EXPECT_EQ(ClampDesktopBounds({400, 300, 10, 20}), (DesktopBounds{400, 300, 10, 20}));
}

TEST(DesktopLayout, OnlyWindowsEntirelyOutsideTheAreaAreMoved) {
    const struct {
        DesktopBounds in;
        DesktopBounds expected;
    } cases[] = {
        {{400, 300, 10, 20}, {400, 300, 10, 20}},          // inside
        {{400, 300, -399, -299}, {400, 300, -399, -299}},  // one pixel shows
        {{400, 300, 16000, 16000}, {400, 300, 600, 500}},  // beyond the bottom right
        {{400, 300, -400, 50}, {400, 300, 0, 50}},         // just left of it
        {{2000, 2000, 5000, 0}, {2000, 2000, 0, 0}},       // larger than the area
    };
    for (const auto& c : cases) {
        const DesktopBounds out = BringIntoArea(c.in, 1000, 800);
        EXPECT_EQ(out, c.expected) << c.in.L << "," << c.in.T;
    }
}

TEST(DesktopLayout, CheckListValueAndItsSubstringReading) {
    const std::string value = CheckListValue({{"b", false}, {"ab", true}, {"c", true}});
    EXPECT_EQ(value, "ab~c~");
    // "b~" occurs inside "ab~": b reads back checked as well.
    EXPECT_TRUE(CheckListItemChecked(value, "b"));
    EXPECT_TRUE(CheckListItemChecked(value, "ab"));
    EXPECT_FALSE(CheckListItemChecked(value, "d"));
    EXPECT_FALSE(CheckListItemChecked("", "b"));
}

}  // namespace
}  // namespace vela
