// The projectile: the fire step, the flight and the blast with its score.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/direction.h"
#include "display/canvas.h"
#include "game/projectile.h"
#include "game_test_support.h"
#include "platform/input.h"

namespace {

constexpr int32_t CX = 10;
constexpr int32_t CY = 20;

// A one-cell sprite whose colour tells which direction and frame was drawn:
// 10 * direction + frame.
SpriteSet telltale_sprites() {
    SpriteSet set;
    set.frame_count = 2;
    set.width = 1;
    set.height = 1;
    for (size_t d = 1; d <= 4; ++d) {
        for (size_t f = 1; f <= 2; ++f) {
            set.cells[d][f][0][0] = static_cast<int32_t>(10 * d + f);
        }
    }
    return set;
}

int32_t canvas_cell(int32_t x, int32_t y) {
    return canvas.pixels[static_cast<size_t>(y * MAP_W + x)];
}

class ProjectileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        canvas = Canvas{};
        score = 0;
    }
};

TEST_F(ProjectileTest, HandleEventTakesOneEventAndFiresOnlyOnACtrlRelease) {
    struct Case {
        const char* name;
        std::vector<HeadlessInput> inputs;  // all due at the first sample
        int32_t life;                       // before the call
        bool fires;
        int32_t left_queued;  // events still queued afterwards
    };
    auto input = [](int32_t action, int32_t code) {
        return HeadlessInput{HEADLESS_START_MS, action, code, 0, 0};
    };
    const std::vector<Case> cases{
        {"Ctrl released, nothing in flight", {input(HEADLESS_RELEASE, KEY_CTRL)}, 0, true, 0},
        {"Ctrl released while a shot flies: consumed and lost",
         {input(HEADLESS_RELEASE, KEY_CTRL)},
         7,
         false,
         0},
        {"Ctrl pressed", {input(HEADLESS_PRESS, KEY_CTRL)}, 0, false, 0},
        {"Ctrl repeated", {input(HEADLESS_REPEAT, KEY_CTRL)}, 0, false, 0},
        {"another key released", {input(HEADLESS_RELEASE, KEY_UP)}, 0, false, 0},
        {"close request", {input(HEADLESS_CLOSE, 0)}, 0, false, 0},
        {"a pointer move before the release: one event per call",
         {input(HEADLESS_POINTER, 0), input(HEADLESS_RELEASE, KEY_CTRL)},
         0,
         false,
         1},
        {"nothing queued", {}, 0, false, 0},
    };
    const Car car{CX, CY, DIR_NORTH, 1};
    for (const Case& c : cases) {
        headless_reset();
        for (const HeadlessInput& i : c.inputs) {
            headless_schedule(i);
        }
        sleep_ms(HEADLESS_SAMPLE_MS, SLEEP_PLAIN);
        Projectile projectile{33, 44, DIR_EAST, c.life};
        InputEvent event{};
        handle_event(projectile, car, event);
        EXPECT_EQ(projectile.life, c.fires ? PROJECTILE_LIFE : c.life) << c.name;
        int32_t left = 0;
        InputEvent drained{};
        while (poll_event(drained) != 0) {
            ++left;
        }
        EXPECT_EQ(left, c.left_queued) << c.name;
    }
}

TEST_F(ProjectileTest, AnOldReleaseLeftInTheRecordDoesNotFireAgain) {
    // The record is reused every frame and keeps the last event taken; with
    // nothing queued it must not count a second time.
    Projectile projectile = PROJECTILE_START;
    InputEvent event{EVENT_KEY_RELEASED, KEY_CTRL, 0, 0, 0};
    handle_event(projectile, Car{CX, CY, DIR_WEST, 1}, event);
    EXPECT_EQ(projectile.life, 0);
}

TEST_F(ProjectileTest, FiresFromTheMiddleOfTheCarsFrontEdge) {
    struct Case {
        int32_t car_direction;  // 0 and 5: a turn of this frame not yet wrapped
        int32_t x;
        int32_t y;
        int32_t direction;
    };
    const std::array<Case, 6> cases{{
        {DIR_WEST, CX, CY + 2, DIR_WEST},
        {DIR_NORTH, CX + 2, CY, DIR_NORTH},
        {DIR_EAST, CX + 4, CY + 2, DIR_EAST},
        {DIR_SOUTH, CX + 2, CY + 4, DIR_SOUTH},
        {0, CX + 2, CY + 4, DIR_SOUTH},
        {5, CX, CY + 2, DIR_WEST},
    }};
    for (const Case& c : cases) {
        Projectile projectile{70, 50, DIR_NORTH, 0};
        fire_projectile(projectile, Car{CX, CY, c.car_direction, 1});
        EXPECT_EQ(projectile.x, c.x) << "car direction " << c.car_direction;
        EXPECT_EQ(projectile.y, c.y) << "car direction " << c.car_direction;
        EXPECT_EQ(projectile.direction, c.direction) << "car direction " << c.car_direction;
        EXPECT_EQ(projectile.life, PROJECTILE_LIFE);
    }
}

