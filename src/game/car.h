// The player's car: driving, turning, collision with the level, and the
// rules that bring its values back into range once per frame.
#pragma once

#include <cstdint>

#include "data/level_map.h"

inline constexpr int32_t CAR_SIZE = 5;  // the car covers 5 x 5 cells whatever its direction
inline constexpr int32_t CAR_X_MAX = MAP_W - CAR_SIZE;  // 75
inline constexpr int32_t CAR_Y_MAX = MAP_H - CAR_SIZE;  // 55

struct Car {
    int32_t x;           // column of the left edge
    int32_t y;           // row of the top edge
    int32_t direction;   // DIR_WEST..DIR_SOUTH after wrap_car; 0 or 5 between
    int32_t anim_frame;  // 1 or 2 after wrap_car
};

inline constexpr Car CAR_START{1, 1, 1, 0};

// A direction that a turn has carried one step out of 1..4, brought back in:
// 0 is 4 and 5 is 1. Directions inside the range are returned as they are.
int32_t direction_in_range(int32_t direction);
int32_t opposite_direction(int32_t direction);

// True when the five cells just beyond the car's edge on `side` are all
// floor. Cells beyond the grid count as clear, so that a car can drive out
// through a gap in the border and come back on the opposite side.
bool probe_clear(const LevelMap& level, const Car& car, int32_t side);

// Frame step 1: tests Up, Left, Right and Down, in that order, and acts on
// each at once.
void drive_car(Car& car, const LevelMap& level);

// Frame step 3: anim_frame, direction, x and y back into range, in that order.
void wrap_car(Car& car);
