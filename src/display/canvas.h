// The off-screen canvas of 80 x 60 palette indices, the one rule through
// which everything is drawn into it, and its eightfold enlargement onto the
// screen.
#pragma once

#include <array>
#include <cstdint>

#include "data/level_map.h"

inline constexpr int32_t CELL_PIXELS = 8;  // screen pixels per cell edge
inline constexpr int32_t BLOCK_PATTERN_COUNT = 16;

// One byte per cell, row by row: row y holds x = 0..79, rows follow with no gap.
struct Canvas {
    std::array<uint8_t, MAP_W * MAP_H> pixels{};
};

// The eight bytes of one screen row of a block, one word per colour 0..15.
struct BlockPatterns {
    std::array<uint64_t, BLOCK_PATTERN_COUNT> words{};
};

extern Canvas canvas;
extern BlockPatterns block_patterns;
extern uint8_t* framebuffer;  // from screen_framebuffer, stored once at start-up

void build_block_patterns();
void create_canvas();
void clear_canvas();

// Writes the low 8 bits of colour at canvas (x, y) when the cell is inside the
// canvas and colour > 0; otherwise does nothing.
void plot_cell(int32_t x, int32_t y, int32_t colour);

// Plots every level_map cell with its value as colour.
void draw_level_map();

// Enlarges the whole canvas into the framebuffer, each cell a block of 8 x 8
// pixels, under a screen lock of its own.
void present_canvas();
