// The real game in a real X server, played as a person would: keys held and
// released with xdotool, and everything checked from screenshots of its
// window. The game runs in a temporary copy of dat/.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "data/digit_font.h"
#include "data/level_map.h"
#include "data/sprite_set.h"
#include "platform/text_font.h"
#include "platform/vga_palette.h"
#include "x_harness.h"

namespace {

using Clock = std::chrono::steady_clock;

xh::Rgb colour(int32_t index) {
    const PaletteColour& c = VGA_PALETTE[static_cast<size_t>(index & 0xFF)];
    return xh::Rgb{c.r, c.g, c.b};
}

// The middle pixel of canvas cell (x, y) on the screen.
xh::Rgb cell_colour(const xh::Image& image, int32_t x, int32_t y) {
    return image.at(x * 8 + 4, y * 8 + 4);
}

// The status line as the screen shows it: the characters of text row 1,
// columns 1 to 38, read back through the text font.
struct StatusLine {
    int32_t x = 0;
    int32_t y = 0;
    int32_t direction = 0;
    std::string text;
    bool operator==(const StatusLine& other) const { return text == other.text; }
};

char read_char(const xh::Image& image, int32_t column) {
    for (int32_t code = FONT_FIRST; code <= FONT_LAST; ++code) {
        const Glyph& glyph = font_glyph(static_cast<uint8_t>(code));
        bool same = true;
        for (int32_t row = 0; row < 8 && same; ++row) {
            for (int32_t bit = 0; bit < 8 && same; ++bit) {
                const bool ink = (glyph[static_cast<size_t>(row)] & (0x80 >> bit)) != 0;
                same = image.at(column * 8 + bit, row) == colour(ink ? 15 : 0);
            }
        }
        if (same) {
            return static_cast<char>(code);
        }
    }
    return '?';
}

// A field of the status line: blanks, digits (a minus sign first for a
// negative value), blanks.
bool read_number(const std::string& field, int32_t& value) {
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) {
        return false;
    }
    const size_t end = field.find(' ', first);
    const std::string digits = field.substr(first, end == std::string::npos ? end : end - first);
    const auto [rest, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && rest == digits.data() + digits.size();
}

std::optional<StatusLine> read_status(const xh::Image& image) {
    if (image.width != 640 || image.height != 480) {
        return std::nullopt;
    }
    StatusLine status;
    for (int32_t column = 0; column < 38; ++column) {
        status.text += read_char(image, column);
    }
    // Fields start at columns 1, 15, 29 and 37.
    if (status.text.substr(28, 8) != "direc : ") {
        return std::nullopt;
    }
    if (!read_number(status.text.substr(0, 14), status.x) ||
        !read_number(status.text.substr(14, 14), status.y) ||
        !read_number(status.text.substr(36, 2), status.direction)) {
        return std::nullopt;
    }
    return status;
}

class GameWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(xh::start_xvfb(session, 1280, 1024, error)) << error;
        // A held key would repeat, and every repeat is an event that the game
        // takes at one a frame: a shot would wait behind them. People let
        // go soon enough; the test holds keys for seconds.
        XAutoRepeatOff(session.x);
        XSync(session.x, False);
        dir = xh::make_temp_dir(session, "game");
        ASSERT_FALSE(dir.empty());
        const bool copied = xh::copy_tree(session, CARBLAST_SOURCE_DIR "/dat", dir + "/dat");
        ASSERT_TRUE(copied) << "the game's data files are missing";
    }

    void TearDown() override { xh::end_session(session); }

    void start_game() {
        ASSERT_TRUE(xh::spawn(session, game, {CARBLAST_GAME}, dir));
        window = xh::find_window(session, "carblast", xh::START_TIMEOUT_MS);
        ASSERT_NE(window, 0U) << xh::output_of(game);
        ASSERT_TRUE(xh::focus(session, window));
    }

    // The status line once it shows something that holds `wanted`.
    template <typename Wanted>
    std::optional<StatusLine> wait_status(Wanted wanted, int32_t timeout_ms = xh::STEP_TIMEOUT_MS) {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        do {
            last_image = xh::screenshot(session, window);
            const std::optional<StatusLine> status = read_status(last_image);
            if (status && wanted(*status)) {
                return status;
            }
        } while (Clock::now() < deadline && xh::running(game));
        return std::nullopt;
    }

    // The status line once it has stayed the same for a few frames.
    std::optional<StatusLine> settled_status() {
        std::optional<StatusLine> before;
        Clock::time_point since = Clock::now();
        return wait_status([&](const StatusLine& now) {
            if (!before || !(*before == now)) {
                before = now;
                since = Clock::now();
                return false;
            }
            return Clock::now() - since > std::chrono::milliseconds(350);
        });
    }

    // Holds key until the status line shows what `done` wants, then lets go.
    template <typename Done>
    std::optional<StatusLine> hold_until(const std::string& key, Done done) {
        if (!xh::xdotool(session, {"keydown", key})) {
            return std::nullopt;
        }
        const std::optional<StatusLine> reached = wait_status(done);
        xh::xdotool(session, {"keyup", key});
        return reached ? settled_status() : std::nullopt;
    }

    // Turns the car, a quarter at a time, until it faces `direction`.
    std::optional<StatusLine> turn_to(int32_t direction) {
        std::optional<StatusLine> status = settled_status();
        for (int32_t attempt = 0; attempt < 8 && status && status->direction != direction;
             ++attempt) {
            const int32_t from = status->direction;
            status =
                hold_until("Right", [from](const StatusLine& s) { return s.direction != from; });
        }
        return status;
    }

    // Whether the car's sprite shows at the status line's place and facing.
    bool car_shown(const xh::Image& image, const StatusLine& status) {
        for (int32_t frame = 1; frame <= 2; ++frame) {
            bool all = true;
            for (uint32_t i = 0; i < car.width; ++i) {
                for (uint32_t j = 0; j < car.height; ++j) {
                    const int32_t value = car.cells[static_cast<size_t>(status.direction)]
                                                   [static_cast<size_t>(frame)][i][j];
                    const int32_t y = status.y + static_cast<int32_t>(j);
                    if (value > 0 && y > 0) {  // row 0 is under the status line
                        all = all && cell_colour(image, status.x + static_cast<int32_t>(i), y) ==
                                         colour(value);
                    }
                }
            }
            if (all) {
                return true;
            }
        }
        return false;
    }

    xh::Session session;
    xh::Child game;
    std::string dir;
    Window window = 0;
    xh::Image last_image;
    SpriteSet car;
};

