// A fixture that writes data files into a folder of the test's own, below
// the working directory, so that tests running side by side never share one.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "display/canvas.h"

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

// The canvas byte at (x, y), and how many canvas bytes are not 0.
inline uint8_t canvas_at(int32_t x, int32_t y) {
    return canvas.pixels[static_cast<std::size_t>(y * MAP_W + x)];
}

inline int32_t nonzero_cells() {
    int32_t n = 0;
    for (const uint8_t p : canvas.pixels) {
        n += p != 0 ? 1 : 0;
    }
    return n;
}
