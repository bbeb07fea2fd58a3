// Files that are not what an INI file should be: they must load without crashing or hanging,
// and whatever was loaded must be written back so that it loads the same again.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "settings/extended_ini_file.h"
#include "settings/ini_test_folder.h"

namespace vela {
namespace {

using Lines = std::vector<std::string>;

class IniBadInput : public IniTestFolder {};

TEST_F(IniBadInput, RandomBytesIncludingNul) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string content;
        // Mostly bytes that shape lines, so that sections and keys do occur.
        const char shaping[] = {'[', ']', '=', '\n', '\r', '\0', '\x1A', ';', ' ', 'a', 'A'};
        for (int i = 0; i < 4000; ++i) {
            const unsigned r = random();
            content += (r & 1) ? shaping[(r >> 1) % sizeof shaping] : static_cast<char>(r >> 8);
        }
        const std::string path = Put("r.ini", content);
        Lines all;
        {
            TSpecIniFile ini(path);
            ini.ReadAll(all);
            Lines names;
            ini.ReadSections(names);
            for (const std::string& name : names) {
                Lines keys;
                ini.ReadSection(name, keys);
                for (const std::string& key : keys) {
                    ini.ReadString(name, key, "");
                    double d = 0;
                    ini.ReadDouble(name, key, 0, d);
                    TByteSet set;
                    ini.ReadByteSet(name, key, set);
                }
            }
            ini.WriteString("S", "", "x");  // erases nothing: no such section
            ini.WriteString("n", std::string("k\0y", 3), std::string("\0v\0", 3));
            EXPECT_EQ(ini.ReadString("N", std::string("K\0Y", 3), "-"), std::string("\0v\0", 3));
            all.clear();
            ini.ReadAll(all);
        }
        // What was written loads back to the same sections and lines.
        TBigIniFile back(path);
        Lines again;
        back.ReadAll(again);
        EXPECT_EQ(again, all) << "round " << round;
    }
}

TEST_F(IniBadInput, FiftyMegabyteLine) {
    // Blanks before the "=" and a quoted value, both huge: trimming them must be linear. The
    // file is written in pieces to keep the test's own memory small.
    const std::size_t half = 25u << 20;
    const std::string path = Path("big.ini");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string blanks(1u << 20, ' ');
        const std::string vees(1u << 20, 'v');
        out << "[S]\nk";
        for (std::size_t n = 0; n < half; n += blanks.size()) out << blanks;
        out << "= '";
        for (std::size_t n = 0; n < half; n += vees.size()) out << vees;
        out << '\'';
        ASSERT_TRUE(out.good());
    }
    TBigIniFile ini("");
    ini.SetFlagDropWhiteSpace(true);
    ini.SetFlagDropApostrophes(true);
    ini.SetFileName(path);
    ASSERT_EQ(ini.SectionNames().Count(), 1);
    const std::string& line = ini.SectionNames().GetSectionItems(0)[0];
    EXPECT_EQ(line.size(), 2 + half);
    EXPECT_EQ(line.substr(0, 3), "k=v");
    EXPECT_EQ(line.back(), 'v');
}

TEST_F(IniBadInput, AMillionSections) {
    // A million headers of one name in two letter cases: one section survives, the first.
    std::string content = "[a]\nk=first\n";
    for (int i = 1; i < 1000000; ++i) content += i % 2 ? "[A]\n" : "[a]\n";
    content += "k=last\n";
    TBigIniFile ini(Put("m.ini", content));
    ASSERT_EQ(ini.SectionNames().Count(), 1);
    EXPECT_EQ(ini.SectionNames().Strings(0), "a");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "first");
    EXPECT_FALSE(ini.HasChanged());
}

TEST_F(IniBadInput, DuplicateNamesInEveryLetterCase) {
    std::string content;
    const std::string name = "opts";
    for (int mask = 0; mask < 16; ++mask) {
        content += '[';
        for (int i = 0; i < 4; ++i)
            content += (mask >> i) & 1 ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        content += "]\nk=" + std::to_string(mask) + "\n";
    }
    // Non-ASCII letters are bytes, not folded: these two stay apart.
    content += "[\xC3\xA4]\nk=lower\n[\xC3\x84]\nk=upper\n";
    TBigIniFile ini(Put("d.ini", content));
    Lines names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (Lines{"opts", "\xC3\xA4", "\xC3\x84"}));
    EXPECT_EQ(ini.ReadString("OPTS", "k", ""), "0");
    EXPECT_EQ(ini.ReadString("\xC3\x84", "k", ""), "upper");
}

TEST_F(IniBadInput, LinesOfOnlyBracketsAndEquals) {
    std::string content;
    for (int i = 0; i < 1000; ++i) content += "=\n[\n]\n==\n[]\n][\n[[]]\n";
    TBigIniFile ini(Put("b.ini", content));
    Lines names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (Lines{"", "[]"}));
    Lines lines;
    ini.ReadSectionValues("", lines);
    EXPECT_EQ(lines, Lines{"]["});
    EXPECT_EQ(ini.ReadString("", "", "-"), "-");
    lines.clear();
    ini.ReadSectionValues("[]", lines);
    EXPECT_EQ(lines, (Lines{"=", "[", "]", "=="}));
    EXPECT_EQ(ini.ReadString("[]", "", "-"), "");  // "=": an empty key with an empty value
    Lines keys;
    ini.ReadSection("[]", keys);
    EXPECT_EQ(keys, (Lines{"", "", "", ""}));
}

}  // namespace
}  // namespace vela
