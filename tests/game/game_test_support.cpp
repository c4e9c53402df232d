#include "game_test_support.h"

#include <stdlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "data/digit_font.h"
#include "display/canvas.h"
#include "game/projectile.h"
#include "platform/input.h"

void hold_keys(const std::vector<int32_t>& codes) {
    headless_reset();
    for (const int32_t code : codes) {
        headless_schedule(HeadlessInput{HEADLESS_START_MS, HEADLESS_PRESS, code, 0, 0});
    }
    sleep_ms(HEADLESS_SAMPLE_MS, SLEEP_PLAIN);
}

LevelMap filled_level(int32_t value) {
    LevelMap level;
    level.cells.fill(value);
    return level;
}

LevelMap walled_level() {
    LevelMap level = filled_level(CELL_FLOOR);
    for (int32_t x = 0; x < MAP_W; ++x) {
        level_cell(level, x, 0) = FIXTURE_WALL;
        level_cell(level, x, MAP_H - 1) = FIXTURE_WALL;
    }
    for (int32_t y = 0; y < MAP_H; ++y) {
        level_cell(level, 0, y) = FIXTURE_WALL;
        level_cell(level, MAP_W - 1, y) = FIXTURE_WALL;
    }
    return level;
}

std::string level_file_text(const LevelMap& level) {
    std::string text;
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            text += std::to_string(level_cell(level, x, y));
            text += x + 1 < MAP_W ? "," : "\n";
        }
    }
    return text;
}

ScratchDir::ScratchDir() {
    std::string name = (std::filesystem::temp_directory_path() / "carblast-test-XXXXXX").string();
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    if (made == nullptr) {
        ADD_FAILURE() << "cannot create a scratch directory from " << name;
        return;
    }
    path_ = made;
}

ScratchDir::~ScratchDir() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

void ScratchDir::write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) {
        ADD_FAILURE() << "cannot write " << file;
    }
}

namespace {

std::string block_rows(int32_t edge, int32_t colour) {
    std::string text;
    for (int32_t r = 0; r < edge; ++r) {
        for (int32_t c = 0; c < edge; ++c) {
            text += std::to_string(colour);
            text += c + 1 < edge ? "," : "\n";
        }
    }
    return text;
}

}  // namespace

void write_game_files(const ScratchDir& dir, const LevelMap& level) {
    dir.write("dat/map/lev1.dat", level_file_text(level));
    std::string font;
    for (int32_t g = 0; g < 10; ++g) {
        font += block_rows(GLYPH_EDGE, FIXTURE_DIGIT_0 + g);
    }
    dir.write("dat/font.dat", font);
    dir.write("dat/sprites/car.dat", "2,5,5\n" + block_rows(CAR_SIZE, FIXTURE_CAR_FRAME_1) +
                                         block_rows(CAR_SIZE, FIXTURE_CAR_FRAME_2));
    dir.write("dat/sprites/wall.dat", "1,1,1\n" + block_rows(1, FIXTURE_WALL));
    dir.write("dat/sprites/proj.dat", "1,1,1\n" + block_rows(1, FIXTURE_PROJECTILE));
}

void GameTest::SetUp() {
    dir = std::make_unique<ScratchDir>();
    previous_dir = std::filesystem::current_path();
    std::filesystem::current_path(dir->path());
}

void GameTest::TearDown() {
    std::filesystem::current_path(previous_dir);
    dir.reset();
}

void GameTest::start(const LevelMap& level) {
    write_game_files(*dir, level);
    headless_reset();
    // Program-wide state lives as long as the process; a game started by an
    // earlier test left its traces there.
    level_map = LevelMap{};
    digit_font = DigitFont{};
    canvas = Canvas{};
    block_patterns = BlockPatterns{};
    framebuffer = nullptr;
    score = 0;
    *game = GameState{};
    start_up(*game);
}

void GameTest::at(int64_t ms, int32_t action, int32_t code, int64_t stall_ms) {
    const int32_t char_code = code == KEY_ESC ? 27 : 0;
    headless_schedule(HeadlessInput{HEADLESS_START_MS + ms, action, code, char_code, stall_ms});
}

FrameRecord GameTest::next_frame() {
    const int64_t before = frames_run();
    // A frame is due at least every 100 ms: 1 ms sleeps reach it in time.
    for (int32_t i = 0; i < 1000; ++i) {
        const bool esc = frame_loop_iteration(*game);
        if (frames_run() != before) {
            EXPECT_FALSE(esc) << "Esc ended the loop";
            return FrameRecord{game->car, game->projectile, score};
        }
        if (esc) {
            ADD_FAILURE() << "Esc ended the loop before a frame ran";
            break;
        }
    }
    ADD_FAILURE() << "no frame ran";
    return FrameRecord{game->car, game->projectile, score};
}

int32_t GameTest::canvas_at(int32_t x, int32_t y) {
    return canvas.pixels[static_cast<size_t>(y * MAP_W + x)];
}
