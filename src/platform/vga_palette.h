// The standard VGA default palette that every showing backend draws the
// framebuffer's palette indices with.
//
// 0..15 are the sixteen text colours, 16..31 a grey ramp, 32..247 nine hue
// circles of 24 colours (three brightnesses, each in three saturations) and
// 248..255 black. The hardware holds 6-bit levels; each is shown as
// v * 255 / 63 without fraction, so 63 is 255 and 21 is 85.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct PaletteColour {
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

inline constexpr int32_t PALETTE_SIZE = 256;

namespace vga_palette_detail {

constexpr uint8_t level8(int32_t level6) {
    return static_cast<uint8_t>(level6 * 255 / 63);
}

struct Level6 {
    int32_t r;
    int32_t g;
    int32_t b;
};

// The 24 steps of one hue circle from blue over magenta, red, yellow, green
// and cyan back towards blue, over five 6-bit levels from the weakest (l[0])
// to the strongest (l[4]).
constexpr std::array<Level6, 24> hue_circle(const std::array<int32_t, 5>& l) {
    return {{{l[0], l[0], l[4]}, {l[1], l[0], l[4]}, {l[2], l[0], l[4]}, {l[3], l[0], l[4]},
             {l[4], l[0], l[4]}, {l[4], l[0], l[3]}, {l[4], l[0], l[2]}, {l[4], l[0], l[1]},
             {l[4], l[0], l[0]}, {l[4], l[1], l[0]}, {l[4], l[2], l[0]}, {l[4], l[3], l[0]},
             {l[4], l[4], l[0]}, {l[3], l[4], l[0]}, {l[2], l[4], l[0]}, {l[1], l[4], l[0]},
             {l[0], l[4], l[0]}, {l[0], l[4], l[1]}, {l[0], l[4], l[2]}, {l[0], l[4], l[3]},
             {l[0], l[4], l[4]}, {l[0], l[3], l[4]}, {l[0], l[2], l[4]}, {l[0], l[1], l[4]}}};
}

constexpr std::array<PaletteColour, PALETTE_SIZE> build() {
    constexpr std::array<Level6, 16> text_colours{{{0, 0, 0},
                                                   {0, 0, 42},
                                                   {0, 42, 0},
                                                   {0, 42, 42},
                                                   {42, 0, 0},
                                                   {42, 0, 42},
                                                   {42, 21, 0},
                                                   {42, 42, 42},
                                                   {21, 21, 21},
                                                   {21, 21, 63},
                                                   {21, 63, 21},
                                                   {21, 63, 63},
                                                   {63, 21, 21},
                                                   {63, 21, 63},
                                                   {63, 63, 21},
                                                   {63, 63, 63}}};
    constexpr std::array<int32_t, 16> greys{0,  5,  8,  11, 14, 17, 20, 24,
                                            28, 32, 36, 40, 45, 50, 56, 63};
    // Bright, middle and dark circles, each strong, pale and paler.
    constexpr std::array<std::array<int32_t, 5>, 9> circles{{{0, 16, 31, 47, 63},
                                                             {31, 39, 47, 55, 63},
                                                             {45, 49, 54, 58, 63},
                                                             {0, 7, 14, 21, 28},
                                                             {14, 17, 21, 24, 28},
                                                             {20, 22, 24, 26, 28},
                                                             {0, 4, 8, 12, 16},
                                                             {8, 10, 12, 14, 16},
                                                             {11, 12, 13, 15, 16}}};

    std::array<PaletteColour, PALETTE_SIZE> palette{};  // 248..255 stay black
    std::size_t next = 0;
    auto put = [&](const Level6& c) {
        palette[next] = PaletteColour{level8(c.r), level8(c.g), level8(c.b)};
        ++next;
    };
    for (const Level6& c : text_colours) {
        put(c);
    }
    for (const int32_t grey : greys) {
        put(Level6{grey, grey, grey});
    }
    for (const std::array<int32_t, 5>& levels : circles) {
        for (const Level6& c : hue_circle(levels)) {
            put(c);
        }
    }
    return palette;
}

}  // namespace vga_palette_detail

inline constexpr std::array<PaletteColour, PALETTE_SIZE> VGA_PALETTE = vga_palette_detail::build();

static_assert(VGA_PALETTE[1].b == 170 && VGA_PALETTE[6].g == 85 && VGA_PALETTE[15].r == 255);
static_assert(VGA_PALETTE[247].r == 44 && VGA_PALETTE[248].r == 0);
