#include "data/level_map.h"

#include "data/number_list.h"

LevelMap level_map;

void read_level_map(LevelMap& level, NumberListReader& reader) {
    // Every cell takes its own read, 0 once the file has run out, so the
    // grid needs no clearing first.
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            level_cell(level, x, y) = reader.read_int();
        }
    }
}

void load_level_map(const char* path) {
    NumberListReader reader;
    reader.open(path);
    read_level_map(level_map, reader);
    reader.close();
}
