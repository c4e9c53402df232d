#include "display/canvas.h"

#include <cstring>

#include "platform/display.h"

Canvas canvas;
BlockPatterns block_patterns;
uint8_t* framebuffer = nullptr;

void build_block_patterns() {
    block_patterns.words[0] = 0;
    for (size_t c = 1; c < BLOCK_PATTERN_COUNT; ++c) {
        block_patterns.words[c] = block_patterns.words[c - 1] + 0x0101010101010101ULL;
    }
}

void create_canvas() {
    canvas.pixels.fill(0);
}

void clear_canvas() {
    canvas.pixels.fill(0);
}

void plot_cell(int32_t x, int32_t y, int32_t colour) {
    if (x < MAP_W && y < MAP_H && colour > 0 && x >= 0 && y >= 0) {
        // Only the low 8 bits are a palette index: 257 plots 1, 256 plots 0.
        canvas.pixels[static_cast<size_t>(y * MAP_W + x)] =
            static_cast<uint8_t>(static_cast<uint32_t>(colour) & 0xFFU);
    }
}

void draw_level_map() {
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            plot_cell(x, y, level_cell(level_map, x, y));
        }
    }
}

namespace {

// Colours above 15 have no block pattern; they show as that entry of the
// palette, like the others.
uint64_t block_pattern(uint8_t v) {
    return v < BLOCK_PATTERN_COUNT ? block_patterns.words[v] : v * 0x0101010101010101ULL;
}

static_assert(MAP_W % 2 == 0, "present_canvas takes the cells of a row in pairs");

}  // namespace

void present_canvas() {
    screen_lock();
    // One pass over the canvas, front to back, two cells at a time: the two
    // patterns of a pixel row sit side by side, so the compiler can write
    // them with one 16-byte store, which halves the stores of the frame.
    const uint8_t* cell = canvas.pixels.data();
    for (int32_t r = 0; r < MAP_H; ++r) {
        uint8_t* block_row = framebuffer + static_cast<size_t>(r) * CELL_PIXELS * SCREEN_W;
        for (int32_t c = 0; c < MAP_W; c += 2, cell += 2) {
            const uint64_t left = block_pattern(cell[0]);
            const uint64_t right = block_pattern(cell[1]);
            uint8_t* block = block_row + static_cast<size_t>(c) * CELL_PIXELS;
            for (int32_t k = 0; k < CELL_PIXELS; ++k) {
                uint8_t* line = block + static_cast<size_t>(k) * SCREEN_W;
                std::memcpy(line, &left, sizeof left);
                std::memcpy(line + CELL_PIXELS, &right, sizeof right);
            }
        }
    }
    screen_unlock(-1, -1);
}
