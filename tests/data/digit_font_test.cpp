#include "data/digit_font.h"

#include <gtest/gtest.h>

#include <string>

#include "data_files.h"
#include "display/canvas.h"

namespace {

// Every glyph cell its own colour, so that a glyph, its rows and its columns
// can all be told apart on the canvas.
int32_t glyph_cell(int32_t g, int32_t r, int32_t c) {
    return 1 + g * 25 + r * 5 + c;
}

class DigitFontTest : public DataFilesTest {
  protected:
    void SetUp() override {
        DataFilesTest::SetUp();
        std::string text;
        for (int32_t g = 0; g < 10; ++g) {
            for (int32_t r = 0; r < GLYPH_EDGE; ++r) {
                for (int32_t c = 0; c < GLYPH_EDGE; ++c) {
                    text += std::to_string(glyph_cell(g, r, c)) + (c == 4 ? "\n" : ",");
                }
            }
        }
        load_digit_font(write_file("font.dat", text).c_str());
        clear_canvas();
    }

    // True when glyph g stands with its top-left corner at (x, y).
    static bool glyph_shown(int32_t g, int32_t x, int32_t y) {
        for (int32_t r = 0; r < GLYPH_EDGE; ++r) {
            for (int32_t c = 0; c < GLYPH_EDGE; ++c) {
                if (canvas_at(x + c, y + r) != glyph_cell(g, r, c)) {
                    return false;
                }
            }
        }
        return true;
    }
};

struct TextCase {
    const char* text;
    std::vector<int32_t> glyphs;  // shown from column 60 on, 5 columns apart
};

TEST_F(DigitFontTest, DrawsOneGlyphPerCharacterFromColumn60) {
    const TextCase cases[] = {
        {"0", {0}},
        {"1234", {1, 2, 3, 4}},
        {"12345", {1, 2, 3, 4}},  // the fifth would start at column 80
        {"7a-", {7, 0, 0}},       // characters other than digits draw glyph 0
        {"", {}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        clear_canvas();
        draw_digits(60, 5, c.text);
        for (size_t i = 0; i < c.glyphs.size(); ++i) {
            EXPECT_TRUE(glyph_shown(c.glyphs[i], 60 + 5 * static_cast<int32_t>(i), 5)) << i;
        }
        EXPECT_EQ(nonzero_cells(), 25 * static_cast<int32_t>(c.glyphs.size()));
    }
}

TEST_F(DigitFontTest, ZeroAndNegativeCellsAreTransparent) {
    digit_font.glyphs[3][0][0] = -3;
    digit_font.glyphs[3][0][1] = 0;
    plot_cell(10, 10, 200);
    plot_cell(11, 10, 201);
    draw_digits(10, 10, "3");
    EXPECT_EQ(canvas_at(10, 10), 200);
    EXPECT_EQ(canvas_at(11, 10), 201);
    EXPECT_EQ(canvas_at(12, 10), glyph_cell(3, 0, 2));
}

TEST_F(DigitFontTest, MissingFileLeavesEveryGlyphInvisible) {
    load_digit_font(missing_file().c_str());
    draw_digits(0, 0, "0123456789");
    EXPECT_EQ(nonzero_cells(), 0);
}

TEST_F(DigitFontTest, GlyphsFarOffTheCanvasDrawNothing) {
    draw_digits(INT32_MAX - 3, INT32_MAX - 2, "88");
    draw_digits(INT32_MIN, INT32_MIN, "88");
    draw_digits(-10, 0, "88");
    EXPECT_EQ(nonzero_cells(), 0);
    draw_digits(-9, 0, "88");  // the last column of the second glyph
    EXPECT_EQ(nonzero_cells(), 5);
}

}  // namespace
