// The font loader on arbitrary bytes, then every digit drawn, and a text of
// the input's own bytes.
#include <array>

#include "data/digit_font.h"
#include "data/number_list.h"
#include "display/canvas.h"
#include "fuzz_check.h"

namespace {

// One text on a clear canvas: each cell shows the glyph cell of the
// character over it, or nothing, and nothing else changes.
void check_draw(int32_t x0, int32_t y0, const char* text) {
    clear_canvas();
    draw_digits(x0, y0, text);
    static Canvas expected;
    expected.pixels.fill(0);
    for (int64_t k = 0; text[k] != '\0'; ++k) {
        const char ch = text[k];
        const size_t g = ch >= '0' && ch <= '9' ? static_cast<size_t>(ch - '0') : 0;
        for (int32_t r = 0; r < GLYPH_EDGE; ++r) {
            for (int32_t c = 0; c < GLYPH_EDGE; ++c) {
                const int64_t x = int64_t{x0} + k * GLYPH_EDGE + c;
                const int64_t y = int64_t{y0} + r;
                if (x >= 0 && x < MAP_W && y >= 0 && y < MAP_H) {
                    expected.pixels[static_cast<size_t>(y * MAP_W + x)] = fuzz_shown(
                        digit_font.glyphs[g][static_cast<size_t>(r)][static_cast<size_t>(c)]);
                }
            }
        }
    }
    FUZZ_CHECK(expected.pixels == canvas.pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NumberListReader reader;
    reader.open_bytes(data, size);
    read_digit_font(digit_font, reader);
    reader.close();

    const int32_t x0 = fuzz_position(data, size, 3);
    const int32_t y0 = fuzz_position(data, size, 4);
    check_draw(x0, y0, "0123456789");
    check_draw(60, 5, "12345");

    std::array<char, 33> own{};
    for (size_t k = 0; k < own.size() - 1 && k < size; ++k) {
        own[k] = static_cast<char>(data[size - 1 - k]);  // a NUL ends it early
    }
    check_draw(fuzz_position(data, size, 5), y0, own.data());

    for (const int32_t x : {-2147483647 - 1, -4, 79, 2147483647 - 4, 2147483647}) {
        draw_digits(x, x, "0123456789");
        draw_digits(x, 0, "88888888888888888888");
    }
    return 0;
}
