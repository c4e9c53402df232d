// A stand-in game for the window tests: it shows every palette colour in a
// known pattern and reports on stdout, one line each, every queued event and
// every change of a key's state, so that a test driving the window from
// outside can see what the game would see.
//
//   event TYPE SCAN CHAR X Y    an event taken with poll_event
//   down CODE / up CODE          key_down changed at the latest sample
//   ready                        the window is open and the picture drawn
//
// Esc ends it through wait_key and end_program(0) as the game does; Q ends
// it with exit code 7.
#include <array>
#include <cstdio>

#include "platform/display.h"
#include "platform/input.h"
#include "platform/run.h"

namespace {

constexpr int32_t KEY_Q = 16;
constexpr int32_t BORDER = 8;  // a white frame of this many pixels

// Colour i fills block i of a 16 x 16 grid inside the frame.
void draw_pattern() {
    screen_lock();
    uint8_t* fb = screen_framebuffer();
    for (int32_t y = 0; y < SCREEN_H; ++y) {
        for (int32_t x = 0; x < SCREEN_W; ++x) {
            const bool frame =
                x < BORDER || y < BORDER || x >= SCREEN_W - BORDER || y >= SCREEN_H - BORDER;
            const int32_t index = (y * 16 / SCREEN_H) * 16 + x * 16 / SCREEN_W;
            fb[y * SCREEN_W + x] = static_cast<uint8_t>(frame ? 15 : index);
        }
    }
    screen_unlock(-1, -1);
}

void probe() {
    screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
    draw_pattern();
    // The lines below come from the game thread only.
    std::printf("ready\n");
    std::fflush(stdout);
    std::array<int32_t, KEY_CODE_COUNT> was{};
    for (;;) {
        InputEvent event{};
        while (poll_event(event) != 0) {
            std::printf("event %d %d %d %d %d\n", event.type, event.scan_code, event.char_code,
                        event.x, event.y);
        }
        for (int32_t code = 0; code < KEY_CODE_COUNT; ++code) {
            const int32_t now = key_down(code);
            if (now != was[static_cast<size_t>(code)]) {
                std::printf("%s %d\n", now != 0 ? "down" : "up", code);
                was[static_cast<size_t>(code)] = now;
            }
        }
        std::fflush(stdout);
        if (was[KEY_Q] != 0) {
            end_program(7);
        }
        if (was[KEY_ESC] != 0) {
            wait_key(WAIT_FOREVER);
            end_program(0);
        }
        sleep_ms(5, SLEEP_PLAIN);
    }
}

}  // namespace

int main() {
    platform_run(probe);
}
