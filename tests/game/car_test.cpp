// Car control: the probes, the four key tests of a frame and the wrap rules.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "data/direction.h"
#include "game/car.h"
#include "game_test_support.h"
#include "platform/input.h"

namespace {

constexpr int32_t CX = 10;  // a car well inside the grid
constexpr int32_t CY = 20;

// The i-th probe cell (i = 0..4) of a side; i = -1 and i = 5 give the corner
// cells just outside the probe, which must never be read.
std::array<int32_t, 2> probe_cell(const Car& car, int32_t side, int32_t i) {
    switch (side) {
        case DIR_WEST:
            return {car.x - 1, car.y + i};
        case DIR_NORTH:
            return {car.x + i, car.y - 1};
        case DIR_EAST:
            return {car.x + CAR_SIZE, car.y + i};
        default:
            return {car.x + i, car.y + CAR_SIZE};
    }
}

// A level that is wall everywhere except the five probe cells of `side`.
LevelMap only_probe_floor(const Car& car, int32_t side) {
    LevelMap level = filled_level(2);
    for (int32_t i = 0; i < CAR_SIZE; ++i) {
        const auto [x, y] = probe_cell(car, side, i);
        level_cell(level, x, y) = CELL_FLOOR;
    }
    return level;
}

// One frame of car control: step 1 and step 3 with the keys held.
Car drive_frame(Car car, const LevelMap& level, const std::vector<int32_t>& keys) {
    hold_keys(keys);
    drive_car(car, level);
    wrap_car(car);
    return car;
}

TEST(ProbeClear, OnlyTheFiveCellsBeyondTheEdgeCountAndOnlyFloorIsClear) {
    const Car car{CX, CY, DIR_WEST, 1};
    // Values that are not floor, 0 and negatives included, each block.
    constexpr std::array<int32_t, 5> blockers{0, 2, -1, 15, 1000};
    for (int32_t side = DIR_WEST; side <= DIR_SOUTH; ++side) {
        const LevelMap clear = only_probe_floor(car, side);
        // The corners just outside the probe are wall in this level.
        EXPECT_TRUE(probe_clear(clear, car, side)) << "side " << side;
        for (int32_t i = 0; i < CAR_SIZE; ++i) {
            LevelMap level = clear;
            const auto [x, y] = probe_cell(car, side, i);
            level_cell(level, x, y) = blockers[static_cast<size_t>(i)];
            EXPECT_FALSE(probe_clear(level, car, side))
                << "side " << side << ", cell " << i << " holds "
                << blockers[static_cast<size_t>(i)];
        }
    }
}

TEST(ProbeClear, CellsBeyondTheGridAreClear) {
    struct Case {
        Car car;
        int32_t side;
    };
    const std::array<Case, 4> cases{{
        {{0, CY, DIR_WEST, 1}, DIR_WEST},
        {{CX, 0, DIR_WEST, 1}, DIR_NORTH},
        {{CAR_X_MAX, CY, DIR_WEST, 1}, DIR_EAST},
        {{CX, CAR_Y_MAX, DIR_WEST, 1}, DIR_SOUTH},
    }};
    const LevelMap walls = filled_level(0);
    for (const Case& c : cases) {
        EXPECT_TRUE(probe_clear(walls, c.car, c.side)) << "side " << c.side;
    }
}

TEST(DriveCar, UpMovesOneCellForwardUnlessOneOfTheFiveCellsBlocks) {
    for (int32_t direction = DIR_WEST; direction <= DIR_SOUTH; ++direction) {
        const Car car{CX, CY, direction, 1};
        const LevelMap clear = only_probe_floor(car, direction);
        const Car moved = drive_frame(car, clear, {KEY_UP});
        EXPECT_EQ(moved.x, CX + direction_dx(direction)) << "direction " << direction;
        EXPECT_EQ(moved.y, CY + direction_dy(direction)) << "direction " << direction;
        EXPECT_EQ(moved.anim_frame, 2);
        for (int32_t i = 0; i < CAR_SIZE; ++i) {
            LevelMap level = clear;
            const auto [x, y] = probe_cell(car, direction, i);
            level_cell(level, x, y) = 0;
            const Car stayed = drive_frame(car, level, {KEY_UP});
            EXPECT_EQ(stayed.x, CX) << "direction " << direction << ", cell " << i;
            EXPECT_EQ(stayed.y, CY) << "direction " << direction << ", cell " << i;
            EXPECT_EQ(stayed.anim_frame, 2);
        }
    }
}

TEST(DriveCar, AnimationAlternatesAgainstAnObstacle) {
    Car car{CX, CY, DIR_WEST, 1};
    const LevelMap walls = filled_level(0);
    for (const int32_t expected : {2, 1, 2, 1}) {
        car = drive_frame(car, walls, {KEY_UP});
        EXPECT_EQ(car.anim_frame, expected);
        EXPECT_EQ(car.x, CX);
        EXPECT_EQ(car.y, CY);
    }
}

TEST(DriveCar, UpAndDownTogether) {
    struct Case {
        const char* name;
        int32_t wall_x;  // a column of wall over the car's rows, or -1 for none
        int32_t expected_x;
    };
    // Facing west at CX: Up probes column CX - 1, then Down probes behind the
    // new position, column CX + 4, which is the column the car has just left.
    const std::array<Case, 4> cases{{
        {"both clear: forward and back again", -1, CX},
        {"front blocked: only backward", CX - 1, CX + 1},
        {"a wall behind the start does not matter", CX + CAR_SIZE, CX},
        {"car stood on a wall: Down is blocked by the column it left", CX + CAR_SIZE - 1, CX - 1},
    }};
    for (const Case& c : cases) {
        LevelMap level = filled_level(CELL_FLOOR);
        if (c.wall_x >= 0) {
            for (int32_t y = CY; y < CY + CAR_SIZE; ++y) {
                level_cell(level, c.wall_x, y) = 7;
            }
        }
        const Car car = drive_frame({CX, CY, DIR_WEST, 1}, level, {KEY_UP, KEY_DOWN});
        EXPECT_EQ(car.x, c.expected_x) << c.name;
        EXPECT_EQ(car.y, CY) << c.name;
        EXPECT_EQ(car.anim_frame, 1) << c.name;  // 1 + 2 is past 2
    }
}

TEST(DriveCar, TurningSequences) {
    struct Case {
        const char* name;
        std::vector<int32_t> keys;
        std::array<int32_t, 5> directions;  // after each of five frames
    };
    const std::array<Case, 3> cases{{
        {"Left", {KEY_LEFT}, {4, 3, 2, 1, 4}},
        {"Right", {KEY_RIGHT}, {2, 3, 4, 1, 2}},
        {"Left and Right", {KEY_LEFT, KEY_RIGHT}, {1, 1, 1, 1, 1}},
    }};
    // Walls everywhere: turning reads no cell and never moves the car.
    const LevelMap walls = filled_level(0);
    for (const Case& c : cases) {
        Car car{CX, CY, DIR_WEST, 1};
        for (size_t frame = 0; frame < c.directions.size(); ++frame) {
            car = drive_frame(car, walls, c.keys);
            EXPECT_EQ(car.direction, c.directions[frame]) << c.name << ", frame " << frame;
            EXPECT_EQ(car.x, CX);
            EXPECT_EQ(car.y, CY);
            EXPECT_EQ(car.anim_frame, 1);  // no driving key: left alone
        }
    }
}

TEST(DriveCar, FirstFrameAnimationFrame) {
    struct Case {
        std::vector<int32_t> keys;
        int32_t anim_frame;
    };
    const std::array<Case, 4> cases{{
        {{}, 2},
        {{KEY_UP}, 1},
        {{KEY_DOWN}, 1},
        {{KEY_UP, KEY_DOWN}, 2},
    }};
    const LevelMap floor = filled_level(CELL_FLOOR);
    for (const Case& c : cases) {
        const Car car = drive_frame(CAR_START, floor, c.keys);
        EXPECT_EQ(car.anim_frame, c.anim_frame) << c.keys.size() << " driving keys";
    }
}

TEST(DriveCar, TurnAndMoveInOneFrame) {
    struct Case {
        const char* name;
        int32_t direction;
        std::vector<int32_t> keys;
        int32_t blocked_column;  // a column of wall beside the car, or -1
        int32_t expected_direction;
        int32_t dx;
        int32_t dy;
    };
    const std::array<Case, 7> cases{{
        {"north, Up and Left: moves north, then faces west",
         DIR_NORTH,
         {KEY_UP, KEY_LEFT},
         -1,
         DIR_WEST,
         0,
         -1},
        {"north, Down and Right: faces east, then backs west",
         DIR_NORTH,
         {KEY_DOWN, KEY_RIGHT},
         -1,
         DIR_EAST,
         -1,
         0},
        {"north, Down and Right: the west column is probed",
         DIR_NORTH,
         {KEY_DOWN, KEY_RIGHT},
         CX - 1,
         DIR_EAST,
         0,
         0},
        {"west, Up, Left and Right: moves, direction stays",
         DIR_WEST,
         {KEY_UP, KEY_LEFT, KEY_RIGHT},
         -1,
         DIR_WEST,
         -1,
         0},
        // Left from west leaves 0 until the wrap: backing up still goes away
        // from the front the car shows, south, so it moves north.
        {"west, Down and Left: faces south, backs north",
         DIR_WEST,
         {KEY_DOWN, KEY_LEFT},
         -1,
         DIR_SOUTH,
         0,
         -1},
        // Right from south leaves 5: the car faces west and backs east.
        {"south, Down and Right: faces west, backs east",
         DIR_SOUTH,
         {KEY_DOWN, KEY_RIGHT},
         -1,
         DIR_WEST,
         1,
         0},
        {"south, Down and Right: the east column is probed",
         DIR_SOUTH,
         {KEY_DOWN, KEY_RIGHT},
         CX + CAR_SIZE,
         DIR_WEST,
         0,
         0},
    }};
    for (const Case& c : cases) {
        LevelMap level = filled_level(CELL_FLOOR);
        if (c.blocked_column >= 0) {
            for (int32_t y = CY; y < CY + CAR_SIZE; ++y) {
                level_cell(level, c.blocked_column, y) = 3;
            }
        }
        const Car car = drive_frame({CX, CY, c.direction, 1}, level, c.keys);
        EXPECT_EQ(car.direction, c.expected_direction) << c.name;
        EXPECT_EQ(car.x, CX + c.dx) << c.name;
        EXPECT_EQ(car.y, CY + c.dy) << c.name;
    }
}

TEST(DriveCar, LeavingThroughAnEdgeComesBackAtTheOppositeOne) {
    struct Case {
        Car car;
        int32_t key;
        int32_t x;
        int32_t y;
    };
    const std::array<Case, 6> cases{{
        {{0, CY, DIR_WEST, 1}, KEY_UP, CAR_X_MAX, CY},
        {{CAR_X_MAX, CY, DIR_EAST, 1}, KEY_UP, 0, CY},
        {{CX, 0, DIR_NORTH, 1}, KEY_UP, CX, CAR_Y_MAX},
        {{CX, CAR_Y_MAX, DIR_SOUTH, 1}, KEY_UP, CX, 0},
        {{CAR_X_MAX, CY, DIR_WEST, 1}, KEY_DOWN, 0, CY},
        {{CX, 0, DIR_SOUTH, 1}, KEY_DOWN, CX, CAR_Y_MAX},
    }};
    // No cell is tested where the car lands.
    const LevelMap walls = filled_level(0);
    for (const Case& c : cases) {
        const Car car = drive_frame(c.car, walls, {c.key});
        EXPECT_EQ(car.x, c.x) << "from " << c.car.x << "," << c.car.y;
        EXPECT_EQ(car.y, c.y) << "from " << c.car.x << "," << c.car.y;
    }
}

TEST(WrapCar, BringsEveryValueBackIntoRange) {
    struct Case {
        Car in;
        Car out;
    };
    const std::array<Case, 5> cases{{
        {{0, 0, 1, 1}, {0, 0, 1, 1}},
        {{75, 55, 4, 2}, {75, 55, 4, 2}},
        {{76, 56, 5, 3}, {0, 0, 1, 1}},
        {{-1, -1, 0, 0}, {75, 55, 4, 2}},
        {{-1, 56, 5, 4}, {75, 0, 1, 1}},
    }};
    for (const Case& c : cases) {
        Car car = c.in;
        wrap_car(car);
        EXPECT_EQ(car.x, c.out.x);
        EXPECT_EQ(car.y, c.out.y);
        EXPECT_EQ(car.direction, c.out.direction);
        EXPECT_EQ(car.anim_frame, c.out.anim_frame);
    }
}

}  // namespace
