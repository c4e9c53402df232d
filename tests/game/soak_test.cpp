// An hour of play from a seeded random script, with the game's invariants
// checked after every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "game/projectile.h"
#include "game_test_support.h"
#include "platform/input.h"

namespace {

constexpr int64_t HOUR_MS = 3'600'000;

// Walls of every kind of value (negative, 0, visible colours, beyond the
// palette) in random blocks, and a border with gaps wide enough for the car.
LevelMap soak_level(std::mt19937& rng) {
    LevelMap level = walled_level();
    constexpr std::array<int32_t, 6> walls{-5, 0, 2, 9, 15, 300};
    std::uniform_int_distribution<int32_t> pick(0, static_cast<int32_t>(walls.size()) - 1);
    std::uniform_int_distribution<int32_t> col(1, MAP_W - 2);
    std::uniform_int_distribution<int32_t> row(1, MAP_H - 2);
    std::uniform_int_distribution<int32_t> edge(1, 6);
    for (int32_t block = 0; block < 60; ++block) {
        const int32_t value = walls[static_cast<size_t>(pick(rng))];
        const int32_t x0 = col(rng);
        const int32_t y0 = row(rng);
        const int32_t w = edge(rng);
        const int32_t h = edge(rng);
        for (int32_t x = x0; x < x0 + w && x < MAP_W; ++x) {
            for (int32_t y = y0; y < y0 + h && y < MAP_H; ++y) {
                level_cell(level, x, y) = value;
            }
        }
    }
    for (int32_t i = 20; i < 27; ++i) {
        level_cell(level, 0, i) = CELL_FLOOR;
        level_cell(level, MAP_W - 1, i) = CELL_FLOOR;
        level_cell(level, i + 20, 0) = CELL_FLOOR;
        level_cell(level, i + 20, MAP_H - 1) = CELL_FLOOR;
    }
    return level;
}

// Keys go down and up at random; now and then the Ctrl key is tapped, the
// pointer moves in bursts, the focus goes and comes back, the close button
// is pressed or the process is held up.
void schedule_random_play(std::mt19937& rng) {
    constexpr std::array<int32_t, 5> keys{KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_CTRL};
    std::array<bool, keys.size()> down{};
    std::uniform_int_distribution<int64_t> gap(1, 400);
    std::uniform_int_distribution<int32_t> what(0, 99);
    std::uniform_int_distribution<size_t> key(0, keys.size() - 1);
    std::uniform_int_distribution<int32_t> burst(1, 30);
    std::uniform_int_distribution<int64_t> stall(1, 2500);
    for (int64_t t = 0; t < HOUR_MS;) {
        t += gap(rng);
        const int32_t w = what(rng);
        auto at = [t](int32_t action, int32_t code, int64_t stall_ms = 0) {
            headless_schedule(HeadlessInput{HEADLESS_START_MS + t, action, code, 0, stall_ms});
        };
        if (w < 80) {
            const size_t k = key(rng);
            at(down[k] ? HEADLESS_RELEASE : HEADLESS_PRESS, keys[k]);
            down[k] = !down[k];
        } else if (w < 88) {
            at(HEADLESS_REPEAT, keys[key(rng)]);
        } else if (w < 94) {
            for (int32_t i = burst(rng); i > 0; --i) {
                at(HEADLESS_POINTER, 0);
            }
        } else if (w < 96) {
            at(HEADLESS_FOCUS_LOST, 0);
            at(HEADLESS_FOCUS_GAINED, 0);
            down.fill(false);
        } else if (w < 98) {
            at(HEADLESS_CLOSE, 0);
        } else if (w < 99) {
            at(HEADLESS_STALL, 0, stall(rng));
        } else {
            at(HEADLESS_PRESS, 90);  // a key the game does not use
        }
    }
}

using Soak = GameTest;

TEST_F(Soak, AnHourOfRandomPlayKeepsEveryInvariant) {
    std::mt19937 rng(20240611);
    const LevelMap initial = soak_level(rng);
    start(initial);
    schedule_random_play(rng);

    int64_t frames = 0;
    int32_t failures = 0;
    int32_t most_life = 0;
    while (now_ms() < HOUR_MS && failures < 10) {
        const int64_t before = frames_run();
        ASSERT_FALSE(frame_loop_iteration(*game)) << "Esc is never scripted";
        if (frames_run() == before) {
            continue;
        }
        ++frames;
        const Car& car = game->car;
        const Projectile& p = game->projectile;
        const bool car_ok = car.x >= 0 && car.x <= CAR_X_MAX && car.y >= 0 && car.y <= CAR_Y_MAX &&
                            car.direction >= 1 && car.direction <= 4 && car.anim_frame >= 1 &&
                            car.anim_frame <= 2;
        const bool life_ok = p.life >= 0 && p.life <= PROJECTILE_LIFE;
        int32_t destroyed = 0;
        bool cells_ok = true;
        for (size_t i = 0; i < initial.cells.size(); ++i) {
            const int32_t was = initial.cells[i];
            const int32_t is = level_map.cells[i];
            if (is != was) {
                cells_ok = cells_ok && is == CELL_FLOOR;
                ++destroyed;
            }
        }
        most_life = std::max(most_life, p.life);
        if (!car_ok || !life_ok || !cells_ok || destroyed != score) {
            ++failures;
            ADD_FAILURE() << "frame " << frames << " at " << now_ms() << " ms: car " << car.x << ","
                          << car.y << " direction " << car.direction << " anim " << car.anim_frame
                          << ", life " << p.life << ", score " << score << ", cells destroyed "
                          << destroyed
                          << (cells_ok ? "" : ", a cell changed into something but floor");
        }
    }
    // Every frame of the hour ran, stalls caught up.
    EXPECT_GE(frames, 35'999);
    EXPECT_LE(frames, 36'001);
    // The script did exercise the game.
    EXPECT_GT(score, 100);
    EXPECT_EQ(most_life, PROJECTILE_LIFE - 1);
}

}  // namespace
