// The level loader on arbitrary bytes, then the level drawn.
#include "data/level_map.h"
#include "data/number_list.h"
#include "display/canvas.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NumberListReader reader;
    reader.open_bytes(data, size);
    read_level_map(level_map, reader);
    reader.close();
    clear_canvas();
    draw_level_map();
    // The first cell is the first number read.
    NumberListReader first;
    first.open_bytes(data, size);
    FUZZ_CHECK(level_cell(level_map, 0, 0) == first.read_int());
    FUZZ_CHECK(canvas.pixels[0] == fuzz_shown(level_cell(level_map, 0, 0)));
    return 0;
}
