#include "data/digit_font.h"

#include "data/number_list.h"
#include "display/canvas.h"

DigitFont digit_font;

void read_digit_font(DigitFont& font, NumberListReader& reader) {
    for (auto& glyph : font.glyphs) {
        for (auto& row : glyph) {
            for (int32_t& cell : row) {
                cell = reader.read_int();
            }
        }
    }
}

void load_digit_font(const char* path) {
    NumberListReader reader;
    reader.open(path);
    read_digit_font(digit_font, reader);
    reader.close();
}

void draw_digits(int32_t x, int32_t y, const char* text) {
    if (text == nullptr) {
        return;
    }
    int64_t left = x;  // wide: a long text must not overflow the column
    for (const char* p = text; *p != '\0'; ++p, left += GLYPH_EDGE) {
        // Every character other than a digit draws glyph 0.
        const char ch = *p;
        const size_t g = ch >= '0' && ch <= '9' ? static_cast<size_t>(ch - '0') : 0;
        for (int32_t r = 0; r < GLYPH_EDGE; ++r) {
            const int64_t row = int64_t{y} + r;
            for (int32_t c = 0; c < GLYPH_EDGE; ++c) {
                const int64_t column = left + c;
                const int32_t v =
                    digit_font.glyphs[g][static_cast<size_t>(r)][static_cast<size_t>(c)];
                // Cells beyond the 32-bit coordinates are beyond the canvas too.
                if (v > 0 && column <= INT32_MAX && row <= INT32_MAX) {
                    plot_cell(static_cast<int32_t>(column), static_cast<int32_t>(row), v);
                }
            }
        }
    }
}
