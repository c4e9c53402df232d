// Whole games on small fixture levels: the road of a shot from the Ctrl
// release to the hole in the next frame's picture, and the car's tunnel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "data/direction.h"
#include "display/canvas.h"
#include "game/projectile.h"
#include "game_test_support.h"
#include "platform/input.h"

namespace {

class GamePlay : public GameTest {
  protected:
    // Right held for frames 1 and 2: the car at (1, 1) then faces east. Its
    // press is the event of frame 1, its release the event of frame 3.
    static void turn_east() {
        at(before_frame(1), HEADLESS_PRESS, KEY_RIGHT);
        at(before_frame(3), HEADLESS_RELEASE, KEY_RIGHT);
    }

    std::vector<FrameRecord> frames(int32_t count) {
        std::vector<FrameRecord> records;
        for (int32_t k = 0; k < count; ++k) {
            records.push_back(next_frame());
        }
        return records;
    }

    static bool canvas_shows(int32_t colour) {
        return std::find(canvas.pixels.begin(), canvas.pixels.end(), colour) != canvas.pixels.end();
    }
};

// The first frame, counted from 1, after which a shot is in flight.
int32_t first_shot_frame(const std::vector<FrameRecord>& records) {
    for (size_t k = 0; k < records.size(); ++k) {
        if (records[k].projectile.life > 0) {
            return static_cast<int32_t>(k);
        }
    }
    return -1;
}

TEST_F(GamePlay, ACtrlReleaseWhileAShotFliesIsLost) {
    start(walled_level());
    turn_east();
    at(before_frame(4), HEADLESS_PRESS, KEY_CTRL);
    at(before_frame(5), HEADLESS_RELEASE, KEY_CTRL);  // fires at frame 5
    at(before_frame(7), HEADLESS_PRESS, KEY_CTRL);
    at(before_frame(8), HEADLESS_RELEASE, KEY_CTRL);  // taken at frame 8, in flight
    const std::vector<FrameRecord> records = frames(45);
    for (int32_t k = 0; k < 45; ++k) {
        const int32_t expected = k >= 5 && k <= 24 ? 24 - k : 0;
        EXPECT_EQ(records[static_cast<size_t>(k)].projectile.life, expected) << "frame " << k;
    }
}

TEST_F(GamePlay, HoldingCtrlFiresNothingUntilTheRelease) {
    start(walled_level());
    turn_east();
    at(before_frame(1), HEADLESS_PRESS, KEY_CTRL);  // the event of frame 2
    at(before_frame(12), HEADLESS_RELEASE, KEY_CTRL);
    const std::vector<FrameRecord> records = frames(14);
    EXPECT_EQ(first_shot_frame(records), 12);
    EXPECT_EQ(records[12].projectile.x, 5 + 3);
    EXPECT_EQ(records[12].projectile.y, 3);
}

TEST_F(GamePlay, PendingPointerEventsDelayTheShotByAsManyFrames) {
    for (const int32_t pointers : {0, 1, 4}) {
        start(walled_level());
        turn_east();
        for (int32_t i = 0; i < pointers; ++i) {
            at(before_frame(4), HEADLESS_POINTER);
        }
        at(before_frame(4), HEADLESS_RELEASE, KEY_CTRL);
        EXPECT_EQ(first_shot_frame(frames(12)), 4 + pointers) << pointers << " pointer events";
    }
}

TEST_F(GamePlay, ASixtyCellFlightOverFloorEndsAfterItsTwentiethDrawnFrame) {
    const LevelMap level = walled_level();
    start(level);
    turn_east();
    at(before_frame(4), HEADLESS_RELEASE, KEY_CTRL);
    int32_t drawn = 0;
    for (int32_t k = 0; k < 30; ++k) {
        const FrameRecord record = next_frame();
        if (canvas_shows(FIXTURE_PROJECTILE)) {
            ++drawn;
            // Drawn where it stood before the frame's steps, over the car
            // on the frame it is fired.
            EXPECT_EQ(canvas_at(5 + 3 * (k - 4), 3), FIXTURE_PROJECTILE) << "frame " << k;
        }
        if (k == 29) {
            EXPECT_EQ(record.projectile.x, 65);
            EXPECT_EQ(record.projectile.life, 0);
            EXPECT_EQ(record.score, 0);
        }
    }
    EXPECT_EQ(drawn, 20);
    EXPECT_EQ(level_map.cells, level.cells);
}

TEST_F(GamePlay, AShotLeavesThroughAGapInTheBorderWithoutABlast) {
    LevelMap level = walled_level();
    level_cell(level, 0, 3) = CELL_FLOOR;
    start(level);
    at(before_frame(1), HEADLESS_RELEASE, KEY_CTRL);  // facing west from (1, 3)
    const FrameRecord fired = frames(2)[1];
    EXPECT_EQ(fired.projectile.x, -1);
    EXPECT_EQ(fired.projectile.y, 3);
    EXPECT_EQ(fired.projectile.life, 0);
    EXPECT_EQ(fired.score, 0);
    EXPECT_EQ(level_map.cells, level.cells);
    next_frame();
    EXPECT_FALSE(canvas_shows(FIXTURE_PROJECTILE));
}

TEST_F(GamePlay, TheCarDrivesThroughAGapInTheBorderAndComesBackOnTheOtherSide) {
    LevelMap level = walled_level();
    for (int32_t y = 1; y <= 5; ++y) {
        level_cell(level, 0, y) = CELL_FLOOR;
        level_cell(level, MAP_W - 1, y) = CELL_FLOOR;
    }
    start(level);
    at(before_frame(1), HEADLESS_PRESS, KEY_UP);
    const std::vector<FrameRecord> records = frames(5);
    const std::array<int32_t, 5> xs{1, 0, CAR_X_MAX, CAR_X_MAX - 1, CAR_X_MAX - 2};
    for (size_t k = 0; k < xs.size(); ++k) {
        EXPECT_EQ(records[k].car.x, xs[k]) << "frame " << k;
        EXPECT_EQ(records[k].car.y, 1) << "frame " << k;
        EXPECT_EQ(records[k].car.direction, DIR_WEST) << "frame " << k;
    }
    // Frame 4 drew the car at columns 73 to 77.
    EXPECT_NE(canvas_at(73, 1), CELL_FLOOR);
    EXPECT_EQ(canvas_at(78, 1), CELL_FLOOR);
}

TEST_F(GamePlay, TheHoleAndTheScoreFirstShowInTheFrameAfterTheImpact) {
    LevelMap level = walled_level();
    constexpr int32_t WALL = 7;
    for (int32_t x = 20; x <= 24; ++x) {
        for (int32_t y = 1; y <= 5; ++y) {
            level_cell(level, x, y) = WALL;
        }
    }
    start(level);
    turn_east();
    // Fired at frame 4 from (5, 3); frame 8 steps onto (20, 3) and blasts
    // x 18..22, y 1..5: three columns of wall.
    at(before_frame(4), HEADLESS_RELEASE, KEY_CTRL);
    const std::vector<FrameRecord> records = frames(9);
    EXPECT_EQ(records[7].score, 0);
    EXPECT_EQ(records[8].score, 15);
    EXPECT_EQ(records[8].projectile.x, 20);
    EXPECT_EQ(records[8].projectile.life, 0);
    // Frame 8's picture: the wall and the old score.
    EXPECT_EQ(canvas_at(20, 3), WALL);
    EXPECT_EQ(canvas_at(60, 5), FIXTURE_DIGIT_0 + 0);
    EXPECT_EQ(canvas_at(65, 5), CELL_FLOOR);
    const FrameRecord after = next_frame();
    EXPECT_EQ(after.score, 15);
    for (int32_t y = 1; y <= 5; ++y) {
        EXPECT_EQ(canvas_at(20, y), CELL_FLOOR);
        EXPECT_EQ(canvas_at(22, y), CELL_FLOOR);
        EXPECT_EQ(canvas_at(23, y), WALL);
    }
    EXPECT_EQ(canvas_at(60, 5), FIXTURE_DIGIT_0 + 1);
    EXPECT_EQ(canvas_at(65, 5), FIXTURE_DIGIT_0 + 5);
    EXPECT_EQ(canvas_at(70, 5), CELL_FLOOR);
}

TEST_F(GamePlay, AShotFiredWhileTurningLeavesFromTheFrontAsDrawn) {
    struct Case {
        const char* name;
        std::vector<HeadlessInput> script;
        int32_t frames;
        int32_t car_direction;
        Projectile projectile;  // after the last frame
    };
    auto input = [](int64_t ms, int32_t action, int32_t code) {
        return HeadlessInput{HEADLESS_START_MS + ms, action, code, 0, 0};
    };
    const std::vector<Case> cases{
        // Left from west leaves 0 at the fire step: the shot goes south from
        // (3, 5) and has made its three steps.
        {"Left from west",
         {input(before_frame(1), HEADLESS_RELEASE, KEY_CTRL),
          input(before_frame(1), HEADLESS_PRESS, KEY_LEFT),
          input(before_frame(2), HEADLESS_RELEASE, KEY_LEFT)},
         2,
         DIR_SOUTH,
         {3, 5 + 3 * 1, DIR_SOUTH, 19}},
        // Right from south leaves 5: the shot goes west from (1, 3) and ends
        // on the border at its first step.
        {"Right from south",
         {input(before_frame(1), HEADLESS_PRESS, KEY_LEFT),
          input(before_frame(2), HEADLESS_RELEASE, KEY_LEFT),
          input(before_frame(3), HEADLESS_RELEASE, KEY_CTRL),
          input(before_frame(3), HEADLESS_PRESS, KEY_RIGHT),
          input(before_frame(4), HEADLESS_RELEASE, KEY_RIGHT)},
         4,
         DIR_WEST,
         {0, 3, DIR_WEST, 0}},
    };
    for (const Case& c : cases) {
        start(walled_level());
        for (const HeadlessInput& i : c.script) {
            headless_schedule(i);
        }
        FrameRecord last{};
        for (int32_t k = 0; k < c.frames; ++k) {
            last = next_frame();
        }
        EXPECT_EQ(last.car.direction, c.car_direction) << c.name;
        EXPECT_EQ(last.projectile.x, c.projectile.x) << c.name;
        EXPECT_EQ(last.projectile.y, c.projectile.y) << c.name;
        EXPECT_EQ(last.projectile.direction, c.projectile.direction) << c.name;
        EXPECT_EQ(last.projectile.life, c.projectile.life) << c.name;
        EXPECT_EQ(last.score, 0) << c.name;
    }
}

}  // namespace
