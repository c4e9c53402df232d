#include "replay_run.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "data/digit_font.h"
#include "display/canvas.h"
#include "game/frame_loop.h"
#include "platform/display.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/vga_palette.h"

namespace {

HeadlessAction headless_action(ReplayAction action) {
    switch (action) {
        case REPLAY_PRESS:
            return HEADLESS_PRESS;
        case REPLAY_RELEASE:
            return HEADLESS_RELEASE;
        case REPLAY_REPEAT:
            return HEADLESS_REPEAT;
        case REPLAY_POINTER:
            return HEADLESS_POINTER;
        case REPLAY_CLOSE:
            return HEADLESS_CLOSE;
        case REPLAY_FOCUS_LOST:
            return HEADLESS_FOCUS_LOST;
        case REPLAY_FOCUS_GAINED:
            return HEADLESS_FOCUS_GAINED;
        default:
            return HEADLESS_STALL;
    }
}

// The character a key types: only Esc of the keys a script names has one.
int32_t char_code_of(int32_t scan_code) {
    return scan_code == KEY_ESC ? 27 : 0;
}

// The first sample at or after ms: the clock starts on a sample.
int64_t sample_at_or_after(int64_t ms) {
    return (ms + HEADLESS_SAMPLE_MS - 1) / HEADLESS_SAMPLE_MS * HEADLESS_SAMPLE_MS;
}

void append_state(std::string& out, const Car& car, const Projectile& p, int32_t score_value) {
    out += "\"car\":{\"x\":" + std::to_string(car.x) + ",\"y\":" + std::to_string(car.y) +
           ",\"direction\":" + std::to_string(car.direction) +
           ",\"anim_frame\":" + std::to_string(car.anim_frame) +
           "},\"projectile\":{\"x\":" + std::to_string(p.x) + ",\"y\":" + std::to_string(p.y) +
           ",\"direction\":" + std::to_string(p.direction) + ",\"life\":" + std::to_string(p.life) +
           "},\"score\":" + std::to_string(score_value);
}

}  // namespace

int64_t replay_end_ms(const ReplayScript* script) {
    if (script == nullptr) {
        return REPLAY_TAIL_MS;
    }
    int64_t last = 0;
    for (const ReplayEntry& entry : script->entries) {
        if (entry.action == REPLAY_END) {
            return sample_at_or_after(entry.at_ms);
        }
        // A stall holds the process up: its entry is over when the stall is.
        last = std::max(last, entry.at_ms + (entry.action == REPLAY_STALL ? entry.stall_ms : 0));
    }
    return sample_at_or_after(last + REPLAY_TAIL_MS);
}

ReplayOutcome run_replay(const ReplayScript* script, std::FILE* trace) {
    // Everything a previous run in this process left behind goes: the
    // backend, and the program-wide state that start-up does not set.
    headless_reset();
    level_map = LevelMap{};
    digit_font = DigitFont{};
    canvas = Canvas{};
    score = 0;
    // The game state is large for a stack; like the entry procedure's, it
    // lives as long as the program.
    static GameState game;
    game = GameState{};

    start_up(game);
    const int64_t start = headless_now_ms();  // start-up's clock reading
    const int64_t end_at = start + replay_end_ms(script);
    if (script != nullptr) {
        for (const ReplayEntry& entry : script->entries) {
            if (entry.action == REPLAY_END) {
                break;  // the run is over there: what follows never takes effect
            }
            headless_schedule(HeadlessInput{start + entry.at_ms, headless_action(entry.action),
                                            entry.scan_code, char_code_of(entry.scan_code),
                                            entry.stall_ms});
        }
    }

    ReplayOutcome outcome{0, false, 0, game.car, game.projectile, score};
    std::string line;
    while (headless_now_ms() < end_at) {
        const int64_t frames_before = headless_stats().outer_unlocks;
        const bool esc = frame_loop_iteration(game);
        // Every frame ends with one outermost screen_unlock.
        if (headless_stats().outer_unlocks != frames_before) {
            ++outcome.frames;
            if (trace != nullptr) {
                line = "{\"frame\":" + std::to_string(outcome.frames) +
                       ",\"time_ms\":" + std::to_string(headless_now_ms() - start) + ",";
                append_state(line, game.car, game.projectile, score);
                line += "}\n";
                std::fputs(line.c_str(), trace);
            }
        }
        if (esc) {
            // As the entry procedure does; the Esc press was a typed key, so
            // this returns at once.
            wait_key(WAIT_FOREVER);
            outcome.ended_by_esc = true;
            break;
        }
    }
    outcome.time_ms = headless_now_ms() - start;
    outcome.car = game.car;
    outcome.projectile = game.projectile;
    outcome.score = score;
    return outcome;
}

std::string outcome_json(const ReplayOutcome& outcome) {
    std::string out = "{\"frames\":" + std::to_string(outcome.frames) + ",\"ended_by\":\"" +
                      (outcome.ended_by_esc ? "esc" : "end") +
                      "\",\"time_ms\":" + std::to_string(outcome.time_ms) + ",";
    append_state(out, outcome.car, outcome.projectile, outcome.score);
    out += "}";
    return out;
}

std::string level_out_text(const LevelMap& level) {
    std::string text;
    text.reserve(static_cast<size_t>(MAP_W * MAP_H) * 4);
    for (int32_t y = 0; y < MAP_H; ++y) {
        for (int32_t x = 0; x < MAP_W; ++x) {
            text += std::to_string(level_cell(level, x, y));
            text += x + 1 < MAP_W ? ',' : '\n';
        }
    }
    return text;
}

bool write_screen_png(const char* path, const uint8_t* pixels, std::string& error) {
    std::array<png_byte, 3 * PALETTE_SIZE> colormap{};
    for (size_t i = 0; i < VGA_PALETTE.size(); ++i) {
        colormap[3 * i] = VGA_PALETTE[i].r;
        colormap[3 * i + 1] = VGA_PALETTE[i].g;
        colormap[3 * i + 2] = VGA_PALETTE[i].b;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = SCREEN_W;
    image.height = SCREEN_H;
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = PALETTE_SIZE;
    // One byte per pixel, each a palette index: the framebuffer as it is.
    const int ok = png_image_write_to_file(&image, path, 0, pixels, SCREEN_W, colormap.data());
    if (ok == 0) {
        error = image.message;
    }
    png_image_free(&image);
    return ok != 0;
}
