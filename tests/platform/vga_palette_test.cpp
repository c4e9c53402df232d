#include "platform/vga_palette.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct PaletteCase {
    int32_t index;
    PaletteColour colour;
};

void expect_colour(const PaletteCase& c) {
    const PaletteColour& got = VGA_PALETTE[static_cast<size_t>(c.index)];
    EXPECT_EQ(got.r, c.colour.r) << "index " << c.index;
    EXPECT_EQ(got.g, c.colour.g) << "index " << c.index;
    EXPECT_EQ(got.b, c.colour.b) << "index " << c.index;
}

TEST(VgaPalette, SixteenTextColours) {
    constexpr std::array<PaletteCase, 16> cases{{
        {0, {0, 0, 0}},
        {1, {0, 0, 170}},
        {2, {0, 170, 0}},
        {3, {0, 170, 170}},
        {4, {170, 0, 0}},
        {5, {170, 0, 170}},
        {6, {170, 85, 0}},
        {7, {170, 170, 170}},
        {8, {85, 85, 85}},
        {9, {85, 85, 255}},
        {10, {85, 255, 85}},
        {11, {85, 255, 255}},
        {12, {255, 85, 85}},
        {13, {255, 85, 255}},
        {14, {255, 255, 85}},
        {15, {255, 255, 255}},
    }};
    for (const PaletteCase& c : cases) {
        expect_colour(c);
    }
}

// The rest, 6-bit levels shown as v * 255 / 63 without fraction: the grey
// ramp's ends, the first and last colour of the bright, middle and dark hue
// circles, and the black tail.
TEST(VgaPalette, GreyRampHueCirclesAndBlackTail) {
    constexpr std::array<PaletteCase, 12> cases{{
        {16, {0, 0, 0}},
        {17, {20, 20, 20}},  // level 5
        {31, {255, 255, 255}},
        {32, {0, 0, 255}},
        {40, {255, 0, 0}},
        {55, {0, 64, 255}},     // level 16
        {56, {125, 125, 255}},  // level 31
        {104, {0, 0, 113}},     // level 28
        {176, {0, 0, 64}},      // level 16
        {247, {44, 48, 64}},    // levels 11, 12, 16
        {248, {0, 0, 0}},
        {255, {0, 0, 0}},
    }};
    for (const PaletteCase& c : cases) {
        expect_colour(c);
    }
}

}  // namespace
