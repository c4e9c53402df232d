#include "platform/input_state.h"

#include <algorithm>

void ring_post(EventRing& ring, const InputEvent& event) {
    if (ring.count == EVENT_RING_CAPACITY) {
        // A full ring keeps the newest events: the oldest one is lost.
        ring.head = (ring.head + 1) % EVENT_RING_CAPACITY;
        --ring.count;
    }
    const int32_t tail = (ring.head + ring.count) % EVENT_RING_CAPACITY;
    ring.slots[static_cast<size_t>(tail)] = event;
    ++ring.count;
}

bool ring_take(EventRing& ring, InputEvent& event) {
    if (ring.count == 0) {
        return false;
    }
    event = ring.slots[static_cast<size_t>(ring.head)];
    ring.head = (ring.head + 1) % EVENT_RING_CAPACITY;
    --ring.count;
    return true;
}

void ring_clear(EventRing& ring) {
    ring.head = 0;
    ring.count = 0;
}

bool key_sets_typed_flag(int32_t scan_code) {
    return scan_code != KEY_CTRL && scan_code != KEY_LSHIFT && scan_code != KEY_RSHIFT &&
           scan_code != KEY_ALT;
}

namespace {

bool valid_code(int32_t scan_code) {
    return scan_code >= 0 && scan_code < KEY_CODE_COUNT;
}

InputEvent key_event(int32_t type, int32_t scan_code, int32_t char_code) {
    return InputEvent{type, valid_code(scan_code) ? scan_code : 0, char_code, 0, 0};
}

}  // namespace

void keys_press(KeyStates& keys, EventRing& ring, int32_t scan_code, int32_t char_code,
                bool repeat) {
    if (valid_code(scan_code) && scan_code != 0) {
        keys.live[static_cast<size_t>(scan_code)] = 1;
    }
    if (key_sets_typed_flag(scan_code)) {
        keys.typed = true;
    }
    ring_post(ring,
              key_event(repeat ? EVENT_KEY_REPEATED : EVENT_KEY_PRESSED, scan_code, char_code));
}

void keys_release(KeyStates& keys, EventRing& ring, int32_t scan_code) {
    if (valid_code(scan_code)) {
        keys.live[static_cast<size_t>(scan_code)] = 0;
    }
    ring_post(ring, key_event(EVENT_KEY_RELEASED, scan_code, 0));
}

void keys_focus(KeyStates& keys, EventRing& ring, bool gained) {
    keys.live.fill(0);
    keys.sampled.fill(0);
    keys.focused = gained;
    ring_post(ring, InputEvent{gained ? EVENT_FOCUS_GAINED : EVENT_FOCUS_LOST, 0, 0, 0, 0});
}

void keys_close_request(KeyStates& keys, EventRing& ring) {
    // The close button ends nothing; it only counts as a typed key.
    keys.typed = true;
    ring_post(ring, InputEvent{EVENT_CLOSE_REQUESTED, 0, 0, 0, 0});
}

int32_t keys_down(const KeyStates& keys, int32_t code) {
    if (!valid_code(code)) {
        return 0;
    }
    return keys.sampled[static_cast<size_t>(code)] != 0 ? -1 : 0;
}

void keys_sample(KeyStates& keys) {
    if (keys.focused) {
        std::copy(keys.live.begin(), keys.live.end(), keys.sampled.begin());
    }
}
