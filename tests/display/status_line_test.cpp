#include "display/status_line.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "data/level_map.h"
#include "display/canvas.h"
#include "game/frame_loop.h"
#include "platform/display.h"
#include "platform/headless/headless.h"
#include "screen_reader.h"

namespace {

constexpr int32_t SCENE_COLOUR = 4;  // neither ink nor paper: text and scene stay apart
constexpr int32_t LINE_END = 38;     // the line's last column

class StatusLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
        build_block_patterns();
        framebuffer = screen_framebuffer();
        create_canvas();
        for (int32_t x = 0; x < MAP_W; ++x) {
            for (int32_t y = 0; y < MAP_H; ++y) {
                level_cell(level_map, x, y) = SCENE_COLOUR;
            }
        }
    }
    // Frame steps 4 to 6 and 10 to 12, without the car and the score.
    static void draw_frame(int32_t x, int32_t y, int32_t direction) {
        screen_lock();
        clear_canvas();
        draw_level_map();
        present_canvas();
        print_status_line(x, y, direction);
        screen_unlock(-1, -1);
    }
    // True when the pixels X from..639 of pixel rows top..bottom show the scene.
    static bool scene_shows(int32_t from, int32_t top, int32_t bottom) {
        for (int32_t y = top; y <= bottom; ++y) {
            for (int32_t x = from; x < SCREEN_W; ++x) {
                if (framebuffer[y * SCREEN_W + x] != SCENE_COLOUR) {
                    return false;
                }
            }
        }
        return true;
    }
};

TEST_F(StatusLineTest, FieldsStandAtColumns1_15_29And37) {
    struct Case {
        int32_t x, y, direction;
        const char* line;  // text row 1, columns 1..38
    };
    const std::array<Case, 5> cases{{
        //                 columns: 1             15            29      37
        {1, 1, 1, /*      */
         " 1            "
         " 1            "
         "direc : "
         " 1"},
        {75, 55, 4, /*    */
         " 75           "
         " 55           "
         "direc : "
         " 4"},
        {0, 0, 1, /*      */
         " 0            "
         " 0            "
         "direc : "
         " 1"},
        {9, 3, 2, /*      */
         " 9            "
         " 3            "
         "direc : "
         " 2"},
        {10, 30, 3, /*    */
         " 10           "
         " 30           "
         "direc : "
         " 3"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        draw_frame(c.x, c.y, c.direction);
        ASSERT_EQ(std::string(c.line).size(), static_cast<size_t>(LINE_END));
        EXPECT_EQ(read_text(framebuffer, 1, 1, LINE_END), c.line);
        // From X = 304 on, text row 1 shows the enlarged canvas.
        EXPECT_TRUE(scene_shows(LINE_END * TEXT_CELL_PIXELS, 0, TEXT_CELL_PIXELS - 1));
        EXPECT_TRUE(scene_shows(0, TEXT_CELL_PIXELS, SCREEN_H - 1));
    }
}

TEST_F(StatusLineTest, CursorEndsAtRow2Column1) {
    draw_frame(1, 1, 1);
    text_print_string("@", TEXT_SEP_NONE);
    EXPECT_EQ(read_cell(framebuffer, 2, 1), '@');
}

TEST_F(StatusLineTest, TextNeverScrollsFrameAfterFrame) {
    // More frames than the screen has text rows: a cursor that crept down by
    // a row per frame would have scrolled the screen by now.
    for (int32_t frame = 0; frame < 2 * TEXT_ROWS; ++frame) {
        draw_frame(frame % 76, frame % 56, 1 + frame % 4);
    }
    EXPECT_EQ(read_text(framebuffer, 1, 1, LINE_END),
              " 43           "
              " 7            "
              "direc : "
              " 4");
    EXPECT_TRUE(scene_shows(0, TEXT_CELL_PIXELS, SCREEN_H - 1));
    EXPECT_EQ(headless_stats().lock_depth, 0);
}

TEST_F(StatusLineTest, MarksOnlyTheFirstTextRow) {
    print_status_line(1, 1, 1);
    EXPECT_EQ(headless_stats().dirty_first, 0);
    EXPECT_EQ(headless_stats().dirty_last, TEXT_CELL_PIXELS - 1);
    EXPECT_EQ(headless_stats().lock_depth, 0);
}

TEST(FrameDisplay, FirstFrameShowsTheStatusLineOverTheLevel) {
    // No data files below the test's working directory: the level is all 0
    // and nothing is drawn, so the screen is black but for the status line.
    static GameState game;
    headless_reset();
    level_map = LevelMap{};  // as in a fresh process, whatever ran before
    start_up(game);
    run_frame(game);
    const uint8_t* pixels = screen_framebuffer();
    EXPECT_EQ(read_text(pixels, 1, 1, LINE_END + 1),
              " 1            "
              " 1            "
              "direc : "
              " 1"
              " ");
    EXPECT_EQ(headless_stats().lock_depth, 0);
    EXPECT_EQ(headless_stats().outer_unlocks, 1);
}

}  // namespace
