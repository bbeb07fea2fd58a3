#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
        {"disk fails at the sync", Step::Sync, 0, "cannot sync"},
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
        bool ofTarget;
        bool ofAnyTarget;
    };
    const std::vector<Case> cases = {
        {temp, true, true},
        {TemporaryName(target, "0000"), true, true},
        {TemporaryName("other.dsc_1", "x7k2"), false, true},
        {temp + "x", false, false},
        {temp.substr(0, 18), false, false},
        {TemporaryName(target, "X7K2"), false, false},  // not a name the writer draws
        {".vela-tmp-12g4-x7k2", false, false},          // no hash
        {target, false, false},
        // The older naming: the target's name, ".tmp-", a stamp and a counter; a user's file
        // may look so, hence only ever recognized for its own target.
        {target + ".tmp-123456789-0", true, false},
        {target + ".tmp-123456789-", false, false},
        {target + ".tmp-12x-0", false, false},
        {"x" + target + ".tmp-1-2", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsTemporaryOf(c.name, target), c.ofTarget) << c.name;
        EXPECT_EQ(IsTemporary(c.name), c.ofAnyTarget) << c.name;
    }
}

// A save killed half way leaves its temporary; the next write into the folder removes it once
// it is old, whatever its target, and leaves alone what may still be another save in progress
// or is not a temporary of this writer's.
TEST_F(AtomicFileTest, StaleTemporariesInTheFolderAreRemovedOnTheNextWrite) {
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
        {TemporaryName(other, "aaaa"), true, true},
        {TemporaryName(other, "bbbb"), false, false},
        {other + ".tmp-81234567-3", true, false},  // the older form: could be a user's name
        {target + ".bak", true, false},
    };
    // Made directly: a write would already sweep the ones made before it.
    for (const Leftover& l : leftovers) {
        std::ofstream(dir_ / l.name) << std::string(1000, 'x');
        if (l.old) fs::last_write_time(dir_ / l.name, old);
    }
    const fs::path folderLike = dir_ / TemporaryName(target, "cccc");
    fs::create_directory(folderLike);
    fs::last_write_time(folderLike, old);

    ASSERT_TRUE(WriteFileAtomically((dir_ / target).string(), "table"));
    for (const Leftover& l : leftovers) EXPECT_EQ(fs::exists(dir_ / l.name), !l.removed) << l.name;
    EXPECT_TRUE(fs::is_directory(folderLike));
    // A write that fails still clears: on a full disk that space may be what was missing.
    std::ofstream(dir_ / TemporaryName(other, "dddd")) << "x";
    fs::last_write_time(dir_ / TemporaryName(other, "dddd"), old);
    FailingOps full(FailingOps::Step::Write);
    EXPECT_FALSE(WriteFileAtomically((dir_ / target).string(), "new table", nullptr, full));
    EXPECT_FALSE(fs::exists(dir_ / TemporaryName(other, "dddd")));
    std::string back;
    ASSERT_TRUE(ReadWholeFile((dir_ / target).string(), back));
    EXPECT_EQ(back, "table");
}

// The new bytes reach the disk before they take the old file's place, and the rename reaches
// it after.
TEST_F(AtomicFileTest, TheTemporaryIsSyncedBeforeTheRenameAndTheFolderAfter) {
    const std::string path = (dir_ / "synced.txt").string();
    FailingOps recorder(FailingOps::Step::None);
    ASSERT_TRUE(WriteFileAtomically(path, "new", nullptr, recorder));
    const std::vector<std::string> steps = recorder.Steps();
    auto at = [&steps](const std::string& prefix) {
        const auto it = std::find_if(steps.begin(), steps.end(), [&prefix](const std::string& s) {
            return s.rfind(prefix, 0) == 0;
        });
        return it - steps.begin();
    };
    const auto count = static_cast<std::ptrdiff_t>(steps.size());
    ASSERT_LT(at("sync folder"), count) << ::testing::PrintToString(steps);
    EXPECT_LT(at("create"), at("sync"));
    EXPECT_LT(at("sync"), at("close"));
    EXPECT_LT(at("close"), at("rename"));
    EXPECT_LT(at("rename"), at("sync folder"));
    EXPECT_EQ(steps.back(), "sync folder " + dir_.string());
}

// When the folder cannot be synced the new file is in place all the same; the write says so
// rather than that nothing happened, and does not succeed: the content is not yet safe.
TEST_F(AtomicFileTest, AFolderThatCannotBeSyncedIsReportedAfterTheReplace) {
    const std::string path = (dir_ / "f.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    FailingOps ops(FailingOps::Step::SyncFolder);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path, "new", &error, ops));
    EXPECT_NE(error.find("\"" + path + "\" was replaced"), std::string::npos) << error;
    EXPECT_NE(error.find("Input/output error"), std::string::npos) << error;
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "new");
    EXPECT_EQ(Names(), std::vector<std::string>{"f.txt"});
}

