// The keyboard and event bookkeeping that every backend shares, so that the
// window, headless and web backends apply the same rules. Backends own one
// InputState each and do their own locking: the key states and the typed-key
// flag under the screen lock, the ring under a lock of its own.
#pragma once

#include <array>
#include <cstdint>

#include "platform/input.h"

// Pending events, oldest first. Posting to a full ring drops the oldest.
struct EventRing {
    std::array<InputEvent, EVENT_RING_CAPACITY> slots{};
    int32_t head = 0;   // index of the oldest event
    int32_t count = 0;  // events pending, 0..EVENT_RING_CAPACITY
};

void ring_post(EventRing& ring, const InputEvent& event);
bool ring_take(EventRing& ring, InputEvent& event);  // false when empty
void ring_clear(EventRing& ring);

struct KeyStates {
    std::array<uint8_t, KEY_CODE_COUNT> live{};     // as the latest key events left them
    std::array<uint8_t, KEY_CODE_COUNT> sampled{};  // what key_down reports
    bool focused = true;
    bool typed = false;  // the typed-key flag that wait_key waits for
};

// True for the keys whose press counts as typing: everything except Ctrl,
// Shift and Alt on their own.
bool key_sets_typed_flag(int32_t scan_code);

// A key went down (repeat false) or repeated (repeat true). Codes outside
// 0..127 are queued with scan code 0 and change no state.
void keys_press(KeyStates& keys, EventRing& ring, int32_t scan_code, int32_t char_code,
                bool repeat);
void keys_release(KeyStates& keys, EventRing& ring, int32_t scan_code);
// Gaining or losing the focus clears every key state, live and sampled.
void keys_focus(KeyStates& keys, EventRing& ring, bool gained);
void keys_close_request(KeyStates& keys, EventRing& ring);
// The 10 ms sample: key_down sees the live states from now on, but only while
// the window has the focus.
void keys_sample(KeyStates& keys);
// What key_down reports for code: -1 if it was down at the latest sample,
// else 0; 0 for codes outside 0..127.
int32_t keys_down(const KeyStates& keys, int32_t code);
