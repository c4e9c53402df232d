#include "data/sprite_set.h"

#include <algorithm>

#include "data/direction.h"
#include "data/number_list.h"
#include "display/canvas.h"

namespace {

// A header edge as the loops count it: negative as a signed value is empty.
int32_t file_edge(uint32_t edge) {
    return edge > static_cast<uint32_t>(INT32_MAX) ? 0 : static_cast<int32_t>(edge);
}

size_t at(int32_t index) {
    return static_cast<size_t>(index);
}

// Reads the frames in file order, keeping the cells inside the set.
void read_frames(SpriteSet& set, NumberListReader& reader, int32_t file_width,
                 int32_t file_height) {
    const auto width = static_cast<int32_t>(set.width);
    const auto height = static_cast<int32_t>(set.height);
    if (file_width == 0 || file_height == 0) {
        return;  // no cell to read, however many empty lines the header asks for
    }
    // Frames past the second are never read: nothing after them is used.
    for (int32_t f = 1; f <= set.frame_count; ++f) {
        for (int32_t r = 0; r < file_height; ++r) {
            for (int32_t c = 0; c < file_width; ++c) {
                // Past the end every read gives 0 and every cell already is
                // 0, so a header of a billion cells costs no more than the
                // file's bytes.
                if (!reader.has_more()) {
                    return;
                }
                const int32_t v = reader.read_int();
                if (r < height && c < width) {
                    set.cells[DIR_WEST][at(f)][at(r)][at(c)] = v;
                }
            }
        }
    }
}

}  // namespace

void read_sprite_set(SpriteSet& set, NumberListReader& reader) {
    set = SpriteSet{};
    const int32_t file_frames = reader.read_int();
    const int32_t file_width = file_edge(reader.read_uint());
    const int32_t file_height = file_edge(reader.read_uint());

    const int32_t frames = file_frames < 0 ? 0 : std::min(file_frames, SPRITE_MAX_FRAMES);
    const int32_t width = std::min(file_width, SPRITE_MAX_EDGE);
    const int32_t height = std::min(file_height, SPRITE_MAX_EDGE);
    set.frame_count = frames;
    set.width = static_cast<uint32_t>(width);
    set.height = static_cast<uint32_t>(height);

    read_frames(set, reader, file_width, file_height);

    // Number c of line r, F(r, c), shows in direction 1 at column r, row c.
    // Directions 2 and 4 keep the file's lines as rows, 3 mirrors 1.
    for (int32_t f = 1; f <= frames; ++f) {
        const auto& west = set.cells[DIR_WEST][at(f)];
        for (int32_t r = 0; r < height; ++r) {
            for (int32_t c = 0; c < width; ++c) {
                const int32_t v = west[at(r)][at(c)];
                set.cells[DIR_NORTH][at(f)][at(c)][at(r)] = v;
                set.cells[DIR_EAST][at(f)][at(height - 1 - r)][at(c)] = v;
                set.cells[DIR_SOUTH][at(f)][at(c)][at(height - 1 - r)] = v;
            }
        }
    }
}

void load_sprite_set(SpriteSet& set, const char* path) {
    NumberListReader reader;
    reader.open(path);
    read_sprite_set(set, reader);
    reader.close();
}

void draw_sprite(const SpriteSet& set, int32_t direction, int32_t frame, int32_t x0, int32_t y0) {
    if (direction < DIR_WEST || direction > DIR_SOUTH || frame < 1 || frame > SPRITE_MAX_FRAMES) {
        return;
    }
    // West and east show the file's lines as columns.
    const bool across = direction == DIR_WEST || direction == DIR_EAST;
    // The loader keeps the edges inside the record; a set filled by hand is held to it too.
    constexpr auto MAX_EDGE = static_cast<uint32_t>(SPRITE_MAX_EDGE);
    const auto width = static_cast<int32_t>(std::min(set.width, MAX_EDGE));
    const auto height = static_cast<int32_t>(std::min(set.height, MAX_EDGE));
    const int32_t columns = across ? height : width;
    const int32_t rows = across ? width : height;
    const auto& picture = set.cells[at(direction)][at(frame)];
    for (int32_t j = 0; j < rows; ++j) {
        const int64_t y = int64_t{y0} + j;
        for (int32_t i = 0; i < columns; ++i) {
            const int64_t x = int64_t{x0} + i;
            // A cell beyond the 32-bit coordinates is beyond the canvas too.
            if (x <= INT32_MAX && y <= INT32_MAX) {
                plot_cell(static_cast<int32_t>(x), static_cast<int32_t>(y), picture[at(i)][at(j)]);
            }
        }
    }
}