// A file kept behind a link (or a chain of them) is replaced where it lies, in its own folder,
// and the links stay; a link to a file not yet there creates it. A link to a missing folder
// and links that loop are refused without touching anything.
TEST_F(AtomicFileTest, LinksAreFollowedToTheFileTheyLeadTo) {
    const fs::path real = dir_ / "real";
    fs::create_directory(real);
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link name, what it names
        std::string oldTarget;  // the file that is there before, relative to dir_; "" none
        std::string newTarget;  // the file that gets the new content; "" refused
        const char* says;
    };
    const std::vector<Case> cases = {
        {"a link to a file", {{"l", "real/t.txt"}}, "real/t.txt", "real/t.txt", ""},
        {"an absolute link", {{"l", (real / "t.txt").string()}}, "real/t.txt", "real/t.txt", ""},
        {"a chain",
         {{"l", "m"}, {"m", "real/n"}, {"real/n", "t.txt"}},
         "real/t.txt",
         "real/t.txt",
         ""},
        {"a dangling link", {{"l", "real/new.txt"}}, "", "real/new.txt", ""},
        {"a link to a missing folder", {{"l", "gone/t.txt"}}, "", "", "l\""},
        {"a loop", {{"l", "m"}, {"m", "l"}}, "", "", "loops"},
        {"a link to itself", {{"l", "l"}}, "", "", "loops"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& [name, to] : c.links) fs::create_symlink(to, dir_ / name);
        if (!c.oldTarget.empty()) {
            ASSERT_TRUE(WriteFileAtomically((dir_ / c.oldTarget).string(), "old"));
            fs::permissions(dir_ / c.oldTarget,
                            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        }
        const std::string path = (dir_ / "l").string();
        FailingOps recorder(FailingOps::Step::None);
        std::string error;
        const bool ok = WriteFileAtomically(path, "new", &error, recorder);
        EXPECT_EQ(ok, !c.newTarget.empty()) << error;
        for (const auto& [name, to] : c.links) {
            EXPECT_TRUE(fs::is_symlink(dir_ / name)) << name;
            EXPECT_EQ(fs::read_symlink(dir_ / name), to) << name;
        }
        std::string back;
        if (ok) {
            ASSERT_TRUE(ReadWholeFile((dir_ / c.newTarget).string(), back));
            EXPECT_EQ(back, "new");
            if (!c.oldTarget.empty()) {  // the old file's permissions are kept
                EXPECT_EQ(fs::status(dir_ / c.newTarget).permissions() & fs::perms::all,
                          fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
            }
            for (const std::string& temp : recorder.Created())
                EXPECT_EQ(fs::path(temp).parent_path(), (dir_ / c.newTarget).parent_path());
        } else {
            EXPECT_NE(error.find("\"" + path + "\""), std::string::npos) << error;
            EXPECT_NE(error.find(c.says), std::string::npos) << error;
            if (std::string(c.says) == "loops") {
                EXPECT_TRUE(recorder.Created().empty());
            }
        }
        if (!c.oldTarget.empty() && !ok) {
            ASSERT_TRUE(ReadWholeFile((dir_ / c.oldTarget).string(), back));
            EXPECT_EQ(back, "old");
        }
        for (const auto& [name, to] : c.links) fs::remove(dir_ / name);
        for (const auto& e : fs::directory_iterator(real)) fs::remove(e.path());
        EXPECT_EQ(Names(), std::vector<std::string>{"real"});
    }
}

// A file without write permission is the user's "leave this": it is refused, whoever runs the
// program (root included, whom the system lets write anything), also behind a link.
TEST_F(AtomicFileTest, AReadOnlyFileIsNotReplaced) {
    const fs::path file = dir_ / "table.txt";
    ASSERT_TRUE(WriteFileAtomically(file.string(), "old"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink("table.txt", dir_ / "link.txt");
    for (const fs::path& path : {file, dir_ / "link.txt"}) {
        SCOPED_TRACE(path.string());
        FailingOps recorder(FailingOps::Step::None);
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(path.string(), "new", &error, recorder));
        EXPECT_NE(error.find("\"" + path.string() + "\" is read-only"), std::string::npos) << error;
        EXPECT_TRUE(recorder.Created().empty());
        std::string back;
        ASSERT_TRUE(ReadWholeFile(file.string(), back));
        EXPECT_EQ(back, "old");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.txt", "table.txt"}));
    // Writable again, it is replaced as ever.
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(WriteFileAtomically(file.string(), "new"));
}

// Files written as a set are all replaced, or none is: whichever file fails, and however (its
// write, its rename after the others were renamed, its target being read-only), every target
// keeps its old content or stays absent, no temporary is left, and there is one message per
// file, the failing one with its cause and the others naming it.
TEST_F(AtomicFileTest, AFileSetIsReplacedWholeOrNotAtAll) {
    using Step = FailingOps::Step;
    struct Case {
        const char* what;
        Step step;
        std::size_t room;
        const char* refusedFor;
        bool secondReadOnly;
        bool firstExists;
        const char* firstSays;  // "" when all are replaced
        const char* secondSays;
    };
    const std::vector<Case> cases = {
        {"the second's write fails", Step::Write, 5000, "", false, true,
         "\"b.txt\" could not be written", "No space left"},
        {"the second's rename is refused", Step::Rename, 0, "b.txt", false, true,
         "\"b.txt\" could not be replaced", "Permission denied"},
        {"the second's rename is refused, the first is new", Step::Rename, 0, "b.txt", false, false,
         "\"b.txt\" could not be replaced", "Permission denied"},
        {"the first's rename is refused", Step::Rename, 0, "a.png", false, true,
         "Permission denied", "\"a.png\" could not be replaced"},
        {"the second is read-only", Step::None, 0, "", true, true, "\"b.txt\" could not be written",
         "is read-only"},
        {"nothing fails", Step::None, 0, "", false, true, "", ""},
        {"the folder is not synced", Step::SyncFolder, 0, "", false, true, "was replaced",
         "was replaced"},
    };
    const std::string first = (dir_ / "a.png").string();
    const std::string second = (dir_ / "b.txt").string();
    const std::string firstNew(4000, 'p');  // fits in the room the disk has; the second not
    const std::string secondNew(4000, 't');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.firstExists) {
            ASSERT_TRUE(WriteFileAtomically(first, "old picture"));
        }
        ASSERT_TRUE(WriteFileAtomically(second, "old table"));
        if (c.secondReadOnly) fs::permissions(second, fs::perms::owner_read);
        FailingOps ops(c.step);
        ops.room = c.room;
        ops.renameRefusedFor = c.refusedFor;
        std::vector<std::string> messages;
        {
            AtomicFileSet files({first, second}, ops);
            files.Write(0, firstNew);
            files.WriteStreamed(1, [&secondNew](std::ostream& out) {
                out << secondNew.substr(0, 2000) << secondNew.substr(2000);
                return true;
            });
            messages = files.Commit();
        }
        const bool replaced = std::string(c.firstSays).empty() || c.step == Step::SyncFolder;
        if (std::string(c.firstSays).empty()) {
            EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
        } else {
            ASSERT_EQ(messages.size(), 2u) << ::testing::PrintToString(messages);
            EXPECT_EQ(messages[0].find("\"" + first + "\""), messages[0].find('"')) << messages[0];
            EXPECT_NE(messages[0].find(c.firstSays), std::string::npos) << messages[0];
            EXPECT_EQ(messages[1].find("\"" + second + "\""), messages[1].find('"')) << messages[1];
            EXPECT_NE(messages[1].find(c.secondSays), std::string::npos) << messages[1];
        }
        std::string back;
        if (c.firstExists || replaced) {
            ASSERT_TRUE(ReadWholeFile(first, back));
            EXPECT_EQ(back, replaced ? firstNew : "old picture");
        } else {
            EXPECT_FALSE(fs::exists(first));
        }
        ASSERT_TRUE(ReadWholeFile(second, back));
        EXPECT_EQ(back, replaced ? secondNew : "old table");
        EXPECT_EQ(Names().size(), c.firstExists || replaced ? 2u : 1u)
            << ::testing::PrintToString(Names());
        fs::permissions(second, fs::perms::owner_write, fs::perm_options::add);
        fs::remove(first);
        fs::remove(second);
    }
}

// A set that is not committed, or whose content could not be made, replaces nothing.
TEST_F(AtomicFileTest, AFileSetNotCommittedOrWithAFailedFileReplacesNothing) {
    const std::string first = (dir_ / "a.png").string();
    const std::string second = (dir_ / "b.txt").string();
    ASSERT_TRUE(WriteFileAtomically(first, "old"));
    {
        AtomicFileSet files({first, second});
        ASSERT_TRUE(files.Write(0, "new"));
        ASSERT_TRUE(files.Write(1, "new"));
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
    AtomicFileSet files({first, second});
    ASSERT_TRUE(files.Write(0, "new"));
    files.Fail(1, "cannot draw \"" + second + "\"");
    EXPECT_EQ(files.Commit(),
              (std::vector<std::string>{
                  "cannot replace \"" + first + "\": \"b.txt\" could not be written with it",
                  "cannot draw \"" + second + "\""}));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(first, back));
    EXPECT_EQ(back, "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
}

}  // namespace
}  // namespace vela
