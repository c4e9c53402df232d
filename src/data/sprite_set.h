// Sprite sets: up to two frames of a picture in four directions.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int32_t SPRITE_MAX_EDGE = 11;
inline constexpr int32_t SPRITE_MAX_FRAMES = 2;

struct SpriteSet {
    int32_t frame_count = 0;
    uint32_t width = 0;
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
void load_sprite_set(SpriteSet& set, const char* path);

// Plots frame `frame` of direction `direction` with its top-left corner at
// canvas cell (x0, y0), through plot_cell. Values 0 and less are transparent;
// cells beyond the canvas are dropped. Directions outside 1..4 and frames
// outside 1..2 draw nothing.
void draw_sprite(const SpriteSet& set, int32_t direction, int32_t frame, int32_t x0, int32_t y0);
