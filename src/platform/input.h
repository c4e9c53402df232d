// Input and clock services: key states by PC set-1 scan code, the queue of
// input events, a clock in seconds, sleeps, a wait for a typed key and the
// end of the program.
//
// Every backend implements these; all are called from the game's one thread.
// While the screen is open, the backend samples the keyboard every 10 ms
// (only while the window has the focus) and queues events on its own.
#pragma once

#include <cstdint>

// PC set-1 scan codes the game uses. The keypad's 8, 4, 6 and 2 report the
// arrow codes whatever the NumLock state.
inline constexpr int32_t KEY_ESC = 1;
inline constexpr int32_t KEY_CTRL = 29;  // left or right Ctrl
inline constexpr int32_t KEY_LSHIFT = 42;
inline constexpr int32_t KEY_RSHIFT = 54;
inline constexpr int32_t KEY_ALT = 56;  // left or right Alt
inline constexpr int32_t KEY_UP = 72;
inline constexpr int32_t KEY_LEFT = 75;
inline constexpr int32_t KEY_RIGHT = 77;
inline constexpr int32_t KEY_DOWN = 80;
inline constexpr int32_t KEY_CODE_COUNT = 128;  // codes 0..127

// Event types.
inline constexpr int32_t EVENT_KEY_PRESSED = 1;
inline constexpr int32_t EVENT_KEY_RELEASED = 2;
inline constexpr int32_t EVENT_KEY_REPEATED = 3;
inline constexpr int32_t EVENT_POINTER_MOVED = 4;
inline constexpr int32_t EVENT_BUTTON_PRESSED = 5;
inline constexpr int32_t EVENT_BUTTON_RELEASED = 6;
inline constexpr int32_t EVENT_DOUBLE_CLICK = 7;
inline constexpr int32_t EVENT_WHEEL = 8;
inline constexpr int32_t EVENT_POINTER_ENTERED = 9;
inline constexpr int32_t EVENT_POINTER_LEFT = 10;
inline constexpr int32_t EVENT_FOCUS_GAINED = 11;
inline constexpr int32_t EVENT_FOCUS_LOST = 12;
inline constexpr int32_t EVENT_CLOSE_REQUESTED = 13;
inline constexpr int32_t EVENT_HWHEEL = 14;

// One queued input event: five signed 32-bit fields, type first.
struct InputEvent {
    int32_t type;
    int32_t scan_code;  // key events: set-1 code, 0 for a key without one;
                        // button events: button number (1 left, 2 middle, 3 right)
    int32_t char_code;  // key events: the character typed, else 0;
                        // wheel events: steps, away from the user positive
    int32_t x;          // pointer and button events: position in framebuffer pixels
    int32_t y;
};

inline constexpr int32_t EVENT_RING_CAPACITY = 127;

inline constexpr int32_t SLEEP_PLAIN = 1;  // sleep_ms kind: never cut short by a key
inline constexpr int32_t WAIT_FOREVER = -1;

int32_t key_down(int32_t code);
// -1 if the key with that scan code was down at the latest 10 ms sample, else
// 0; 0 for codes outside 0..127. Called by the game every frame.

int32_t poll_event(InputEvent& event);
// -1: the oldest queued event is removed and copied into event; 0: nothing is
// queued and event is left untouched. The caller owns the record.

double clock_seconds();
// Seconds from a high-resolution monotonic counter. The origin is arbitrary
// (it is not the program start); only differences mean anything.

void sleep_ms(int32_t ms, int32_t kind);
// Sleeps ms milliseconds (0 or less returns at once). Kind SLEEP_PLAIN is the
// only kind: a key press never cuts it short.

void wait_key(int32_t ms);
// Waits until the typed-key flag is set, testing at once and then every
// 50 ms, and clears it. WAIT_FOREVER (-1) waits without a time limit; ms >= 0
// gives up after about that many milliseconds. The flag is set by every
// typed character (Esc included), every arrow or other special key and every
// close request; not by Ctrl, Shift or Alt alone.

[[noreturn]] void end_program(int32_t code);
// Closes the screen (the window is gone when this returns to the system) and
// every open file, and ends the process with exit code `code`.
