// The level: one program-wide grid of 80 x 60 signed 32-bit cells.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct NumberListReader;

inline constexpr int32_t MAP_W = 80;
inline constexpr int32_t MAP_H = 60;
inline constexpr int32_t CELL_FLOOR = 1;  // the only value that is floor

// Cells are stored column by column: the 60 cells of column 0 first.
struct LevelMap {
    std::array<int32_t, MAP_W * MAP_H> cells{};
};

extern LevelMap level_map;

inline bool cell_inside(int32_t x, int32_t y) {
    return x >= 0 && x < MAP_W && y >= 0 && y < MAP_H;
}

// The cell (x, y); the caller keeps x in 0..79 and y in 0..59.
inline int32_t& level_cell(LevelMap& level, int32_t x, int32_t y) {
    return level.cells[static_cast<std::size_t>(x * MAP_H + y)];
}
inline int32_t level_cell(const LevelMap& level, int32_t x, int32_t y) {
    return level.cells[static_cast<std::size_t>(x * MAP_H + y)];
}

// Fills level_map from the level file at path: exactly 4800 reads, row by row
// (y outer, x inner). The grid is not cleared first; a missing or short file
// leaves 0 in the cells it does not reach.
void load_level_map(const char* path);

// The 4800 reads of load_level_map into level, from a reader opened by the
// caller; the reader stays open.
void read_level_map(LevelMap& level, NumberListReader& reader);
