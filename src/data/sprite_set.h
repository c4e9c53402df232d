// Sprite sets: up to two frames of a picture in four directions.
//
// A sprite file holds frame_count, width and height, then for each frame
// `height` lines of `width` numbers: the picture facing north, its front on
// the first line. Directions 2 (north) and 4 (south) are drawn `width` cells
// wide and `height` tall, directions 1 (west) and 3 (east) `height` wide and
// `width` tall, so a picture that is not square turns with the set.
#pragma once

#include <array>
#include <cstdint>

struct NumberListReader;

inline constexpr int32_t SPRITE_MAX_EDGE = 11;
inline constexpr int32_t SPRITE_MAX_FRAMES = 2;

struct SpriteSet {
    int32_t frame_count = 0;  // frames held, 0..SPRITE_MAX_FRAMES
    uint32_t width = 0;       // of the picture as the file holds it, 0..SPRITE_MAX_EDGE
    uint32_t height = 0;
    // cells[direction 0..4][frame 0..2][i][j]: the cell i columns right of and
    // j rows below the top-left corner. Direction 0 and frame 0 stay 0.
    std::array<std::array<std::array<std::array<int32_t, SPRITE_MAX_EDGE>, SPRITE_MAX_EDGE>,
                          SPRITE_MAX_FRAMES + 1>,
               5>
        cells{};
};

// Fills set from the sprite file at path and derives directions 2 to 4 from
// direction 1. A missing file leaves an empty set that draws nothing.
//
// A header beyond the record is cut to it: at most 2 frames and 11 x 11
// cells are kept, but every line is read at its full width, and every frame
// kept at its full height, so that the kept cells are those the file puts
// there. A width or height that is negative as a signed 32-bit value is 0.
void load_sprite_set(SpriteSet& set, const char* path);

// load_sprite_set's reads and derivation, from a reader opened by the caller;
// the reader stays open.
void read_sprite_set(SpriteSet& set, NumberListReader& reader);

// Plots frame `frame` of direction `direction` with its top-left corner at
// canvas cell (x0, y0), through plot_cell. Values 0 and less are transparent;
// cells beyond the canvas are dropped. Directions outside 1..4 and frames
// outside 1..2 draw nothing.
void draw_sprite(const SpriteSet& set, int32_t direction, int32_t frame, int32_t x0, int32_t y0);
