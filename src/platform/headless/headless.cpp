// Headless backend: the display, input and clock services on a virtual clock,
// with the framebuffer in memory and the keyboard fed from a script.
#include "platform/headless/headless.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/changed_rows.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/input_state.h"
#include "platform/run.h"
#include "platform/text_output.h"

namespace {

struct Headless {
    std::array<uint8_t, SCREEN_BYTES> framebuffer{};
    int64_t now_ms = HEADLESS_START_MS;
    KeyStates keys;
    EventRing ring;
    std::vector<HeadlessInput> script;
    size_t next_input = 0;
    HeadlessStats stats{0, 0, 0, 0, 0, 0, -1, -1, false};
};

Headless& state() {
    static Headless headless;
    return headless;
}

void apply(Headless& h, const HeadlessInput& input, int64_t& stall_ms) {
    switch (input.action) {
        case HEADLESS_PRESS:
            keys_press(h.keys, h.ring, input.scan_code, input.char_code, false);
            break;
        case HEADLESS_REPEAT:
            keys_press(h.keys, h.ring, input.scan_code, input.char_code, true);
            break;
        case HEADLESS_RELEASE:
            keys_release(h.keys, h.ring, input.scan_code);
            break;
        case HEADLESS_POINTER:
            ring_post(h.ring, InputEvent{EVENT_POINTER_MOVED, 0, 0, 0, 0});
            break;
        case HEADLESS_CLOSE:
            keys_close_request(h.keys, h.ring);
            break;
        case HEADLESS_FOCUS_LOST:
            keys_focus(h.keys, h.ring, false);
            break;
        case HEADLESS_FOCUS_GAINED:
            keys_focus(h.keys, h.ring, true);
            break;
        case HEADLESS_STALL:
            if (input.stall_ms > 0) {
                stall_ms += input.stall_ms;
            }
            break;
        default:
            break;
    }
}

// What the window thread does every 10 ms: take the due input in script
// order, sample the keys, show the changed rows.
void sample(Headless& h, int64_t& stall_ms) {
    while (h.next_input < h.script.size() && h.script[h.next_input].at_ms <= h.now_ms) {
        apply(h, h.script[h.next_input], stall_ms);
        ++h.next_input;
    }
    keys_sample(h.keys);
    ++h.stats.samples;
    if (h.stats.lock_depth == 0 && h.stats.dirty_first >= 0) {
        ++h.stats.shown;
        h.stats.dirty_first = -1;
        h.stats.dirty_last = -1;
    }
}

// Moves the clock forward by ms, sampling at every multiple of 10 ms on the
// way. A stall taken at one of those samples lengthens the way: the window
// thread goes on sampling while the process is held up.
void advance(Headless& h, int64_t ms) {
    int64_t target = h.now_ms + ms;
    while (h.now_ms < target) {
        const int64_t boundary = (h.now_ms / HEADLESS_SAMPLE_MS + 1) * HEADLESS_SAMPLE_MS;
        if (boundary > target) {
            h.now_ms = target;
            break;
        }
        h.now_ms = boundary;
        int64_t stall_ms = 0;
        sample(h, stall_ms);
        target += stall_ms;
    }
}

}  // namespace

void headless_reset() {
    Headless& h = state();
    h = Headless{};
}

void headless_schedule(const HeadlessInput& input) {
    state().script.push_back(input);
}

int32_t headless_pending() {
    const Headless& h = state();
    return static_cast<int32_t>(h.script.size() - h.next_input);
}

int64_t headless_now_ms() {
    return state().now_ms;
}

const HeadlessStats& headless_stats() {
    return state().stats;
}

// ---- display services ----

int32_t screen_open(int32_t /*width*/, int32_t /*height*/, int32_t /*bits_per_pixel*/,
                    int32_t /*pages*/, int32_t /*flags*/, int32_t /*refresh_rate*/) {
    Headless& h = state();
    h.framebuffer.fill(0);
    h.stats.screen_open = true;
    text_output_reset();
    return 0;
}

uint8_t* screen_framebuffer() {
    return state().framebuffer.data();
}

void screen_lock() {
    ++state().stats.lock_depth;
}

void screen_unlock(int32_t first_row, int32_t last_row) {
    HeadlessStats& s = state().stats;
    mark_changed_rows(s.dirty_first, s.dirty_last, first_row, last_row);
    if (s.lock_depth > 0) {
        --s.lock_depth;
        if (s.lock_depth == 0) {
            ++s.outer_unlocks;
        }
    }
}

// ---- input and clock services ----

int32_t key_down(int32_t code) {
    return keys_down(state().keys, code);
}

int32_t poll_event(InputEvent& event) {
    return ring_take(state().ring, event) ? -1 : 0;
}

double clock_seconds() {
    return static_cast<double>(state().now_ms) / 1000.0;
}

void sleep_ms(int32_t ms, int32_t /*kind*/) {
    if (ms <= 0) {
        return;
    }
    Headless& h = state();
    ++h.stats.sleeps;
    h.stats.slept_ms += ms;
    advance(h, ms);
}

void wait_key(int32_t ms) {
    Headless& h = state();
    int64_t waited = 0;
    while (!h.keys.typed) {
        // Nothing scripted is left that could set the flag: waiting on would
        // never end, so the wait gives up as a timed-out one does.
        if (h.next_input >= h.script.size() || (ms >= 0 && waited >= ms)) {
            return;
        }
        advance(h, 50);
        waited += 50;
    }
    h.keys.typed = false;
}

void end_program(int32_t code) {
    state().stats.screen_open = false;
    std::fflush(nullptr);
    std::exit(code);
}

void platform_run(void (*game_entry)()) {
    game_entry();
    end_program(0);
}
