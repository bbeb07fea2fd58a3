#include "settings/big_ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <ios>
#include <string>
#include <vector>

#include "platform/failing_file_ops.h"
#include "settings/ini_test_folder.h"

namespace vela {
namespace {

using Lines = std::vector<std::string>;

class BigIniFileTest : public IniTestFolder {
  protected:
    Lines All(const TBigIniFile& ini) const {
        Lines all;
        ini.ReadAll(all);
        return all;
    }
    Lines Sections(const TBigIniFile& ini) const {
        Lines names;
        ini.ReadSections(names);
        return names;
    }
};

// ---- Loading -------------------------------------------------------------------------------

struct LoadCase {
    const char* what;
    std::string file;
    Lines all;  // ReadAll after loading with every option off
};

class LoadFormat : public BigIniFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadFormat, ReadsLinesAsStored) {
    const LoadCase& c = GetParam();
    TBigIniFile ini(Put("a.ini", c.file));
    EXPECT_EQ(All(ini), c.all);
    EXPECT_FALSE(ini.HasChanged());
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFormat,
    ::testing::Values(
        LoadCase{"CrLfAndLf", "[A]\r\nx=1\ny=2\r\n", {"[A]", "x=1", "y=2", ""}},
        LoadCase{"NoFinalLineEnd", "[A]\nx=1\r", {"[A]", "x=1", ""}},
        LoadCase{"CrOnly",
                 "[A]\rx=1\r;c\r  \r\r[B]\ry=2\r",
                 {"[A]", "x=1", ";c", "  ", "", "[B]", "y=2", ""}},
        LoadCase{"MixedEnds",
                 "[A]\r\nx=1\ry=2\nz=3\n\r[B]\rw=4",
                 {"[A]", "x=1", "y=2", "z=3", "", "[B]", "w=4", ""}},
        LoadCase{"CrBeforeCrLfEndsALineToo", "[A]\nx=1\r\r\n", {"[A]", "x=1", ""}},
        LoadCase{"BlankLineStaysMarkDoesNot", "[A]\n  \n\x1A\n\nx\n", {"[A]", "  ", "x", ""}},
        LoadCase{"LinesBeforeFirstHeaderDropped", "x=1\n;c\n[A]\ny=2\n", {"[A]", "y=2", ""}},
        LoadCase{"EmptyName", "[]\nx=1\n", {"[]", "x=1", ""}},
        LoadCase{"HeaderIsFirstAndLastCharacter",
                 "[A]\n[\n]\n=\n [B]\n[C] \n[x]y]\nk=v\n",
                 {"[A]", "[", "]", "=", " [B]", "[C] ", "", "[x]y]", "k=v", ""}},
        LoadCase{"EmptySectionsNotListed", "[A]\n[B]\nx=1\n[C]\n", {"[B]", "x=1", ""}}),
    [](const auto& info) { return std::string(info.param.what); });

struct FlagCase {
    const char* what;
    void (TBigIniFile::*set)(bool);
    std::string line;
    Lines kept;  // the section's lines after loading
};

class LoadFlags : public BigIniFileTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(LoadFlags, TransformEntryLines) {
    const FlagCase& c = GetParam();
    Put("a.ini", "[S]\n" + c.line + "\n");
    TBigIniFile ini("");
    (ini.*c.set)(true);
    ini.SetFileName(Path("a.ini"));
    Lines lines;
    ini.ReadSectionValues("S", lines);
    EXPECT_EQ(lines, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Options, LoadFlags,
    ::testing::Values(
        FlagCase{"CommentDropped", &TBigIniFile::SetFlagDropCommentLines, ";x=1", {}},
        FlagCase{"IndentedCommentKept", &TBigIniFile::SetFlagDropCommentLines, " ;x", {" ;x"}},
        FlagCase{"InvalidDropped", &TBigIniFile::SetFlagFilterOutInvalid, "no equals", {}},
        FlagCase{"ValidKept", &TBigIniFile::SetFlagFilterOutInvalid, "k=", {"k="}},
        FlagCase{
            "SpacesAroundEquals", &TBigIniFile::SetFlagDropWhiteSpace, "k \t= \t v ", {"k=v "}},
        FlagCase{"KeyOfBlanks", &TBigIniFile::SetFlagDropWhiteSpace, "  = v", {"= v"}},
        FlagCase{"EqualsFirst", &TBigIniFile::SetFlagDropWhiteSpace, "= v", {"= v"}},
        FlagCase{"OnlyFirstEquals", &TBigIniFile::SetFlagDropWhiteSpace, "a=b = c", {"a=b = c"}},
        FlagCase{"Quotes", &TBigIniFile::SetFlagDropApostrophes, "k=\"v\"", {"k=v"}},
        FlagCase{"OnePairOnly", &TBigIniFile::SetFlagDropApostrophes, "k=''v''", {"k='v'"}},
        FlagCase{"EmptyQuotes", &TBigIniFile::SetFlagDropApostrophes, "k=''", {"k="}},
        FlagCase{"MixedQuotes", &TBigIniFile::SetFlagDropApostrophes, "k='v\"", {"k='v\""}},
        FlagCase{"LoneQuote", &TBigIniFile::SetFlagDropApostrophes, "k='", {"k='"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(BigIniFileTest, DuplicateSectionsKeepTheFirstWithoutRewrite) {
    const std::string file = "[Opts]\na=1\n[x]\ny=1\n[OPTS]\nb=2\n[opts]\nc=3\n";
    {
        TBigIniFile ini(Put("a.ini", file));
        EXPECT_EQ(Sections(ini), (Lines{"Opts", "x"}));
        EXPECT_EQ(ini.ReadString("OPTS", "a", "-"), "1");
        EXPECT_EQ(ini.ReadString("opts", "b", "-"), "-");
        EXPECT_EQ(ini.ReadString("opts", "c", "-"), "-");
        EXPECT_FALSE(ini.HasChanged());
    }
    EXPECT_EQ(Get("a.ini"), file);  // not rewritten on destruction
}

TEST_F(BigIniFileTest, CallbackDecidesBetweenDuplicates) {
    Put("a.ini", "[A]\na=1\n[B]\nb=1\n[a]\na=2\n[A]\na=3\n");
    struct Call {
        std::string name;
        Lines first, second;
    };
    std::vector<Call> calls;
    TBigIniFile ini("");
    // Prefers the later section each time.
    ini.SetEraseSectionCallback(
        [&](const std::string& name, const TEntryList& first, const TEntryList& second) {
            calls.push_back({name, first.Lines(), second.Lines()});
            return false;
        });
    ini.SetFileName(Path("a.ini"));
    EXPECT_EQ(Sections(ini), (Lines{"B", "A"}));
    EXPECT_EQ(ini.ReadString("a", "a", "-"), "3");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, Lines{"a=1"});
    EXPECT_EQ(calls[0].second, Lines{"a=2"});
    EXPECT_EQ(calls[1].first, Lines{"a=2"});
    EXPECT_EQ(calls[1].second, Lines{"a=3"});
    EXPECT_TRUE(SameIniName(calls[0].name, "a"));
}

TEST_F(BigIniFileTest, AppendKeepsSectionsInMemoryAndMarksErasure) {
    TBigIniFile ini(Put("a.ini", "[A]\nx=1\n"));
    ini.AppendFromFile(Put("b.ini", "[B]\ny=2\n"));
    EXPECT_FALSE(ini.HasChanged());
    ini.AppendFromFile(Put("c.ini", "[a]\nx=9\n[C]\nz=3\n"));
    EXPECT_TRUE(ini.HasChanged());
    EXPECT_EQ(All(ini), (Lines{"[A]", "x=1", "", "[B]", "y=2", "", "[C]", "z=3", ""}));
    ini.AppendFromFile(Path("missing.ini"));
    EXPECT_EQ(Sections(ini).size(), 3u);
}

// ---- Reading -------------------------------------------------------------------------------

TEST_F(BigIniFileTest, KeysIgnoreLetterCaseAndValuesAreVerbatim) {
    TBigIniFile ini(Put("a.ini",
                        "[S]\nCount=1\nkey = value\nempty=\nCount=2\n;comment\n=anon\n"
                        "utf=\xC3\xA4\xE2\x82\xAC \n"));
    EXPECT_EQ(ini.ReadString("s", "COUNT", "-"), "1");  // the first of two lines
    EXPECT_EQ(ini.ReadString("S", "key", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "key ", "-"), " value");
    EXPECT_EQ(ini.ReadString("S", "empty", "-"), "");
    EXPECT_EQ(ini.ReadInteger("S", "empty", 7), 7);
    EXPECT_EQ(ini.ReadString("S", ";comment", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "", "-"), "anon");
    EXPECT_EQ(ini.ReadString("S", "UTF", "-"), "\xC3\xA4\xE2\x82\xAC ");
    EXPECT_EQ(ini.ReadString("T", "Count", "-"), "-");
    // Only ASCII letters fold; other bytes must match.
    ini.WriteString("\xC3\xA4", "k", "1");
    EXPECT_EQ(ini.ReadString("\xC3\x84", "k", "-"), "-");

    Lines keys;
    ini.ReadSection("s", keys);
    EXPECT_EQ(keys, (Lines{"Count", "key ", "empty", "Count", "", "", "utf"}));
    ini.ReadSection("missing", keys);
    EXPECT_EQ(keys.size(), 7u);
}

struct IntegerCase {
    const char* text;
    std::int32_t expected;  // 99 is the default
};

class ReadIntegerTest : public BigIniFileTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(ReadIntegerTest, Converts) {
    TBigIniFile ini("");
    ini.WriteString("S", "k", GetParam().text);
    EXPECT_EQ(ini.ReadInteger("S", "k", 99), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadIntegerTest,
    ::testing::Values(IntegerCase{"0x1F", 31}, IntegerCase{"0X1F", 31}, IntegerCase{"$1F", 31},
                      IntegerCase{"x1f", 31}, IntegerCase{" 12", 12}, IntegerCase{"-12", -12},
                      IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0x000000001", 99},
                      IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"2147483648", 99},
                      IntegerCase{"12abc", 99}, IntegerCase{"12 ", 99}, IntegerCase{"", 99},
                      IntegerCase{"-", 99}, IntegerCase{"0x", 99}, IntegerCase{"1.5", 99}));

TEST_F(BigIniFileTest, ReadBoolTakesAnyNonzeroInteger) {
    TBigIniFile ini("");
    ini.WriteString("S", "two", "2");
    ini.WriteString("S", "zero", "0");
    ini.WriteString("S", "yes", "yes");
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "yes", true));
    EXPECT_FALSE(ini.ReadBool("S", "yes", false));
    ini.WriteBool("S", "b", true);
    ini.WriteInteger("S", "i", -2147483647 - 1);
    EXPECT_EQ(ini.ReadString("S", "b", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "i", ""), "-2147483648");
}

TEST_F(BigIniFileTest, RememberedSectionOutsideTheListIsHarmless) {
    TBigIniFile ini(Put("a.ini", "[A]\nk=a\n[B]\nk=b\n[C]\nk=c\n"));
    EXPECT_EQ(ini.ReadString("C", "k", "-"), "c");
    Lines values;
    ini.ReadSectionValues("C", values);
    ini.SetFileName(Put("b.ini", "[A]\nk=1\n"));
    EXPECT_EQ(ini.ReadString("a", "k", "-"), "1");
    EXPECT_EQ(ini.ReadString("C", "k", "-"), "-");
    ini.ReadSectionValues("a", values);
    EXPECT_EQ(values, (Lines{"k=c", "k=1"}));
}

TEST_F(BigIniFileTest, BigSectionFindsFirstKeyAfterEdits) {
    TBigIniFile ini("");
    for (int i = 0; i < 100; ++i) ini.WriteInteger("S", "k" + std::to_string(i), i);
    EXPECT_EQ(ini.ReadInteger("S", "K57", -1), 57);
    ini.WriteString("S", "K57", "x");  // same key, new case
    ini.WriteString("S", "new", "n");
    EXPECT_EQ(ini.ReadString("S", "k57", "-"), "x");
    EXPECT_EQ(ini.ReadString("S", "NEW", "-"), "n");
    ini.EraseSection("S");
    EXPECT_EQ(ini.ReadString("S", "k1", "-"), "-");
    ini.WriteString("S", "k1", "again");
    EXPECT_EQ(ini.ReadString("S", "k1", "-"), "again");
}

// ---- Writing -------------------------------------------------------------------------------

TEST_F(BigIniFileTest, WritesBackInPlaceWithCrLf) {
    const std::string path = Put("a.ini", "[A]\nx=1\n;note\n\n[B]\ny=2\n[Empty]\n");
    {
        TBigIniFile ini(path);
        ini.WriteString("a", "X", "1");  // same text but new letter case: a change
        EXPECT_TRUE(ini.HasChanged());
        ini.WriteString("C", "z", "3");
        ini.WriteString("b", "w", "4");
    }
    EXPECT_EQ(Get("a.ini"),
              "[A]\r\nX=1\r\n;note\r\n\r\n[B]\r\ny=2\r\nw=4\r\n\r\n[C]\r\nz=3\r\n\r\n");
}

// A file of an old editor (lines ended by CR alone, or a mix) keeps every line through a
// flush; the rewritten file ends its lines with CR LF.
TEST_F(BigIniFileTest, EveryLineEndKeepsItsLinesThroughAFlush) {
    for (const std::string ends : {"\r", "\n", "\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(ends));
        std::string file;
        for (const char* line : {"[A]", "x=1", ";note", "", "[B]", "y=2"}) file += line + ends;
        const std::string path = Put("a.ini", file);
        {
            TBigIniFile ini(path);
            ini.WriteString("b", "z", "3");
        }
        EXPECT_EQ(Get("a.ini"), "[A]\r\nx=1\r\n;note\r\n\r\n[B]\r\ny=2\r\nz=3\r\n\r\n");
    }
}

TEST_F(BigIniFileTest, SameLineAgainIsNoChange) {
    const std::string path = Put("a.ini", "[A]\nx=1\n");
    TBigIniFile ini(path);
    ini.WriteString("A", "x", "1");
    ini.WriteInteger("A", "x", 1);
    EXPECT_FALSE(ini.HasChanged());
}

TEST_F(BigIniFileTest, ErasedSectionKeepsItsPlace) {
    const std::string path = Put("a.ini", "[A]\nx=1\n[B]\ny=2\n[C]\nz=3\n");
    TBigIniFile ini(path);
    ini.EraseSection("b");
    EXPECT_TRUE(ini.HasChanged());
    ini.FlushFile();
    EXPECT_FALSE(ini.HasChanged());
    EXPECT_EQ(Get("a.ini"), "[A]\r\nx=1\r\n\r\n[C]\r\nz=3\r\n\r\n");
    EXPECT_EQ(Sections(ini), (Lines{"A", "B", "C"}));
    ini.EraseSection("B");  // already empty: still a change
    EXPECT_TRUE(ini.HasChanged());
    ini.EraseSection("missing");
    ini.WriteString("B", "q", "5");
    ini.FlushFile();
    EXPECT_EQ(Get("a.ini"), "[A]\r\nx=1\r\n\r\n[B]\r\nq=5\r\n\r\n[C]\r\nz=3\r\n\r\n");
}

TEST_F(BigIniFileTest, EmptyKeyErasesOrFlushes) {
    const std::string path = Put("a.ini", "[A]\nx=1\n[B]\ny=2\n");
    TBigIniFile ini(path);
    ini.WriteString("A", "", "");
    EXPECT_EQ(ini.ReadString("A", "x", "-"), "-");
    EXPECT_EQ(Get("a.ini"), "[A]\nx=1\n[B]\ny=2\n");  // not yet written
    ini.WriteString("", "", "");
    EXPECT_EQ(Get("a.ini"), "[B]\r\ny=2\r\n\r\n");
    ini.WriteString("", "", "v");  // erases the (missing) section named ""
    EXPECT_FALSE(ini.HasChanged());
}

TEST_F(BigIniFileTest, AllSectionsEmptyWritesAnEmptyFile) {
    const std::string path = Put("a.ini", "[A]\nx=1\n");
    {
        TBigIniFile ini(path);
        ini.EraseSection("A");
    }
    EXPECT_EQ(Get("a.ini"), "");
}

// A symbol pasted with a line break must not forge lines or sections in the file.
TEST_F(BigIniFileTest, LineBreaksBecomeBlanks) {
    const std::string path = Path("a.ini");
    {
        TBigIniFile ini(path);
        ini.WriteString("W_0", "Edit1", "IBM\r\n[OPTIONS]\nCOUNT=99");
        ini.WriteString("W\n1", "K\rK", "v");
    }
    EXPECT_EQ(Get("a.ini"), "[W_0]\r\nEdit1=IBM  [OPTIONS] COUNT=99\r\n\r\n[W 1]\r\nK K=v\r\n\r\n");
    TBigIniFile back(path);
    EXPECT_EQ(Sections(back), (Lines{"W_0", "W 1"}));
    EXPECT_EQ(back.ReadString("W_0", "Edit1", ""), "IBM  [OPTIONS] COUNT=99");
}

struct RefusedCase {
    const char* section;
    const char* key;
    const char* value;
};

class RefusedWrite : public BigIniFileTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedWrite, ChangesNothing) {
    TBigIniFile ini("");
    ini.WriteString(GetParam().section, GetParam().key, GetParam().value);
    EXPECT_FALSE(ini.HasChanged());
    EXPECT_TRUE(Sections(ini).empty());
}

INSTANTIATE_TEST_SUITE_P(Unreadable, RefusedWrite,
                         ::testing::Values(RefusedCase{"S", "a=b", "v"}, RefusedCase{"S", "=", "v"},
                                           RefusedCase{"a]b", "k", "v"}, RefusedCase{"]", "k", "v"},
                                           RefusedCase{"S", "[k", "v]"},
                                           RefusedCase{"S", "[", "]"}));

TEST_F(BigIniFileTest, BracketsThatReadBackAreAccepted) {
    const std::string path = Path("a.ini");
    {
        TBigIniFile ini(path);
        ini.WriteString("[x", "[k", "v");
        ini.WriteString("S", "k]", "]");
        ini.WriteString("S", "j", "[v]");
    }
    TBigIniFile back(path);
    EXPECT_EQ(back.ReadString("[x", "[k", "-"), "v");
    EXPECT_EQ(back.ReadString("S", "k]", "-"), "]");
    EXPECT_EQ(back.ReadString("S", "j", "-"), "[v]");
}

// ---- Moments of writing and failures --------------------------------------------------------

TEST_F(BigIniFileTest, NewNameFlushesTheOldFileFirst) {
    TBigIniFile ini(Path("a.ini"));  // no file yet: nothing loaded, no error
    ini.WriteString("A", "x", "1");
    ini.SetFileName(Put("b.ini", "[B]\ny=2\n"));
    EXPECT_EQ(Get("a.ini"), "[A]\r\nx=1\r\n\r\n");
    EXPECT_EQ(Sections(ini), Lines{"B"});
    EXPECT_FALSE(ini.HasChanged());
}

TEST_F(BigIniFileTest, NoFileNameKeepsValuesInMemoryOnly) {
    TBigIniFile ini("");
    ini.WriteString("A", "x", "1");
    ini.FlushFile();
    EXPECT_FALSE(ini.HasChanged());
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
}

TEST_F(BigIniFileTest, FailedFlushIsSilentAndRetried) {
    const std::string path = (dir_ / "later" / "a.ini").string();
    {
        TBigIniFile ini(path);
        ini.WriteString("A", "x", "1");
        ini.FlushFile();  // the folder does not exist yet
        EXPECT_TRUE(ini.HasChanged());
        std::filesystem::create_directory(dir_ / "later");
    }  // destruction retries
    EXPECT_EQ(Get("later/a.ini"), "[A]\r\nx=1\r\n\r\n");
}

// A flush that cannot write (full disk, a rename the folder refuses) stays silent, keeps the
// mark and the old file as it was, tells why to a caller that asks, and succeeds later.
TEST_F(BigIniFileTest, FailedFlushKeepsTheOldFileAndTheMark) {
    using Step = testing_support::FailingOps::Step;
    for (const Step step : {Step::Create, Step::Write, Step::Close, Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        const std::string path = Put("a.ini", "[A]\r\nx=1\r\n\r\n");
        testing_support::FailingOps failing(step);
        failing.room = 5;
        TBigIniFile ini(path);
        ini.SetFileWriteOps(failing);
        ini.WriteString("A", "y", "2");
        ini.FlushFile();
        EXPECT_TRUE(ini.HasChanged());
        EXPECT_NE(ini.LastWriteError().find(path), std::string::npos) << ini.LastWriteError();
        EXPECT_EQ(Get("a.ini"), "[A]\r\nx=1\r\n\r\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
        ini.SetFileWriteOps(DiskFileOps());
        ini.FlushFile();
        EXPECT_FALSE(ini.HasChanged());
        EXPECT_EQ(ini.LastWriteError(), "");
        EXPECT_EQ(Get("a.ini"), "[A]\r\nx=1\r\ny=2\r\n\r\n");
    }
}

// The longest file names a folder holds are flushed like any other; a killed save's old
// temporary next to the file goes at the next flush.
TEST_F(BigIniFileTest, LongNamesAreWrittenAndStaleTemporariesCleared) {
    const std::string name = std::string(246, 'n') + ".ini";
    const std::string stale = TemporaryName(name, "k1ll");
    Put(stale, "[A]\r\nx=");
    std::filesystem::last_write_time(
        dir_ / stale, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    TBigIniFile ini(Path(name));
    ini.WriteString("A", "x", "1");
    ini.FlushFile();
    EXPECT_FALSE(ini.HasChanged()) << ini.LastWriteError();
    EXPECT_EQ(Get(name), "[A]\r\nx=1\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / stale));
}

TEST_F(BigIniFileTest, FolderNamedLikeTheFileLoadsNothingAndIsNotReplaced) {
    std::filesystem::create_directory(dir_ / "d.ini");
    TBigIniFile ini(Path("d.ini"));
    ini.WriteString("A", "x", "1");
    ini.FlushFile();
    EXPECT_TRUE(ini.HasChanged());
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "d.ini"));
}

TEST_F(BigIniFileTest, FileThatCannotBeReadThrowsAndIsLeftAlone) {
    // A pipe would block a plain read; it must fail at once instead.
    const std::string fifo = Path("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(TBigIniFile{fifo}, std::ios_base::failure);

    TBigIniFile ini(Put("a.ini", "[A]\nx=1\n"));
    ini.WriteString("A", "x", "2");
    EXPECT_THROW(ini.SetFileName(fifo), std::ios_base::failure);
    EXPECT_EQ(Get("a.ini"), "[A]\r\nx=2\r\n\r\n");  // the old file was flushed first
    // Not bound to the unreadable file, so nothing written later can replace it.
    EXPECT_EQ(ini.FileName(), "");
    EXPECT_TRUE(Sections(ini).empty());
    ini.WriteString("B", "y", "1");
    ini.FlushFile();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
}  // namespace vela
