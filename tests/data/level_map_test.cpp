#include "data/level_map.h"

#include <gtest/gtest.h>

#include <string>

#include "data/number_list.h"
#include "data_files.h"

namespace {

// A distinct value for every cell, so that any shift shows.
int32_t cell_value(int32_t x, int32_t y) {
    return y * MAP_W + x + 1;
}

std::string level_text(const char* line_end) {
    std::string text;
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            text += std::to_string(cell_value(x, y));
            if (x + 1 < MAP_W) {
                text += ',';
            }
        }
        text += line_end;
    }
    return text;
}

struct LayoutCase {
    const char* name;
    const char* line_end;
    bool trailing_comma;
};

// Shown in the names and messages of the cases.
void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class LevelMapLoad : public DataFilesTest, public ::testing::WithParamInterface<LayoutCase> {
  protected:
    void SetUp() override {
        DataFilesTest::SetUp();
        level_map.cells.fill(7);
    }
};

TEST_P(LevelMapLoad, FillsTheGridRowByRow) {
    const LayoutCase& c = GetParam();
    load_level_map(write_file("lev1.dat", level_text(c.line_end)).c_str());
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            // With a comma at every line end each line adds a 0, and every
            // later cell slides one place on.
            int32_t expected = cell_value(x, y);
            if (c.trailing_comma) {
                const int32_t read = y * MAP_W + x;
                expected = read % (MAP_W + 1) == MAP_W
                               ? 0
                               : cell_value(read % (MAP_W + 1), read / (MAP_W + 1));
            }
            ASSERT_EQ(level_cell(level_map, x, y), expected) << "x " << x << " y " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LevelMapLoad,
                         ::testing::Values(LayoutCase{"lines", "\n", false},
                                           LayoutCase{"cr_lf_lines", "\r\n", false},
                                           LayoutCase{"trailing_commas", ",\n", true}),
                         [](const ::testing::TestParamInfo<LayoutCase>& param) {
                             return std::string(param.param.name);
                         });

class LevelMapFile : public DataFilesTest {
  protected:
    void SetUp() override {
        DataFilesTest::SetUp();
        level_map.cells.fill(7);
    }
};

TEST_F(LevelMapFile, MissingFileLeavesEveryCellZero) {
    load_level_map(missing_file().c_str());
    for (const int32_t cell : level_map.cells) {
        ASSERT_EQ(cell, 0);
    }
}

TEST_F(LevelMapFile, ShortFileLeavesZerosWhereItRunsOut) {
    load_level_map(write_file("lev1.dat", "3,4\n5").c_str());
    EXPECT_EQ(level_cell(level_map, 0, 0), 3);
    EXPECT_EQ(level_cell(level_map, 1, 0), 4);
    EXPECT_EQ(level_cell(level_map, 2, 0), 5);
    EXPECT_EQ(level_cell(level_map, 3, 0), 0);
    EXPECT_EQ(level_cell(level_map, 0, 1), 0);
    EXPECT_EQ(level_cell(level_map, 79, 59), 0);
}

TEST_F(LevelMapFile, ReadsExactly4800Numbers) {
    std::string text;
    for (int32_t k = 0; k < MAP_W * MAP_H; ++k) {
        text += "2 ";
    }
    text += "99";
    NumberListReader reader;
    reader.open_bytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    LevelMap level;
    read_level_map(level, reader);
    EXPECT_EQ(level_cell(level, 79, 59), 2);
    EXPECT_EQ(reader.read_int(), 99);
}

}  // namespace
