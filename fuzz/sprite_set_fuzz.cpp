// The sprite loader on arbitrary bytes, then every direction and frame drawn
// at positions in and beyond the canvas.
#include <array>

#include "data/direction.h"
#include "data/number_list.h"
#include "data/sprite_set.h"
#include "display/canvas.h"
#include "fuzz_check.h"

namespace {

size_t at(int32_t k) {
    return static_cast<size_t>(k);
}

// The set keeps to its record: nothing lies outside the picture's extent in
// any direction, and directions 2 to 4 are direction 1 turned.
void check_set(const SpriteSet& set) {
    FUZZ_CHECK(set.frame_count >= 0 && set.frame_count <= SPRITE_MAX_FRAMES);
    FUZZ_CHECK(set.width <= static_cast<uint32_t>(SPRITE_MAX_EDGE));
    FUZZ_CHECK(set.height <= static_cast<uint32_t>(SPRITE_MAX_EDGE));
    const auto w = static_cast<int32_t>(set.width);
    const auto h = static_cast<int32_t>(set.height);
    for (int32_t d = 0; d <= DIR_SOUTH; ++d) {
        const bool across = d == DIR_WEST || d == DIR_EAST;
        for (int32_t f = 0; f <= SPRITE_MAX_FRAMES; ++f) {
            const bool held = d >= DIR_WEST && f >= 1 && f <= set.frame_count;
            for (int32_t i = 0; i < SPRITE_MAX_EDGE; ++i) {
                for (int32_t j = 0; j < SPRITE_MAX_EDGE; ++j) {
                    const bool inside = held && i < (across ? h : w) && j < (across ? w : h);
                    FUZZ_CHECK(inside || set.cells[at(d)][at(f)][at(i)][at(j)] == 0);
                }
            }
        }
    }
    for (int32_t f = 1; f <= set.frame_count; ++f) {
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t c = 0; c < w; ++c) {
                const int32_t v = set.cells[DIR_WEST][at(f)][at(r)][at(c)];
                FUZZ_CHECK(set.cells[DIR_NORTH][at(f)][at(c)][at(r)] == v);
                FUZZ_CHECK(set.cells[DIR_EAST][at(f)][at(h - 1 - r)][at(c)] == v);
                FUZZ_CHECK(set.cells[DIR_SOUTH][at(f)][at(c)][at(h - 1 - r)] == v);
            }
        }
    }
}

// One draw on a clear canvas: each cell the picture covers shows its value
// (or nothing), and nothing else changes.
void check_draw(const SpriteSet& set, int32_t d, int32_t f, int32_t x0, int32_t y0) {
    clear_canvas();
    draw_sprite(set, d, f, x0, y0);
    const bool across = d == DIR_WEST || d == DIR_EAST;
    const auto columns = static_cast<int32_t>(across ? set.height : set.width);
    const auto rows = static_cast<int32_t>(across ? set.width : set.height);
    static Canvas expected;
    expected.pixels.fill(0);
    for (int32_t j = 0; j < rows; ++j) {
        for (int32_t i = 0; i < columns; ++i) {
            const int64_t x = int64_t{x0} + i;
            const int64_t y = int64_t{y0} + j;
            if (x >= 0 && x < MAP_W && y >= 0 && y < MAP_H) {
                expected.pixels[static_cast<size_t>(y * MAP_W + x)] =
                    fuzz_shown(set.cells[at(d)][at(f)][at(i)][at(j)]);
            }
        }
    }
    FUZZ_CHECK(expected.pixels == canvas.pixels);
}

constexpr std::array<std::array<int32_t, 2>, 7> FIXED_POSITIONS{{
    {0, 0},
    {78, 10},
    {-3, 57},
    {75, 55},
    {-11, -11},
    {2147483647 - 3, 2147483647 - 3},
    {-2147483647 - 1, -2147483647 - 1},
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NumberListReader reader;
    reader.open_bytes(data, size);
    static SpriteSet set;
    read_sprite_set(set, reader);
    reader.close();
    check_set(set);

    const int32_t x0 = fuzz_position(data, size, 1);
    const int32_t y0 = fuzz_position(data, size, 2);
    for (int32_t d = DIR_WEST; d <= DIR_SOUTH; ++d) {
        for (int32_t f = 1; f <= SPRITE_MAX_FRAMES; ++f) {
            check_draw(set, d, f, x0, y0);
            for (const auto& p : FIXED_POSITIONS) {
                draw_sprite(set, d, f, p[0], p[1]);
            }
        }
    }
    // Directions and frames the game never asks for draw nothing.
    clear_canvas();
    for (const int32_t d : {-1, 0, 5, 2147483647}) {
        for (const int32_t f : {-1, 0, 1, 2, 3}) {
            draw_sprite(set, d, f, 0, 0);
            draw_sprite(set, f, d, 0, 0);
        }
    }
    FUZZ_CHECK(canvas.pixels == Canvas{}.pixels);
    return 0;
}
