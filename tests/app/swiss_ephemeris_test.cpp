#include "app/swiss_ephemeris.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vela::app {
namespace {

namespace fs = std::filesystem;

// Debian's libswe build stands in for the library a user may drop next to the program.
std::string InstalledLibrary() {
    for (const char* p : {"/usr/lib/x86_64-linux-gnu/libswe.so.2",
                          "/usr/lib/aarch64-linux-gnu/libswe.so.2", "/usr/lib/libswe.so.2"})
        if (fs::exists(p)) return p;
    return "";
}

class SwissEphemerisTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vela-swe-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Folder() const { return dir_.string() + "/"; }
    fs::path dir_;
};

TEST_F(SwissEphemerisTest, AbsentLibraryIsIgnored) {
    SwissEphemeris swe;
    swe.Bind(Folder());
    EXPECT_FALSE(swe.Loaded());
    swe.Close();
    EXPECT_FALSE(swe.Closed());
}

TEST_F(SwissEphemerisTest, NotALibraryIsIgnored) {
    std::ofstream(dir_ / "libswe.so") << "not a shared object";
    SwissEphemeris swe;
    swe.Bind(Folder());
    EXPECT_FALSE(swe.Loaded());
}

TEST_F(SwissEphemerisTest, BindsAllEntriesAndClosesOnce) {
    const std::string lib = InstalledLibrary();
    if (lib.empty()) GTEST_SKIP() << "libswe is not installed";
    fs::copy_file(lib, dir_ / "libswe.so");
    SwissEphemeris swe;
    swe.Bind(Folder());
    ASSERT_TRUE(swe.Loaded());
    EXPECT_EQ(swe.EntriesFound(), SwissEphemeris::kEntryCount);
    swe.Close();
    EXPECT_TRUE(swe.Closed());
    swe.Close();  // a second close does nothing
    EXPECT_TRUE(swe.Closed());
}

}  // namespace
}  // namespace vela::app
