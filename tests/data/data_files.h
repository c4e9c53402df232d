// A fixture that writes data files into a folder of the test's own, below
// the working directory, so that tests running side by side never share one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class DataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        folder_ = std::filesystem::current_path() / "files" / name;
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }

    // Writes bytes to the file `name` (forward slashes between folders) and
    // returns its path.
    std::string write_file(const std::string& name, std::string_view bytes) {
        const std::filesystem::path path = folder_ / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    std::string missing_file() const { return (folder_ / "missing.dat").string(); }

    std::filesystem::path folder_;
};