TEST_F(ProjectileTest, DrawnInDirectionOneFrameOneWhereItStoodThenMovesThreeCells) {
    const SpriteSet sprites = telltale_sprites();
    LevelMap level = filled_level(CELL_FLOOR);
    for (int32_t direction = DIR_WEST; direction <= DIR_SOUTH; ++direction) {
        canvas = Canvas{};
        Projectile projectile{40, 30, direction, 5};
        update_projectile(projectile, level, sprites);
        EXPECT_EQ(canvas_cell(40, 30), 11) << "direction " << direction;
        EXPECT_EQ(projectile.x, 40 + 3 * direction_dx(direction));
        EXPECT_EQ(projectile.y, 30 + 3 * direction_dy(direction));
        EXPECT_EQ(projectile.life, 4);
    }
    EXPECT_EQ(level.cells, filled_level(CELL_FLOOR).cells);
    EXPECT_EQ(score, 0);
}

TEST_F(ProjectileTest, IdleProjectileIsNeitherDrawnNorMoved) {
    const SpriteSet sprites = telltale_sprites();
    LevelMap level = filled_level(0);
    Projectile projectile{40, 30, DIR_EAST, 0};
    update_projectile(projectile, level, sprites);
    EXPECT_EQ(canvas.pixels, Canvas{}.pixels);
    EXPECT_EQ(projectile.x, 40);
    EXPECT_EQ(projectile.life, 0);
    EXPECT_EQ(score, 0);
}

TEST_F(ProjectileTest, SixtyCellsOverFloorAndGoneAfterTheTwentiethDrawnFrame) {
    const SpriteSet sprites = telltale_sprites();
    LevelMap level = filled_level(CELL_FLOOR);
    level_cell(level, 66, CY + 2) = 9;  // one cell beyond the reach of a shot
    const LevelMap before = level;
    Projectile projectile = PROJECTILE_START;
    fire_projectile(projectile, Car{1, CY, DIR_EAST, 1});  // from x 5
    int32_t drawn = 0;
    for (int32_t frame = 0; frame < 25; ++frame) {
        canvas = Canvas{};
        update_projectile(projectile, level, sprites);
        if (canvas.pixels != Canvas{}.pixels) {
            ++drawn;
            EXPECT_EQ(canvas_cell(5 + 3 * frame, CY + 2), 11) << "frame " << frame;
        }
    }
    EXPECT_EQ(drawn, 20);
    EXPECT_EQ(projectile.x, 65);
    EXPECT_EQ(projectile.life, 0);
    EXPECT_EQ(level.cells, before.cells);
    EXPECT_EQ(score, 0);
}

TEST_F(ProjectileTest, OnItsLastFrameItStillMovesAndBlasts) {
    const SpriteSet sprites = telltale_sprites();
    LevelMap level = filled_level(CELL_FLOOR);
    level_cell(level, 43, 30) = 5;
    Projectile projectile{40, 30, DIR_EAST, 1};
    update_projectile(projectile, level, sprites);
    EXPECT_EQ(projectile.life, 0);
    EXPECT_EQ(projectile.x, 43);
    EXPECT_EQ(level_cell(level, 43, 30), CELL_FLOOR);
    EXPECT_EQ(score, 1);
}

TEST_F(ProjectileTest, LeavingTheGridEndsTheFlightWithoutABlast) {
    struct Case {
        const char* name;
        Projectile projectile;
        int32_t end_x;
        int32_t end_y;
    };
    const std::array<Case, 4> cases{{
        {"west", {1, 30, DIR_WEST, 10}, -1, 30},
        {"north", {40, 0, DIR_NORTH, 10}, 40, -1},
        {"east", {77, 30, DIR_EAST, 10}, 80, 30},
        {"south", {40, 58, DIR_SOUTH, 10}, 40, 60},
    }};
    const SpriteSet sprites = telltale_sprites();
    for (const Case& c : cases) {
        // Walls everywhere but the way out, so that a read beyond the grid or
        // a blast would show.
        LevelMap level = filled_level(6);
        Projectile projectile = c.projectile;
        for (int32_t x = projectile.x, y = projectile.y; cell_inside(x, y);
             x += direction_dx(projectile.direction), y += direction_dy(projectile.direction)) {
            level_cell(level, x, y) = CELL_FLOOR;
        }
        const LevelMap before = level;
        update_projectile(projectile, level, sprites);
        EXPECT_EQ(projectile.life, 0) << c.name;
        EXPECT_EQ(projectile.x, c.end_x) << c.name;
        EXPECT_EQ(projectile.y, c.end_y) << c.name;
        EXPECT_EQ(level.cells, before.cells) << c.name;
        EXPECT_EQ(score, 0) << c.name;
    }
}

