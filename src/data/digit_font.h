// The digit font of the score: ten 5 x 5 glyphs.
#pragma once

#include <array>
#include <cstdint>

struct NumberListReader;

inline constexpr int32_t GLYPH_EDGE = 5;

struct DigitFont {
    // glyphs[digit][row][column]; values 0 and less are transparent
    std::array<std::array<std::array<int32_t, GLYPH_EDGE>, GLYPH_EDGE>, 10> glyphs{};
};

extern DigitFont digit_font;

// Fills digit_font from the font file at path: 250 reads, digit by digit.
void load_digit_font(const char* path);

// The 250 reads of load_digit_font into font, from a reader opened by the
// caller; the reader stays open.
void read_digit_font(DigitFont& font, NumberListReader& reader);

// Draws text with its first glyph's top-left corner at canvas cell (x, y),
// one glyph per character, side by side; characters other than 0..9 draw
// glyph 0.
void draw_digits(int32_t x, int32_t y, const char* text);
