#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <vector>

#include "platform/failing_file_ops.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing_support::FailingOps;

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vela-atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesWholeContentAndLeavesNoTemporaries) {
    const std::string path = (dir_ / "a.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "first\n"));
    ASSERT_TRUE(WriteFileAtomically(path, std::string("se\0cond", 7)));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, std::string("se\0cond", 7));
    EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});
}

TEST_F(AtomicFileTest, FailureKeepsTheOldFile) {
    const std::string path = (dir_ / "keep.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    // A missing folder and a path that is a folder both fail without touching anything.
    std::string error;
    EXPECT_FALSE(WriteFileAtomically((dir_ / "no" / "such.txt").string(), "x", &error));
    EXPECT_NE(error.find("such.txt"), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomically(dir_.string() + "/", "x"));
    fs::create_directory(dir_ / "sub");
    EXPECT_FALSE(WriteFileAtomically((dir_ / "sub").string(), "x"));
    std::string back;
    EXPECT_FALSE(ReadWholeFile(dir_.string(), back));
    EXPECT_FALSE(ReadWholeFile((dir_ / "missing").string(), back));
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "old");
    EXPECT_EQ(Names(), (std::vector<std::string>{"keep.txt", "sub"}));
}

TEST_F(AtomicFileTest, StreamedContentReplacesOnlyWhenWhollyWritten) {
    const std::string path = (dir_ / "s.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    auto pieces = [](std::ostream& out) {
        for (int i = 0; i < 3; ++i) out << "piece " << i << "\n";
        return true;
    };
    // A writer that gives up or throws part way leaves the old file and no temporaries.
    auto givesUp = [](std::ostream& out) {
        out << "half";
        return false;
    };
    auto throws = [](std::ostream& out) -> bool {
        out << "half";
        throw std::runtime_error("stop");
    };
    EXPECT_FALSE(WriteFileAtomicallyStreamed(path, givesUp));
    EXPECT_THROW(WriteFileAtomicallyStreamed(path, throws), std::runtime_error);
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"s.txt"});
    ASSERT_TRUE(WriteFileAtomicallyStreamed(path, pieces));
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "piece 0\npiece 1\npiece 2\n");
}

// Whichever step fails (the disk fills up at once, part way through, at the close; the
// folder refuses the rename), the old file stays as it was, no temporary is left behind, and
// the reason names the file and the cause.
TEST_F(AtomicFileTest, AnyFailingStepKeepsTheOldFileAndSaysWhy) {
    using Step = FailingOps::Step;
    struct Case {
        const char* what;
        Step step;
        std::size_t room;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"full disk, no room for the temporary", Step::Create, 0, "No space left"},
        {"full disk at once", Step::Write, 0, "No space left"},
        {"full disk part way", Step::Write, 100000, "No space left"},
        {"full disk at the close", Step::Close, 0, "Input/output error"},
        {"rename refused", Step::Rename, 0, "cannot replace"},
    };
    const std::string big(300000, 'n');  // more than the writer's buffer holds
    const std::string path = (dir_ / "old.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    for (const Case& c : cases) {
        for (const bool streamed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (streamed ? ", streamed" : ""));
            FailingOps ops(c.step);
            ops.room = c.room;
            std::string error;
            const bool ok = streamed ? WriteFileAtomicallyStreamed(
                                           path,
                                           [&big](std::ostream& out) {
                                               for (int i = 0; i < 4; ++i) out << big << i;
                                               return true;
                                           },
                                           &error, ops)
                                     : WriteFileAtomically(path, big, &error, ops);
            EXPECT_FALSE(ok);
            EXPECT_NE(error.find("\"" + path + "\""), std::string::npos) << error;
            EXPECT_NE(error.find(c.says), std::string::npos) << error;
            std::string back;
            ASSERT_TRUE(ReadWholeFile(path, back));
            EXPECT_EQ(back, "old");
            EXPECT_EQ(Names(), std::vector<std::string>{"old.txt"});
        }
    }
}

// A temporary is always a new file: a name that is taken is drawn again, never opened.
TEST_F(AtomicFileTest, TakenTemporaryNamesAreDrawnAgain) {
    const std::string path = (dir_ / "t.txt").string();
    FailingOps someTaken(FailingOps::Step::NameTaken);
    ASSERT_TRUE(WriteFileAtomically(path, "new", nullptr, someTaken));
    const std::vector<std::string> tried = someTaken.Created();
    ASSERT_EQ(tried.size(), 4u);
    EXPECT_EQ(std::set<std::string>(tried.begin(), tried.end()).size(), 4u);

    FailingOps allTaken(FailingOps::Step::NameTaken);
    allTaken.takenNames = 1000;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path, "newer", &error, allTaken));
    EXPECT_NE(error.find("temporary"), std::string::npos) << error;
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "new");
}

