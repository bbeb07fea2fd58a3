#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/atomic_file.h"

namespace vela {

// A fresh folder per test for the files an INI object loads and writes.
class IniTestFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        dir_ = std::filesystem::temp_directory_path() / ("vela-ini-" + name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::string Put(const std::string& name, const std::string& content) const {
        const std::string path = Path(name);
        EXPECT_TRUE(WriteFileAtomically(path, content));
        return path;
    }

    std::string Get(const std::string& name) const {
        std::string content;
        EXPECT_TRUE(ReadWholeFile(Path(name), content)) << name;
        return content;
    }

    std::filesystem::path dir_;
};

}  // namespace vela