TEST_F(ProjectileTest, AnObstacleRightInFrontIsHitAtTheFirstStepAndTheBlastTakesTheCarsFront) {
    // The car stands on wall cells; the fire cell itself is never tested.
    LevelMap level = filled_level(CELL_FLOOR);
    for (int32_t x = CX; x < CX + CAR_SIZE; ++x) {
        for (int32_t y = CY; y < CY + CAR_SIZE; ++y) {
            level_cell(level, x, y) = 4;
        }
    }
    level_cell(level, CX - 1, CY + 2) = 8;
    Projectile projectile = PROJECTILE_START;
    fire_projectile(projectile, Car{CX, CY, DIR_WEST, 1});
    update_projectile(projectile, level, telltale_sprites());
    EXPECT_EQ(projectile.x, CX - 1);
    EXPECT_EQ(projectile.life, 0);
    // The square x CX-3..CX+1, y CY..CY+4: the impact cell and the car's two
    // front columns, ten cells under the car.
    EXPECT_EQ(score, 11);
    for (int32_t y = CY; y < CY + CAR_SIZE; ++y) {
        EXPECT_EQ(level_cell(level, CX, y), CELL_FLOOR);
        EXPECT_EQ(level_cell(level, CX + 1, y), CELL_FLOOR);
        EXPECT_EQ(level_cell(level, CX + 2, y), 4);
    }
}

TEST_F(ProjectileTest, BlastTurnsTheSquareIntoFloorAndCountsEachChangedCell) {
    struct Case {
        const char* name;
        int32_t x;
        int32_t y;
        int32_t changed;
    };
    const std::array<Case, 13> cases{{
        {"inside", 40, 30, 25},
        {"x 1: column -1 lies beyond the grid", 1, 30, 20},
        {"x 78: column 80 lies beyond the grid", 78, 30, 20},
        {"y 1", 40, 1, 20},
        {"y 58", 40, 58, 20},
        {"x 1, y 1", 1, 1, 16},
        {"x 78, y 58", 78, 58, 16},
        {"x 2, y 2: the whole square is inside", 2, 2, 25},
        {"ring x 0", 0, 30, 0},
        {"ring x 79", 79, 30, 0},
        {"ring y 0", 40, 0, 0},
        {"ring y 59", 40, 59, 0},
        {"corner", 0, 0, 0},
    }};
    for (const Case& c : cases) {
        score = 0;
        LevelMap level = filled_level(3);
        blast_cells(level, c.x, c.y);
        EXPECT_EQ(score, c.changed) << c.name;
        int32_t floor = 0;
        for (int32_t x = 0; x < MAP_W; ++x) {
            for (int32_t y = 0; y < MAP_H; ++y) {
                const bool in_square = std::abs(x - c.x) <= BLAST_RADIUS &&
                                       std::abs(y - c.y) <= BLAST_RADIUS && c.changed > 0;
                EXPECT_EQ(level_cell(level, x, y), in_square ? CELL_FLOOR : 3)
                    << c.name << " at " << x << "," << y;
                floor += level_cell(level, x, y) == CELL_FLOOR ? 1 : 0;
            }
        }
        EXPECT_EQ(floor, c.changed) << c.name;
    }
}

TEST_F(ProjectileTest, BlastCountsEveryValueButFloorNegativeAndZeroIncluded) {
    LevelMap level = filled_level(CELL_FLOOR);
    // Column 38 of the square: the values that must all go.
    const std::array<int32_t, 5> values{0, -1, INT32_MIN, 2, 255};
    for (int32_t i = 0; i < 5; ++i) {
        level_cell(level, 38, 28 + i) = values[static_cast<size_t>(i)];
    }
    level_cell(level, 40, 30) = -7;         // the impact cell itself
    level_cell(level, 43, 30) = INT32_MAX;  // just outside the square
    blast_cells(level, 40, 30);
    EXPECT_EQ(score, 6);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(level_cell(level, 38, 28 + i), CELL_FLOOR);
    }
    EXPECT_EQ(level_cell(level, 40, 30), CELL_FLOOR);
    EXPECT_EQ(level_cell(level, 43, 30), INT32_MAX);
}

}  // namespace