// The temporary's name is short and does not grow with the target's, so every name the folder
// can hold can be replaced: the longest file name, and a folder path so long that only a short
// name still fits.
TEST_F(AtomicFileTest, LongNamesAndLongFoldersCanBeReplaced) {
    for (const std::size_t length : {250u, 255u}) {
        const std::string name(length, 'n');
        const std::string path = (dir_ / name).string();
        FailingOps recorder(FailingOps::Step::None);
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(path, "old", &error, recorder)) << length << error;
        ASSERT_TRUE(WriteFileAtomically(path, "new", &error, recorder)) << length << error;
        std::string back;
        ASSERT_TRUE(ReadWholeFile(path, back));
        EXPECT_EQ(back, "new");
        for (const std::string& temp : recorder.Created()) {
            const std::string tempName = fs::path(temp).filename();
            EXPECT_EQ(fs::path(temp).parent_path(), dir_);
            EXPECT_LE(tempName.size(), 19u) << tempName;
            EXPECT_TRUE(IsTemporaryOf(tempName, name)) << tempName;
        }
        fs::remove(path);
    }

    // A folder of 4075 characters: its full paths of up to 4095 characters are the most a
    // path may have.
    fs::path folder = dir_;
    while (folder.string().size() < 4075) {
        const std::size_t left = 4075 - folder.string().size() - 1;  // after the separator
        folder /= std::string(left <= 200 ? left : (left < 202 ? 100 : 200), 'd');
    }
    ASSERT_EQ(folder.string().size(), 4075u);
    fs::create_directories(folder);
    for (const char* name : {"chart-1.txt", "a"}) {
        const std::string path = (folder / name).string();
        std::string error;
        EXPECT_TRUE(WriteFileAtomically(path, "old", &error)) << error;
        EXPECT_TRUE(WriteFileAtomically(path, "new", &error)) << error;
        std::string back;
        ASSERT_TRUE(ReadWholeFile(path, back));
        EXPECT_EQ(back, "new");
    }
}

TEST(TemporaryNames, AreShortAndRecognizedForTheirTargetOnly) {
    const std::string target = "desktop.dsc_1";
    const std::string temp = TemporaryName(target, "x7k2");
    EXPECT_EQ(temp.rfind(".vela-tmp-", 0), 0u);
    EXPECT_EQ(temp.size(), 19u);
    EXPECT_EQ(TemporaryName(std::string(255, 'n'), "x7k2").size(), 19u);
    struct Case {
        std::string name;
        bool recognized;
    };
    const std::vector<Case> cases = {
        {temp, true},
        {TemporaryName(target, "0000"), true},
        {TemporaryName("other.dsc_1", "x7k2"), false},
        {temp + "x", false},
        {temp.substr(0, 18), false},
        {TemporaryName(target, "X7K2"), false},  // not a name the writer draws
        {target, false},
        // The older naming: the target's name, ".tmp-", a stamp and a counter.
        {target + ".tmp-123456789-0", true},
        {target + ".tmp-123456789-", false},
        {target + ".tmp-12x-0", false},
        {"x" + target + ".tmp-1-2", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsTemporaryOf(c.name, target), c.recognized) << c.name;
}

// A save killed half way leaves its temporary; the next write of that target removes it once
// it is old, and leaves alone what may still be another save in progress or is not one of the
// target's temporaries.
TEST_F(AtomicFileTest, StaleTemporariesOfTheTargetAreRemovedOnTheNextWrite) {
    const std::string target = "chart-1.txt";
    const std::string other = "chart-10.txt";
    ASSERT_FALSE(IsTemporaryOf(TemporaryName(other, "aaaa"), target));
    const auto old =
        fs::file_time_type::clock::now() - kStaleTemporaryAge - std::chrono::minutes(5);
    struct Leftover {
        std::string name;
        bool old;
        bool removed;
    };
    const std::vector<Leftover> leftovers = {
        {TemporaryName(target, "aaaa"), true, true},
        {TemporaryName(target, "bbbb"), false, false},  // perhaps another process's save
        {target + ".tmp-81234567-3", true, true},
        {TemporaryName(other, "aaaa"), true, false},
        {other + ".tmp-81234567-3", true, false},
        {target + ".bak", true, false},
    };
    for (const Leftover& l : leftovers) {
        ASSERT_TRUE(WriteFileAtomically((dir_ / l.name).string(), std::string(1000, 'x')));
        if (l.old) fs::last_write_time(dir_ / l.name, old);
    }
    const fs::path folderLike = dir_ / TemporaryName(target, "cccc");
    fs::create_directory(folderLike);
    fs::last_write_time(folderLike, old);

    ASSERT_TRUE(WriteFileAtomically((dir_ / target).string(), "table"));
    for (const Leftover& l : leftovers) EXPECT_EQ(fs::exists(dir_ / l.name), !l.removed) << l.name;
    EXPECT_TRUE(fs::is_directory(folderLike));
    // A write that fails still clears: on a full disk that space may be what was missing.
    ASSERT_TRUE(WriteFileAtomically((dir_ / TemporaryName(target, "dddd")).string(), "x"));
    fs::last_write_time(dir_ / TemporaryName(target, "dddd"), old);
    FailingOps full(FailingOps::Step::Write);
    EXPECT_FALSE(WriteFileAtomically((dir_ / target).string(), "new table", nullptr, full));
    EXPECT_FALSE(fs::exists(dir_ / TemporaryName(target, "dddd")));
    std::string back;
    ASSERT_TRUE(ReadWholeFile((dir_ / target).string(), back));
    EXPECT_EQ(back, "table");
}

}  // namespace
}  // namespace vela
