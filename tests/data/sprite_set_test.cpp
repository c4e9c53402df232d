#include "data/sprite_set.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/direction.h"
#include "data/number_list.h"
#include "data_files.h"
#include "display/canvas.h"

namespace {

using Rows = std::vector<std::vector<int32_t>>;

class SpriteSetTest : public DataFilesTest {
  protected:
    void SetUp() override {
        DataFilesTest::SetUp();
        clear_canvas();
    }

    SpriteSet load(const std::string& text) {
        SpriteSet set;
        load_sprite_set(set, write_file("sprite.dat", text).c_str());
        return set;
    }
};

struct DirectionCase {
    const char* name;
    const char* file;
    int32_t direction;
    Rows rows;  // what the canvas shows, top row first
};

// Shown in the names and messages of the cases.
void PrintTo(const DirectionCase& c, std::ostream* os) {
    *os << c.name;
}

const char* const SQUARE = "1,3,3\n1,2,3\n4,5,6\n7,8,9\n";
// Three cells wide and two lines tall, as written in the file.
const char* const WIDE = "1,3,2\n1,2,3\n4,5,6\n";

const DirectionCase DIRECTION_CASES[] = {
    {"square_west", SQUARE, DIR_WEST, {{1, 4, 7}, {2, 5, 8}, {3, 6, 9}}},
    {"square_north", SQUARE, DIR_NORTH, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
    {"square_east", SQUARE, DIR_EAST, {{7, 4, 1}, {8, 5, 2}, {9, 6, 3}}},
    {"square_south", SQUARE, DIR_SOUTH, {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}},
    // A picture that is not square turns with the set: west and east show
    // its lines as columns.
    {"wide_west", WIDE, DIR_WEST, {{1, 4}, {2, 5}, {3, 6}}},
    {"wide_north", WIDE, DIR_NORTH, {{1, 2, 3}, {4, 5, 6}}},
    {"wide_east", WIDE, DIR_EAST, {{4, 1}, {5, 2}, {6, 3}}},
    {"wide_south", WIDE, DIR_SOUTH, {{4, 5, 6}, {1, 2, 3}}},
};

class SpriteSetDirections : public SpriteSetTest,
                            public ::testing::WithParamInterface<DirectionCase> {};

TEST_P(SpriteSetDirections, DrawsTheFilesPictureTurned) {
    const DirectionCase& c = GetParam();
    const SpriteSet set = load(c.file);
    draw_sprite(set, c.direction, 1, 10, 20);
    Rows shown(c.rows.size(), std::vector<int32_t>(c.rows[0].size()));
    for (size_t j = 0; j < shown.size(); ++j) {
        for (size_t i = 0; i < shown[j].size(); ++i) {
            shown[j][i] = canvas_at(10 + static_cast<int32_t>(i), 20 + static_cast<int32_t>(j));
        }
    }
    EXPECT_EQ(shown, c.rows);
    // Nothing lands outside the picture.
    EXPECT_EQ(nonzero_cells(), static_cast<int32_t>(c.rows.size() * c.rows[0].size()));
}

INSTANTIATE_TEST_SUITE_P(Pictures, SpriteSetDirections, ::testing::ValuesIn(DIRECTION_CASES),
                         [](const ::testing::TestParamInfo<DirectionCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(SpriteSetTest, ZeroAndNegativeCellsLetTheCanvasShowThrough) {
    const SpriteSet set = load("1,2,2\n0,5\n-3,6\n");
    for (int32_t x = 0; x < 2; ++x) {
        for (int32_t y = 0; y < 2; ++y) {
            plot_cell(x, y, 9);
        }
    }
    draw_sprite(set, DIR_NORTH, 1, 0, 0);
    EXPECT_EQ(canvas_at(0, 0), 9);
    EXPECT_EQ(canvas_at(1, 0), 5);
    EXPECT_EQ(canvas_at(0, 1), 9);
    EXPECT_EQ(canvas_at(1, 1), 6);
}

TEST_F(SpriteSetTest, AtTheRightEdgeOnlyTheTwoLeftColumnsShow) {
    const SpriteSet set = load(SQUARE);
    draw_sprite(set, DIR_NORTH, 1, 78, 10);
    EXPECT_EQ(canvas_at(78, 10), 1);
    EXPECT_EQ(canvas_at(79, 10), 2);
    EXPECT_EQ(canvas_at(78, 12), 7);
    EXPECT_EQ(canvas_at(79, 12), 8);
    EXPECT_EQ(nonzero_cells(), 6);  // nothing wraps onto the next row
}

TEST_F(SpriteSetTest, HeaderTwoFiveFiveReadsExactlyFiftyNumbers) {
    std::string text = "2,5,5\n";
    for (int32_t k = 1; k <= 50; ++k) {
        text += std::to_string(k) + (k % 5 == 0 ? "\n" : ",");
    }
    text += "99,99\n";
    NumberListReader reader;
    reader.open_bytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    SpriteSet set;
    read_sprite_set(set, reader);
    EXPECT_EQ(reader.read_int(), 99);  // the first number after the two frames

    EXPECT_EQ(set.frame_count, 2);
    draw_sprite(set, DIR_NORTH, 2, 0, 0);
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            EXPECT_EQ(canvas_at(c, r), 26 + r * 5 + c);
        }
    }
}

TEST_F(SpriteSetTest, MissingFileDrawsNothing) {
    SpriteSet set;
    set.cells[DIR_WEST][1][0][0] = 5;  // whatever the set held before
    load_sprite_set(set, missing_file().c_str());
    EXPECT_EQ(set.frame_count, 0);
    EXPECT_EQ(set.width, 0U);
    EXPECT_EQ(set.height, 0U);
    for (int32_t d = DIR_WEST; d <= DIR_SOUTH; ++d) {
        draw_sprite(set, d, 1, 0, 0);
        draw_sprite(set, d, 2, 0, 0);
    }
    EXPECT_EQ(nonzero_cells(), 0);
}

TEST_F(SpriteSetTest, AFrameTheFileDoesNotHoldDrawsNothing) {
    const SpriteSet set = load(SQUARE);
    draw_sprite(set, DIR_WEST, 2, 0, 0);
    EXPECT_EQ(nonzero_cells(), 0);
}

// Headers beyond the record: the set keeps at most 2 frames of 11 x 11, but
// every line is read at the file's width, so each kept cell is the one the
// file puts there and the second frame starts where the file starts it.
TEST_F(SpriteSetTest, OversizeHeaderKeepsTheTopLeftOfEachFrame) {
    auto value = [](int32_t f, int32_t r, int32_t c) { return f * 1000 + r * 13 + c; };
    std::string text = "3,13,12\n";
    for (int32_t f = 1; f <= 3; ++f) {
        for (int32_t r = 0; r < 12; ++r) {
            for (int32_t c = 0; c < 13; ++c) {
                text += std::to_string(value(f, r, c)) + (c == 12 ? "\n" : ",");
            }
        }
    }
    NumberListReader reader;
    reader.open_bytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    SpriteSet set;
    read_sprite_set(set, reader);
    EXPECT_EQ(reader.read_int(), value(3, 0, 0));  // a third frame is never read

    EXPECT_EQ(set.frame_count, SPRITE_MAX_FRAMES);
    EXPECT_EQ(set.width, 11U);
    EXPECT_EQ(set.height, 11U);
    for (size_t f = 1; f <= 2; ++f) {
        for (size_t r = 0; r < 11; ++r) {
            for (size_t c = 0; c < 11; ++c) {
                const int32_t v = value(static_cast<int32_t>(f), static_cast<int32_t>(r),
                                        static_cast<int32_t>(c));
                ASSERT_EQ(set.cells[DIR_WEST][f][r][c], v) << f << " " << r << " " << c;
                ASSERT_EQ(set.cells[DIR_NORTH][f][c][r], v);
                ASSERT_EQ(set.cells[DIR_EAST][f][10 - r][c], v);
                ASSERT_EQ(set.cells[DIR_SOUTH][f][c][10 - r], v);
            }
        }
    }
}

struct HeaderCase {
    const char* name;
    const char* file;
    int32_t frame_count;
    uint32_t width;
    uint32_t height;
};

TEST_F(SpriteSetTest, HeadersOutsideTheRecordStayInsideIt) {
    const HeaderCase cases[] = {
        // A billion cells a line: the loader stops where the file does.
        {"huge", "1,2000000000,2000000000\n5,6", 1, 11, 11},
        {"width_minus_one", "1,-1,3\n5,6", 1, 0, 3},
        {"no_width_two_billion_lines", "2,0,2000000000\n5,6", 2, 0, 11},
        {"height_of_2_pow_31", "2,3,&H80000000\n5,6", 2, 3, 0},
        {"negative_frames", "-2,3,3\n5,6", 0, 3, 3},
        {"many_frames", "9,1,1\n5,6,7", 2, 1, 1},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SpriteSet set = load(c.file);
        EXPECT_EQ(set.frame_count, c.frame_count);
        EXPECT_EQ(set.width, c.width);
        EXPECT_EQ(set.height, c.height);
        for (int32_t d = 0; d <= 5; ++d) {
            for (int32_t f = 0; f <= 3; ++f) {
                draw_sprite(set, d, f, 0, 0);
            }
        }
    }
}

TEST_F(SpriteSetTest, PositionsFarOffTheCanvasDrawNothing) {
    std::string text = "1,11,11\n";
    for (int32_t k = 0; k < 121; ++k) {
        text += "7,";
    }
    const SpriteSet set = load(text);
    const int32_t far[] = {INT32_MIN, -11, 80, INT32_MAX - 5, INT32_MAX};
    for (const int32_t x : far) {
        for (const int32_t y : far) {
            for (int32_t d = DIR_WEST; d <= DIR_SOUTH; ++d) {
                draw_sprite(set, d, 1, x, y);
                draw_sprite(set, d, 1, x, 0);
                draw_sprite(set, d, 1, 0, y);
            }
        }
    }
    EXPECT_EQ(nonzero_cells(), 0);
}

}  // namespace
