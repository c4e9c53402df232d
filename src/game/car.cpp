#include "game/car.h"

#include "data/direction.h"
#include "platform/input.h"

int32_t direction_in_range(int32_t direction) {
    if (direction > DIR_SOUTH) {
        return DIR_WEST;
    }
    if (direction < DIR_WEST) {
        return DIR_SOUTH;
    }
    return direction;
}

int32_t opposite_direction(int32_t direction) {
    switch (direction) {
        case DIR_WEST:
            return DIR_EAST;
        case DIR_NORTH:
            return DIR_SOUTH;
        case DIR_EAST:
            return DIR_WEST;
        case DIR_SOUTH:
            return DIR_NORTH;
        default:
            return 0;
    }
}

bool probe_clear(const LevelMap& level, const Car& car, int32_t side) {
    int32_t floor = 0;
    for (int32_t i = 0; i < CAR_SIZE; ++i) {
        int32_t px = 0;
        int32_t py = 0;
        switch (side) {
            case DIR_WEST:
                px = car.x - 1;
                py = car.y + i;
                break;
            case DIR_NORTH:
                px = car.x + i;
                py = car.y - 1;
                break;
            case DIR_EAST:
                px = car.x + CAR_SIZE;
                py = car.y + i;
                break;
            case DIR_SOUTH:
                px = car.x + i;
                py = car.y + CAR_SIZE;
                break;
            default:
                return false;
        }
        // Beyond the grid there is no cell to block the way.
        if (!cell_inside(px, py) || level_cell(level, px, py) == CELL_FLOOR) {
            ++floor;
        }
    }
    return floor == CAR_SIZE;
}

namespace {

void move_if_clear(Car& car, const LevelMap& level, int32_t side) {
    if (probe_clear(level, car, side)) {
        car.x += direction_dx(side);
        car.y += direction_dy(side);
    }
}

}  // namespace

void drive_car(Car& car, const LevelMap& level) {
    if (key_down(KEY_UP) != 0) {
        ++car.anim_frame;
        move_if_clear(car, level, car.direction);
    }
    if (key_down(KEY_LEFT) != 0) {
        --car.direction;  // wrapped by wrap_car, not here
    }
    if (key_down(KEY_RIGHT) != 0) {
        ++car.direction;
    }
    if (key_down(KEY_DOWN) != 0) {
        ++car.anim_frame;
        // A turn in this frame may have left 0 or 5; backing up still goes
        // away from the front the car shows in this frame.
        move_if_clear(car, level, opposite_direction(direction_in_range(car.direction)));
    }
}

void wrap_car(Car& car) {
    if (car.anim_frame > 2) {
        car.anim_frame = 1;
    }
    if (car.anim_frame < 1) {
        car.anim_frame = 2;
    }
    if (car.direction > DIR_SOUTH) {
        car.direction = DIR_WEST;
    }
    if (car.direction < DIR_WEST) {
        car.direction = DIR_SOUTH;
    }
    if (car.x > CAR_X_MAX) {
        car.x = 0;
    }
    if (car.y > CAR_Y_MAX) {
        car.y = 0;
    }
    if (car.x < 0) {
        car.x = CAR_X_MAX;
    }
    if (car.y < 0) {
        car.y = CAR_Y_MAX;
    }
}
