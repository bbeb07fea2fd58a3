#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/application.h"
#include "app/chart_window.h"
#include "app/main_window.h"
#include "platform/atomic_file.h"
#include "platform/failing_file_ops.h"

namespace vela::app {
namespace {

namespace fs = std::filesystem;
using testing_support::FailingOps;

class ChartFilesTest : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        dir_ = fs::temp_directory_path() /
               ("vela-chart-files-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        AppFixture::TearDown();
    }
    static std::string Read(const std::string& path) {
        std::string content;
        EXPECT_TRUE(ReadWholeFile(path, content)) << path;
        return content;
    }
    fs::path dir_;
};

// Picture and table are replaced together by whole new files, or both are kept: whichever of
// them a full disk, a refused rename or a read-only table hits, and every file not replaced
// is reported, by name, the one that failed with its cause.
TEST_F(ChartFilesTest, BothFilesAreReplacedWholeOrBothKeptAndEveryFailureIsNamed) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    const std::string base = (dir_ / "chart-1").string();
    const std::string png = base + ".png";
    const std::string txt = base + ".txt";

    struct Case {
        const char* what;
        FailingOps::Step step;
        const char* refusedFor;
        bool tableReadOnly;
        bool fails;
        const char* pictureSays;
        const char* tableSays;
    };
    const std::vector<Case> cases = {
        {"full disk", FailingOps::Step::Write, "", false, true, "No space left", "No space left"},
        {"no room for temporaries", FailingOps::Step::Create, "", false, true, "temporary",
         "temporary"},
        {"picture's rename refused", FailingOps::Step::Rename, ".png", false, true,
         "Permission denied", "could not be replaced"},
        {"table's rename refused", FailingOps::Step::Rename, ".txt", false, true,
         "could not be replaced", "Permission denied"},
        {"read-only table", FailingOps::Step::None, "", true, true, "could not be written",
         "read-only"},
        {"nothing fails", FailingOps::Step::None, "", false, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileAtomically(png, "old picture"));
        ASSERT_TRUE(WriteFileAtomically(txt, "old table"));
        if (c.tableReadOnly) fs::permissions(txt, fs::perms::owner_read);
        FailingOps ops(c.step);
        ops.room = 1000;  // less than either file
        ops.renameRefusedFor = c.refusedFor;
        const std::vector<std::string> failed = WriteChartFiles(*form, base, 800, 500, ops);

        auto says = [&failed](const std::string& path, const std::string& what) {
            return std::count_if(failed.begin(), failed.end(), [&](const std::string& m) {
                return m.find("\"" + path + "\"") != std::string::npos &&
                       m.find(what) != std::string::npos;
            });
        };
        ASSERT_EQ(failed.size(), c.fails ? 2u : 0u) << ::testing::PrintToString(failed);
        if (c.fails) {
            EXPECT_EQ(says(png, c.pictureSays), 1) << failed[0];
            EXPECT_EQ(says(txt, c.tableSays), 1) << failed[1];
        }
        const std::string picture = Read(png);
        const std::string table = Read(txt);
        if (c.fails) {
            EXPECT_EQ(picture, "old picture");
            EXPECT_EQ(table, "old table");
        } else {
            EXPECT_EQ(picture.substr(0, 8), "\x89PNG\r\n\x1a\n");
            EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 100);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2);
        fs::permissions(txt, fs::perms::owner_write, fs::perm_options::add);
    }
}

// In a folder whose path leaves room only for short names, both files are written.
TEST_F(ChartFilesTest, AFolderOfMaximalLengthTakesBothFiles) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    fs::path folder = dir_;
    while (folder.string().size() < 4075) {
        const std::size_t left = 4075 - folder.string().size() - 1;  // after the separator
        folder /= std::string(left <= 200 ? left : (left < 202 ? 100 : 200), 'd');
    }
    ASSERT_EQ(folder.string().size(), 4075u);
    fs::create_directories(folder);
    const std::string base = (folder / "chart-1").string();
    EXPECT_EQ(WriteChartFiles(*form, base, 800, 500), std::vector<std::string>{});
    EXPECT_EQ(Read(base + ".png").substr(0, 4), "\x89PNG");
    const std::string table = Read(base + ".txt");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 100);
}

}  // namespace
}  // namespace vela::app
