// Where a car, a projectile or a sprite faces. Turning right adds 1, turning
// left subtracts 1.
#pragma once

#include <cstdint>

inline constexpr int32_t DIR_WEST = 1;   // step x - 1
inline constexpr int32_t DIR_NORTH = 2;  // step y - 1
inline constexpr int32_t DIR_EAST = 3;   // step x + 1
inline constexpr int32_t DIR_SOUTH = 4;  // step y + 1

// The step of a direction; (0, 0) for a value outside 1..4.
inline constexpr int32_t direction_dx(int32_t direction) {
    return direction == DIR_WEST ? -1 : (direction == DIR_EAST ? 1 : 0);
}
inline constexpr int32_t direction_dy(int32_t direction) {
    return direction == DIR_NORTH ? -1 : (direction == DIR_SOUTH ? 1 : 0);
}
