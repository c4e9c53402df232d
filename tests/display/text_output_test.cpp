#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "platform/display.h"
#include "platform/headless/headless.h"
#include "platform/text_font.h"
#include "screen_reader.h"

namespace {

constexpr uint8_t BACKDROP = 9;  // what the screen held before the text

class TextOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
        pixels = screen_framebuffer();
    }
    void fill_screen(uint8_t colour) { std::memset(pixels, colour, SCREEN_BYTES); }

    uint8_t* pixels = nullptr;
};

TEST(TextFont, CoversThePrintableCharactersWithDistinctGlyphs) {
    EXPECT_FALSE(font_covers(31));
    EXPECT_TRUE(font_covers(32));
    EXPECT_TRUE(font_covers(126));
    EXPECT_FALSE(font_covers(127));
    EXPECT_FALSE(font_covers(255));
    EXPECT_EQ(font_glyph(' '), Glyph{});
    // Distinct glyphs are what lets the tests read the screen back at all.
    std::set<Glyph> seen;
    for (int32_t code = FONT_FIRST + 1; code <= FONT_LAST; ++code) {
        const Glyph& glyph = font_glyph(static_cast<uint8_t>(code));
        EXPECT_NE(glyph, Glyph{}) << "character " << code << " has no ink";
        EXPECT_TRUE(seen.insert(glyph).second) << "character " << code << " repeats a glyph";
    }
}

