// The 8 x 8 character font of the text output, in the look of the classic PC
// text font, for the printable ASCII characters 32..126.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int32_t FONT_FIRST = 32;  // ' '
inline constexpr int32_t FONT_LAST = 126;  // '~'
inline constexpr int32_t FONT_GLYPH_COUNT = FONT_LAST - FONT_FIRST + 1;
inline constexpr int32_t FONT_GLYPH_ROWS = 8;

// Eight pixel rows, top first; in each row bit 7 is the leftmost pixel and a
// set bit is ink.
using Glyph = std::array<uint8_t, FONT_GLYPH_ROWS>;

// True for the bytes that have a glyph of their own.
bool font_covers(uint8_t code);

// The glyph of code. Bytes the font does not cover give the blank glyph, so
// that every printed byte paints its whole cell.
const Glyph& font_glyph(uint8_t code);
