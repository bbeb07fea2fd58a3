#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace vela {
namespace {

namespace fs = std::filesystem;

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
    fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesWholeContentAndLeavesNoTemporaries) {
    const std::string path = (dir_ / "a.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "first\n"));
    ASSERT_TRUE(WriteFileAtomically(path, std::string("se\0cond", 7)));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, std::string("se\0cond", 7));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, FailureKeepsTheOldFile) {
    const std::string path = (dir_ / "keep.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    // A missing folder and a path that is a folder both fail without touching anything.
    EXPECT_FALSE(WriteFileAtomically((dir_ / "no" / "such.txt").string(), "x"));
    EXPECT_FALSE(WriteFileAtomically(dir_.string() + "/", "x"));
    std::string back;
    EXPECT_FALSE(ReadWholeFile(dir_.string(), back));
    EXPECT_FALSE(ReadWholeFile((dir_ / "missing").string(), back));
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "old");
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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    ASSERT_TRUE(WriteFileAtomicallyStreamed(path, pieces));
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "piece 0\npiece 1\npiece 2\n");
}

}  // namespace
}  // namespace vela
