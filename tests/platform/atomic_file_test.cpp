#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace vela
