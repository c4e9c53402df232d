// Control of the headless backend, for tests and the replay tool.
//
// The headless backend runs on a virtual clock that starts at 1000.0 s and
// moves only when the game sleeps (sleep_ms, wait_key): no real time is ever
// read. At every multiple of 10 ms of virtual time it does what the window
// thread of the real backend does: applies the scripted input that is due,
// in script order, and samples the key states. It links no SDL.
#pragma once

#include <cstdint>

inline constexpr int64_t HEADLESS_START_MS = 1'000'000;  // the clock's first reading, 1000.0 s
inline constexpr int64_t HEADLESS_SAMPLE_MS = 10;

enum HeadlessAction : int32_t {
    HEADLESS_PRESS,         // key goes down: type-1 event
    HEADLESS_RELEASE,       // key goes up: type-2 event
    HEADLESS_REPEAT,        // key repeats: type-3 event
    HEADLESS_POINTER,       // pointer moves: type-4 event
    HEADLESS_CLOSE,         // close button: type-13 event and the typed-key flag
    HEADLESS_FOCUS_LOST,    // type-12 event, all key states cleared
    HEADLESS_FOCUS_GAINED,  // type-11 event, all key states cleared
    HEADLESS_STALL,         // the process is held up: the clock jumps by stall_ms
};

struct HeadlessInput {
    int64_t at_ms;      // virtual time (HEADLESS_START_MS is the first reading)
    int32_t action;     // a HeadlessAction
    int32_t scan_code;  // key actions: PC set-1 code
    int32_t char_code;  // key presses and repeats: the character typed, or 0
    int64_t stall_ms;   // HEADLESS_STALL: how long the process is held up
};

struct HeadlessStats {
    int64_t sleeps;         // sleep_ms calls that slept
    int64_t slept_ms;       // their total length
    int64_t samples;        // 10 ms samples taken
    int64_t shown;          // samples that found changed rows and "showed" them
    int64_t outer_unlocks;  // outermost screen_unlock calls
    int32_t lock_depth;     // current nesting of screen_lock
    int32_t dirty_first;    // changed rows not yet shown, or -1 when none
    int32_t dirty_last;
    bool screen_open;
};

// Back to the state of a process that has just started: clock at 1000.0 s,
// framebuffer all 0, no key down, nothing queued, no script, counters 0.
void headless_reset();

// Appends one scripted input. Times must not decrease from call to call; an
// entry earlier than the last one is taken at the same sample as that one.
void headless_schedule(const HeadlessInput& input);

// Scripted inputs not yet applied.
int32_t headless_pending();

int64_t headless_now_ms();
const HeadlessStats& headless_stats();
