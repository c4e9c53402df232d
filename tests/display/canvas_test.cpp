#include "display/canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>

#include "data/level_map.h"
#include "platform/display.h"
#include "platform/headless/headless.h"

namespace {

class CanvasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
        build_block_patterns();
        framebuffer = screen_framebuffer();
        create_canvas();
        level_map = LevelMap{};
    }

    static uint8_t canvas_at(int32_t x, int32_t y) {
        return canvas.pixels[static_cast<size_t>(y * MAP_W + x)];
    }
    static uint8_t screen_at(int32_t x, int32_t y) {
        return framebuffer[static_cast<size_t>(y * SCREEN_W + x)];
    }
    // A framebuffer that present_canvas must overwrite everywhere.
    static void soil_screen() { std::memset(framebuffer, 0xAA, SCREEN_BYTES); }
    // The offset of the first framebuffer byte that differs from value, or -1.
    static int32_t first_byte_not(uint8_t value) {
        for (int32_t i = 0; i < SCREEN_BYTES; ++i) {
            if (framebuffer[i] != value) {
                return i;
            }
        }
        return -1;
    }
    static void fill_level(int32_t value) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            for (int32_t y = 0; y < MAP_H; ++y) {
                level_cell(level_map, x, y) = value;
            }
        }
    }
};

TEST_F(CanvasTest, PlotCellWritesOnlyInsideWithPositiveColour) {
    struct Case {
        const char* name;
        int32_t x, y, colour;
        bool writes;
        uint8_t stored;
    };
    const std::array<Case, 14> cases{{
        {"right of the last column", 80, 0, 5, false, 0},
        {"below the last row", 0, 60, 5, false, 0},
        {"left of column 0", -1, 0, 5, false, 0},
        {"above row 0", 0, -1, 5, false, 0},
        {"far outside", INT32_MAX, INT32_MIN, 5, false, 0},
        {"far outside, negative x", INT32_MIN, 59, 5, false, 0},
        {"last cell", 79, 59, 5, true, 5},
        {"first cell", 0, 0, 5, true, 5},
        {"colour 0 is transparent", 10, 10, 0, false, 0},
        {"negative colour is transparent", 10, 10, -3, false, 0},
        {"most negative colour", 10, 10, INT32_MIN, false, 0},
        {"257 keeps its low 8 bits", 0, 0, 257, true, 1},
        {"256 keeps its low 8 bits and paints 0", 0, 0, 256, true, 0},
        {"largest colour", 3, 4, INT32_MAX, true, 255},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Every cell holds 7 as if plotted earlier in the frame, so that a
        // transparent colour shows by leaving it and a stray write shows anywhere.
        canvas.pixels.fill(7);
        plot_cell(c.x, c.y, c.colour);
        Canvas expected;
        expected.pixels.fill(7);
        if (c.writes) {
            expected.pixels[static_cast<size_t>(c.y * MAP_W + c.x)] = c.stored;
        }
        EXPECT_EQ(canvas.pixels, expected.pixels);
    }
}

TEST_F(CanvasTest, BlockPatternsRepeatTheColourInEveryByte) {
    EXPECT_EQ(block_patterns.words[0], 0U);
    EXPECT_EQ(block_patterns.words[1], 0x0101010101010101ULL);
    EXPECT_EQ(block_patterns.words[15], 0x0F0F0F0F0F0F0F0FULL);
    for (size_t c = 0; c < block_patterns.words.size(); ++c) {
        std::array<uint8_t, 8> bytes{};
        std::memcpy(bytes.data(), &block_patterns.words[c], bytes.size());
        for (const uint8_t b : bytes) {
            EXPECT_EQ(b, c) << "entry " << c;
        }
    }
}

TEST_F(CanvasTest, DrawLevelMapPlotsEachCellAtItsOwnPlace) {
    // Distinct values per cell catch a swapped x and y: the level is stored
    // column by column, the canvas row by row.
    for (int32_t x = 0; x < MAP_W; ++x) {
        for (int32_t y = 0; y < MAP_H; ++y) {
            level_cell(level_map, x, y) = (x + y) % 3 == 0 ? -(x + 1) : 1 + (x * 3 + y * 7) % 15;
        }
    }
    clear_canvas();
    draw_level_map();
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            const int32_t v = level_cell(level_map, x, y);
            ASSERT_EQ(canvas_at(x, y), v > 0 ? v : 0) << "cell " << x << ", " << y;
        }
    }
}

TEST_F(CanvasTest, WholeLevelOfOneValueFillsEveryScreenByte) {
    struct Case {
        const char* name;
        int32_t level_value;
        uint8_t screen_byte;
    };
    const std::array<Case, 6> cases{{
        {"floor everywhere", 1, 1},
        {"zeros", 0, 0},
        {"negative values", -4, 0},
        {"colour 15", 15, 15},
        // No block pattern: the cell shows that palette entry all the same.
        {"colour above 15", 200, 200},
        {"colour 300 keeps its low 8 bits", 300, 44},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fill_level(c.level_value);
        soil_screen();
        clear_canvas();
        draw_level_map();
        present_canvas();
        EXPECT_EQ(first_byte_not(c.screen_byte), -1);
    }
}

TEST_F(CanvasTest, NothingPlottedGivesABlackScreen) {
    soil_screen();
    clear_canvas();
    present_canvas();
    EXPECT_EQ(first_byte_not(0), -1);
}

TEST_F(CanvasTest, LastCellBecomesTheBottomRightBlock) {
    soil_screen();
    clear_canvas();
    plot_cell(79, 59, 5);
    present_canvas();
    for (int32_t y = 0; y < SCREEN_H; ++y) {
        for (int32_t x = 0; x < SCREEN_W; ++x) {
            const bool in_block = x >= 632 && y >= 472;
            ASSERT_EQ(screen_at(x, y), in_block ? 5 : 0) << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(CanvasTest, EveryScreenPixelShowsTheCanvasCellAboveIt) {
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            plot_cell(x, y, 1 + (x * 5 + y * 11) % 255);
        }
    }
    present_canvas();
    for (int32_t y = 0; y < SCREEN_H; ++y) {
        for (int32_t x = 0; x < SCREEN_W; ++x) {
            ASSERT_EQ(screen_at(x, y), canvas_at(x / CELL_PIXELS, y / CELL_PIXELS))
                << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(CanvasTest, PresentInsideTheFrameLockIsNotTheOutermostRelease) {
    screen_lock();
    present_canvas();
    EXPECT_EQ(headless_stats().lock_depth, 1);
    EXPECT_EQ(headless_stats().outer_unlocks, 0);
    EXPECT_EQ(headless_stats().dirty_first, 0);
    EXPECT_EQ(headless_stats().dirty_last, SCREEN_H - 1);
    screen_unlock(-1, -1);
    EXPECT_EQ(headless_stats().lock_depth, 0);
    EXPECT_EQ(headless_stats().outer_unlocks, 1);
}

}  // namespace
