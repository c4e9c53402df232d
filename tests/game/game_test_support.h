// Helpers shared by the game's tests: keys held on the headless backend,
// levels built in memory, and whole games started from fixture files that
// the tests write into a directory of their own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/level_map.h"
#include "game/frame_loop.h"
#include "platform/headless/headless.h"

// Colours of the fixture files, chosen apart so that a canvas cell tells what
// was drawn there last.
inline constexpr int32_t FIXTURE_WALL = 15;
inline constexpr int32_t FIXTURE_CAR_FRAME_1 = 12;
inline constexpr int32_t FIXTURE_CAR_FRAME_2 = 13;
inline constexpr int32_t FIXTURE_PROJECTILE = 14;
inline constexpr int32_t FIXTURE_DIGIT_0 = 2;  // digit g is a full block of colour 2 + g

// Resets the headless backend and holds the keys `codes` from its first
// sample on; the clock then stands 10 ms after the start.
void hold_keys(const std::vector<int32_t>& codes);

// A level with every cell set to `value`.
LevelMap filled_level(int32_t value);
// Floor inside a border of FIXTURE_WALL.
LevelMap walled_level();

// The level as the game's level file: 60 lines of 80 comma-separated numbers.
std::string level_file_text(const LevelMap& level);

// A fresh directory below the system's temporary directory, removed again by
// the destructor.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes text to the file at the relative path, creating its folders.
    void write(const std::string& relative, const std::string& text) const;

  private:
    std::filesystem::path path_;
};

// Writes the five data files of a game below dir/dat: the level, a font of
// full blocks, a car of two full frames, a one-cell projectile and a wall.
void write_game_files(const ScratchDir& dir, const LevelMap& level);

// What a test sees after one frame.
struct FrameRecord {
    Car car;
    Projectile projectile;
    int32_t score;
};

// A whole game on the headless backend, started from fixture files in a
// scratch directory that is the working directory while the test runs.
class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the data files, resets the backend and the program-wide state a
    // previous test left, and runs start-up.
    void start(const LevelMap& level);

    // Schedules one input at ms after the start-up clock reading.
    static void at(int64_t ms, int32_t action, int32_t code = 0, int64_t stall_ms = 0);
    // The time at which an input is sampled in good time for frame k (k >= 1),
    // which runs 100 k ms after the start, give or take the 1 ms sleeps.
    static int64_t before_frame(int32_t k) { return 100 * static_cast<int64_t>(k) - 50; }

    // Loop iterations until the next frame has run. Fails the test if Esc
    // ends the loop first.
    FrameRecord next_frame();

    // The canvas cell at (x, y) as the last frame drew it.
    static int32_t canvas_at(int32_t x, int32_t y);

    static int64_t now_ms() { return headless_now_ms() - HEADLESS_START_MS; }
    static int64_t frames_run() { return headless_stats().outer_unlocks; }

    std::unique_ptr<ScratchDir> dir;
    std::filesystem::path previous_dir;
    std::unique_ptr<GameState> game = std::make_unique<GameState>();
};