TEST_F(GameWindow, StartsTakesKeysAndEndsWithEsc) {
    start_game();
    ASSERT_TRUE(wait_status([](const StatusLine&) { return true; }, xh::START_TIMEOUT_MS))
        << xh::output_of(game);
    ASSERT_TRUE(xh::tap(session, "a"));
    ASSERT_TRUE(xh::xdotool(session, {"keydown", "Escape"}));
    ASSERT_TRUE(xh::wait_exit(game, xh::STEP_TIMEOUT_MS)) << xh::output_of(game);
    xh::xdotool(session, {"keyup", "Escape"});
    EXPECT_TRUE(WIFEXITED(game.status) && WEXITSTATUS(game.status) == 0)
        << "status " << game.status << "\n"
        << xh::output_of(game);
    EXPECT_TRUE(xh::wait_window_gone(session, window, 1000));
}

TEST_F(GameWindow, DriveTurnShootAndQuitAsAPersonWould) {
    // What the game loaded, read with its own loaders from the same copy.
    load_sprite_set(car, (dir + "/dat/sprites/car.dat").c_str());
    load_level_map((dir + "/dat/map/lev1.dat").c_str());
    load_digit_font((dir + "/dat/font.dat").c_str());
    ASSERT_EQ(car.width, 5U);
    start_game();

    // At the start: the status line and the car at (1, 1) facing west.
    std::optional<StatusLine> status = settled_status();
    ASSERT_TRUE(status) << xh::output_of(game);
    const std::string blanks(12, ' ');
    EXPECT_EQ(status->text, " 1" + blanks + " 1" + blanks + "direc : " + " 1");
    EXPECT_TRUE(car_shown(last_image, *status));

    // Turn right until the car faces east: the status line and the sprite
    // follow.
    status = turn_to(3);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->direction, 3);
    EXPECT_TRUE(car_shown(last_image, *status)) << status->text;

    // Drive forward a few cells.
    const int32_t start_x = status->x;
    status = hold_until("Up", [start_x](const StatusLine& s) { return s.x >= start_x + 3; });
    ASSERT_TRUE(status);
    EXPECT_GE(status->x, start_x + 3);
    EXPECT_EQ(status->direction, 3);
    EXPECT_TRUE(car_shown(last_image, *status)) << status->text;

    // Where the shot will land: from the middle of the front edge, east, up
    // to 20 frames of 3 cells, to the first cell that is not floor.
    const int32_t shot_y = status->y + 2;
    int32_t impact_x = -1;
    for (int32_t x = status->x + 5; x < MAP_W && x <= status->x + 4 + 60; ++x) {
        if (level_cell(level_map, x, shot_y) != CELL_FLOOR) {
            impact_x = x;
            break;
        }
    }
    ASSERT_GE(impact_x, 0) << "no wall east of the car in the shipped level";
    int32_t destroyed = 0;
    for (int32_t x = impact_x - 2; x <= impact_x + 2; ++x) {
        for (int32_t y = shot_y - 2; y <= shot_y + 2; ++y) {
            if (cell_inside(x, y) && level_cell(level_map, x, y) != CELL_FLOOR) {
                ++destroyed;
            }
        }
    }
    const xh::Image before_shot = last_image;

    // Releasing Ctrl fires; the blast shows in a later frame.
    ASSERT_TRUE(xh::tap(session, "Control_L"));
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(15);
    bool hole = false;
    while (!hole && Clock::now() < deadline && xh::running(game)) {
        last_image = xh::screenshot(session, window);
        hole = last_image.width == 640 &&
               cell_colour(last_image, impact_x, shot_y) == colour(CELL_FLOOR);
    }
    ASSERT_TRUE(hole) << "no hole at cell " << impact_x << ", " << shot_y;
    for (int32_t x = impact_x - 2; x <= impact_x + 2; ++x) {
        for (int32_t y = shot_y - 2; y <= shot_y + 2; ++y) {
            const bool under_car =
                x >= status->x && x < status->x + 5 && y >= status->y && y < status->y + 5;
            const bool under_score = x >= 60 && y >= 5 && y < 10;
            if (cell_inside(x, y) && y > 0 && !under_car && !under_score) {
                EXPECT_EQ(cell_colour(last_image, x, y), colour(CELL_FLOOR))
                    << "cell " << x << ", " << y << " after the blast";
            }
        }
    }
    // The score: its digits at cell (60, 5) now spell the cells destroyed.
    const std::string score = std::to_string(destroyed);
    for (size_t k = 0; k < score.size(); ++k) {
        const auto& glyph = digit_font.glyphs[static_cast<size_t>(score[k] - '0')];
        for (int32_t row = 0; row < GLYPH_EDGE; ++row) {
            for (int32_t column = 0; column < GLYPH_EDGE; ++column) {
                const int32_t value = glyph[static_cast<size_t>(row)][static_cast<size_t>(column)];
                if (value > 0) {
                    EXPECT_EQ(
                        cell_colour(last_image, 60 + static_cast<int32_t>(k) * GLYPH_EDGE + column,
                                    5 + row),
                        colour(value))
                        << "score digit " << k << " of " << score;
                }
            }
        }
    }
    bool score_changed = false;
    for (int32_t x = 60; x < 80 && !score_changed; ++x) {
        for (int32_t y = 5; y < 10 && !score_changed; ++y) {
            score_changed = !(cell_colour(before_shot, x, y) == cell_colour(last_image, x, y));
        }
    }
    EXPECT_TRUE(score_changed);

    // The close button: the game goes on, window and all.
    const std::optional<StatusLine> before_close = settled_status();
    xh::request_close(session, window);
    const Clock::time_point watch_until = Clock::now() + std::chrono::milliseconds(1500);
    while (Clock::now() < watch_until) {
        ASSERT_TRUE(xh::running(game)) << xh::output_of(game);
        xh::wait_line(game, "never printed", xh::POLL_MS);
    }
    EXPECT_TRUE(xh::window_exists(session, window));
    const std::optional<StatusLine> after_close = settled_status();
    ASSERT_TRUE(after_close);
    EXPECT_EQ(after_close->text, before_close->text);

    // Esc: the window is gone within a second and the exit code is 0.
    const Clock::time_point esc = Clock::now();
    ASSERT_TRUE(xh::xdotool(session, {"keydown", "Escape"}));
    EXPECT_TRUE(xh::wait_window_gone(session, window, 1000));
    const auto gone_after = Clock::now() - esc;
    EXPECT_LE(gone_after, std::chrono::milliseconds(1000));
    ASSERT_TRUE(xh::wait_exit(game, xh::STEP_TIMEOUT_MS));
    xh::xdotool(session, {"keyup", "Escape"});
    EXPECT_TRUE(WIFEXITED(game.status) && WEXITSTATUS(game.status) == 0)
        << "status " << game.status << "\n"
        << xh::output_of(game);
}

}  // namespace
