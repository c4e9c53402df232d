// Reads text back from the framebuffer: each 8 x 8 cell is compared with the
// glyphs of the text font, so the tests check the pixels that were painted.
#pragma once

#include <cstdint>
#include <string>

#include "platform/display.h"
#include "platform/text_font.h"

// The character whose glyph the cell at (row, column) shows, counted from 1;
// UNREADABLE when a pixel is neither ink nor paper or no glyph matches.
inline constexpr char UNREADABLE = '\x01';

inline char read_cell(const uint8_t* pixels, int32_t row, int32_t column) {
    Glyph seen{};
    for (int32_t r = 0; r < TEXT_CELL_PIXELS; ++r) {
        const int32_t y = (row - 1) * TEXT_CELL_PIXELS + r;
        uint32_t bits = 0;
        for (int32_t b = 0; b < TEXT_CELL_PIXELS; ++b) {
            const int32_t x = (column - 1) * TEXT_CELL_PIXELS + b;
            const uint8_t pixel = pixels[static_cast<size_t>(y * SCREEN_W + x)];
            if (pixel != TEXT_INK && pixel != TEXT_PAPER) {
                return UNREADABLE;
            }
            bits = (bits << 1U) | (pixel == TEXT_INK ? 1U : 0U);
        }
        seen[static_cast<size_t>(r)] = static_cast<uint8_t>(bits);
    }
    for (int32_t code = FONT_FIRST; code <= FONT_LAST; ++code) {
        if (font_glyph(static_cast<uint8_t>(code)) == seen) {
            return static_cast<char>(code);
        }
    }
    return UNREADABLE;
}

// count cells of one text row from column on.
inline std::string read_text(const uint8_t* pixels, int32_t row, int32_t column, int32_t count) {
    std::string text;
    for (int32_t c = column; c < column + count; ++c) {
        text += read_cell(pixels, row, c);
    }
    return text;
}

// True when every pixel of the cell holds colour.
inline bool cell_filled(const uint8_t* pixels, int32_t row, int32_t column, uint8_t colour) {
    for (int32_t r = 0; r < TEXT_CELL_PIXELS; ++r) {
        for (int32_t b = 0; b < TEXT_CELL_PIXELS; ++b) {
            const int32_t y = (row - 1) * TEXT_CELL_PIXELS + r;
            const int32_t x = (column - 1) * TEXT_CELL_PIXELS + b;
            if (pixels[static_cast<size_t>(y * SCREEN_W + x)] != colour) {
                return false;
            }
        }
    }
    return true;
}