TEST_F(TextOutputTest, NumbersHaveABlankOrAMinusSignInFront) {
    struct Case {
        int32_t value;
        const char* text;
    };
    const std::array<Case, 6> cases{{
        {0, " 0"},
        {7, " 7"},
        {-7, "-7"},
        {75, " 75"},
        {INT32_MAX, " 2147483647"},
        {INT32_MIN, "-2147483648"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fill_screen(BACKDROP);
        text_locate(4, 10, TEXT_CURSOR_UNCHANGED);
        text_print_number(c.value, TEXT_SEP_NONE);
        text_print_string("|", TEXT_SEP_NONE);  // nothing follows the digits
        const auto length = static_cast<int32_t>(std::strlen(c.text));
        EXPECT_EQ(read_text(pixels, 4, 10, length + 1), std::string(c.text) + "|");
        EXPECT_TRUE(cell_filled(pixels, 4, 11 + length, BACKDROP));
    }
}

TEST_F(TextOutputTest, EveryPixelOfACellIsPaintedInkOrPaper) {
    fill_screen(BACKDROP);
    text_locate(2, 1, TEXT_CURSOR_UNCHANGED);
    // Bytes without a glyph print as blank cells, painted whole all the same.
    text_print_string("Az~ \x01\x7f\x80\xff", TEXT_SEP_NONE);
    EXPECT_EQ(read_text(pixels, 2, 1, 8), "Az~     ");
    for (int32_t column = 4; column <= 8; ++column) {
        EXPECT_TRUE(cell_filled(pixels, 2, column, TEXT_PAPER)) << "column " << column;
    }
    EXPECT_TRUE(cell_filled(pixels, 2, 9, BACKDROP));
    EXPECT_TRUE(cell_filled(pixels, 1, 1, BACKDROP));
    EXPECT_TRUE(cell_filled(pixels, 3, 1, BACKDROP));
}

TEST_F(TextOutputTest, LocateKeepsTheCursorOnTheGrid) {
    struct Case {
        int32_t row, column;
        int32_t at_row, at_column;
    };
    const std::array<Case, 5> cases{{
        {1, 1, 1, 1},
        {60, 80, 60, 80},
        {0, 0, 1, 1},
        {-5, 40, 1, 40},
        {INT32_MAX, INT32_MIN, 60, 1},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << ", " << c.column);
        fill_screen(BACKDROP);
        text_locate(c.row, c.column, TEXT_CURSOR_UNCHANGED);
        text_print_string("@", TEXT_SEP_NONE);
        EXPECT_EQ(read_cell(pixels, c.at_row, c.at_column), '@');
    }
}

// Next zone: blanks up to the next column 14k + 1 after the cursor, or a line
// break when that column lies past 66.
TEST_F(TextOutputTest, NextZoneSeparator) {
    struct Case {
        int32_t column;    // cursor before the separator, on row 5
        int32_t next_row;  // where the next character goes
        int32_t next_column;
    };
    const std::array<Case, 10> cases{{
        {1, 5, 15},
        {2, 5, 15},
        {14, 5, 15},
        {15, 5, 29},
        {43, 5, 57},
        {56, 5, 57},
        {57, 6, 1},  // the next zone would start at 71
        {66, 6, 1},
        {71, 6, 1},
        {80, 6, 1},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column);
        fill_screen(BACKDROP);
        text_locate(5, c.column, TEXT_CURSOR_UNCHANGED);
        text_print_string("", TEXT_SEP_NEXT_ZONE);
        text_print_string("@", TEXT_SEP_NONE);
        EXPECT_EQ(read_cell(pixels, c.next_row, c.next_column), '@');
        // The blanks are painted whole; a line break paints nothing.
        const int32_t blanks_end = c.next_row == 5 ? c.next_column : c.column;
        for (int32_t column = 1; column <= TEXT_COLUMNS; ++column) {
            const bool blank = column >= c.column && column < blanks_end;
            if (c.next_row == 5 && column == c.next_column) {
                continue;
            }
            EXPECT_TRUE(cell_filled(pixels, 5, column, blank ? TEXT_PAPER : BACKDROP))
                << "column " << column;
        }
    }
}

TEST_F(TextOutputTest, LineBreakGoesToColumnOneOfTheNextRow) {
    text_locate(7, 33, TEXT_CURSOR_UNCHANGED);
    text_print_number(5, TEXT_SEP_LINE_BREAK);
    text_print_string("@", TEXT_SEP_NONE);
    EXPECT_EQ(read_text(pixels, 7, 33, 2), " 5");
    EXPECT_EQ(read_cell(pixels, 8, 1), '@');
}

TEST_F(TextOutputTest, TextPastColumn80GoesOnAtColumnOneOfTheNextRow) {
    fill_screen(BACKDROP);
    text_locate(3, 79, TEXT_CURSOR_UNCHANGED);
    text_print_string("abc", TEXT_SEP_NONE);
    EXPECT_EQ(read_text(pixels, 3, 79, 2), "ab");
    EXPECT_EQ(read_cell(pixels, 4, 1), 'c');
    EXPECT_TRUE(cell_filled(pixels, 4, 2, BACKDROP));
}

TEST_F(TextOutputTest, LineBreakAfterAFullRowLeavesNoEmptyRow) {
    fill_screen(BACKDROP);
    text_locate(3, 1, TEXT_CURSOR_UNCHANGED);
    const std::string full_row(TEXT_COLUMNS, 'x');
    text_print_string(full_row.c_str(), TEXT_SEP_LINE_BREAK);
    text_print_string("@", TEXT_SEP_NONE);
    EXPECT_EQ(read_text(pixels, 3, 1, TEXT_COLUMNS), full_row);
    EXPECT_EQ(read_cell(pixels, 4, 1), '@');
}

class ScrollTest : public TextOutputTest {
  protected:
    // Each pixel row Y holds a colour of its own, so a move shows in every row.
    static uint8_t row_colour(int32_t y) { return static_cast<uint8_t>(16 + y % 200); }
    void SetUp() override {
        TextOutputTest::SetUp();
        for (int32_t y = 0; y < SCREEN_H; ++y) {
            std::memset(pixels + y * SCREEN_W, row_colour(y), SCREEN_W);
        }
    }
    // Pixel rows 0..471 hold what rows 8..479 held, but for the cell of text
    // row 59 at painted_column, printed on row 60 before the scroll.
    void expect_scrolled_once() const {
        for (int32_t y = 0; y < SCREEN_H - TEXT_CELL_PIXELS; ++y) {
            const int32_t text_row = y / TEXT_CELL_PIXELS + 1;
            for (int32_t x = 0; x < SCREEN_W; ++x) {
                const int32_t column = x / TEXT_CELL_PIXELS + 1;
                if (text_row == 59 && column == painted_column) {
                    continue;
                }
                ASSERT_EQ(pixels[y * SCREEN_W + x], row_colour(y + TEXT_CELL_PIXELS))
                    << "pixel " << x << ", " << y;
            }
        }
    }
    int32_t painted_column = 0;
};

TEST_F(ScrollTest, LineBreakOnTheLastRowScrollsUpOneTextRow) {
    text_locate(60, 1, TEXT_CURSOR_UNCHANGED);
    text_print_string("Z", TEXT_SEP_LINE_BREAK);
    painted_column = 1;
    expect_scrolled_once();
    EXPECT_EQ(read_cell(pixels, 59, 1), 'Z');
    for (int32_t column = 1; column <= TEXT_COLUMNS; ++column) {
        ASSERT_TRUE(cell_filled(pixels, 60, column, TEXT_PAPER)) << "column " << column;
    }
    text_print_string("@", TEXT_SEP_NONE);
    EXPECT_EQ(read_cell(pixels, 60, 1), '@');
    EXPECT_EQ(headless_stats().dirty_first, 0);
    EXPECT_EQ(headless_stats().dirty_last, SCREEN_H - 1);
}

TEST_F(ScrollTest, TextPastColumn80OfTheLastRowScrolls) {
    text_locate(60, 80, TEXT_CURSOR_UNCHANGED);
    text_print_string("ab", TEXT_SEP_NONE);
    painted_column = TEXT_COLUMNS;
    expect_scrolled_once();
    EXPECT_EQ(read_cell(pixels, 59, 80), 'a');
    EXPECT_EQ(read_cell(pixels, 60, 1), 'b');
    EXPECT_TRUE(cell_filled(pixels, 60, 2, TEXT_PAPER));
}

TEST_F(ScrollTest, NextZonePast66OnTheLastRowScrolls) {
    text_locate(60, 70, TEXT_CURSOR_UNCHANGED);
    text_print_string("", TEXT_SEP_NEXT_ZONE);
    expect_scrolled_once();
    text_print_string("@", TEXT_SEP_NONE);
    EXPECT_EQ(read_cell(pixels, 60, 1), '@');
}

TEST_F(TextOutputTest, PrintingTakesANestedLockAndMarksOnlyItsRows) {
    screen_lock();
    text_locate(3, 5, TEXT_CURSOR_UNCHANGED);
    text_print_string("ab", TEXT_SEP_LINE_BREAK);
    EXPECT_EQ(headless_stats().lock_depth, 1);
    EXPECT_EQ(headless_stats().outer_unlocks, 0);
    EXPECT_EQ(headless_stats().dirty_first, 16);
    EXPECT_EQ(headless_stats().dirty_last, 23);
    screen_unlock(16, 23);
    EXPECT_EQ(headless_stats().lock_depth, 0);

    // A bare line break paints nothing and needs no lock.
    text_print_string("", TEXT_SEP_LINE_BREAK);
    EXPECT_EQ(headless_stats().outer_unlocks, 1);
}

}  // namespace
