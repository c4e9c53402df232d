// Web backend: the display, input and clock services in a browser page.
//
// The browser runs everything on one thread. The game's blocking frame loop
// runs as written: every sleep goes through emscripten_sleep, which Asyncify
// turns into a return to the browser's event loop and a resumption later. While
// the game sleeps, the browser runs the key and pointer handlers and the 10 ms
// refresh. The handlers only record key states and queue events, so nothing
// re-enters the game; the refresh samples the keys and shows the framebuffer
// rows that changed, the work the window thread does in the window backend.
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/changed_rows.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/input_state.h"
#include "platform/run.h"
#include "platform/text_output.h"
#include "platform/vga_palette.h"

// clang-format off

// Shows rows first_row..first_row + row_count - 1 of the RGBA picture in the
// page's canvas. Notes which frame the canvas now shows, and when the first
// game frame came up (milliseconds since the page began to load).
EM_JS(void, web_show_rows, (const uint8_t* rgba, int32_t width, int32_t first_row,
                            int32_t row_count), {
    var canvas = document.getElementById('canvas');
    if (!canvas) {
        return;
    }
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba + first_row * width * 4,
                                      row_count * width * 4);
    canvas.getContext('2d').putImageData(new ImageData(bytes, width, row_count), 0, first_row);
    Module['shownPictures'] = (Module['shownPictures'] | 0) + 1;
    Module['shownFrame'] = Module['frames'] | 0;
    if (Module['frames'] > 0 && !Module['firstFrameShownMs']) {
        Module['firstFrameShownMs'] = performance.now();
    }
});

// Counts finished frames (outermost screen unlocks) where the page and its
// tests can read them.
EM_JS(void, web_frame_done, (), {
    Module['frames'] = (Module['frames'] | 0) + 1;
});

// The window is gone: the page takes the canvas away and says the game ended.
EM_JS(void, web_game_ended, (int32_t code), {
    if (Module['onGameEnded']) {
        Module['onGameEnded'](code);
    }
});

// clang-format on

namespace {

constexpr const char* CANVAS = "#canvas";
constexpr double REFRESH_MS = 10.0;
constexpr int32_t WAIT_STEP_MS = 50;
constexpr int32_t KEY_SPACE = 57;

struct Web {
    std::array<uint8_t, SCREEN_BYTES> framebuffer{};
    std::array<uint8_t, static_cast<size_t>(SCREEN_BYTES) * 4> rgba{};  // what the canvas gets
    std::array<uint32_t, PALETTE_SIZE> rgba_of{};  // palette index -> R, G, B, 255 in memory order
    int32_t lock_depth = 0;
    int32_t dirty_first = -1;  // rows changed and not yet shown, -1 when none
    int32_t dirty_last = -1;
    KeyStates keys;
    EventRing ring;
    long refresh_timer = 0;
    bool move_queued = false;  // the ring's newest event is a move since the last refresh
    bool open = false;
};

Web& state() {
    static Web web;
    return web;
}

// ---- keyboard ----

struct KeyName {
    const char* code;  // KeyboardEvent.code: the key's place, whatever the layout
    int32_t scan_code;
};

// KeyboardEvent.code -> PC set-1 code. The keypad's keys have their own codes
// whatever the NumLock state, so 8, 4, 6 and 2 always drive like the arrows.
// Keys that set 1 gives an E0 prefix share the code of their plain twin.
// clang-format off
constexpr KeyName KEY_NAMES[] = {
    {"Escape", 1}, {"Digit1", 2}, {"Digit2", 3}, {"Digit3", 4},
    {"Digit4", 5}, {"Digit5", 6}, {"Digit6", 7}, {"Digit7", 8},
    {"Digit8", 9}, {"Digit9", 10}, {"Digit0", 11}, {"Minus", 12},
    {"Equal", 13}, {"Backspace", 14}, {"Tab", 15}, {"KeyQ", 16},
    {"KeyW", 17}, {"KeyE", 18}, {"KeyR", 19}, {"KeyT", 20},
    {"KeyY", 21}, {"KeyU", 22}, {"KeyI", 23}, {"KeyO", 24},
    {"KeyP", 25}, {"BracketLeft", 26}, {"BracketRight", 27}, {"Enter", 28},
    {"NumpadEnter", 28}, {"ControlLeft", 29}, {"ControlRight", 29}, {"KeyA", 30},
    {"KeyS", 31}, {"KeyD", 32}, {"KeyF", 33}, {"KeyG", 34},
    {"KeyH", 35}, {"KeyJ", 36}, {"KeyK", 37}, {"KeyL", 38},
    {"Semicolon", 39}, {"Quote", 40}, {"Backquote", 41}, {"ShiftLeft", 42},
    {"Backslash", 43}, {"KeyZ", 44}, {"KeyX", 45}, {"KeyC", 46},
    {"KeyV", 47}, {"KeyB", 48}, {"KeyN", 49}, {"KeyM", 50},
    {"Comma", 51}, {"Period", 52}, {"Slash", 53}, {"NumpadDivide", 53},
    {"ShiftRight", 54}, {"NumpadMultiply", 55}, {"AltLeft", 56}, {"AltRight", 56},
    {"Space", 57}, {"CapsLock", 58}, {"F1", 59}, {"F2", 60},
    {"F3", 61}, {"F4", 62}, {"F5", 63}, {"F6", 64},
    {"F7", 65}, {"F8", 66}, {"F9", 67}, {"F10", 68},
    {"NumLock", 69}, {"ScrollLock", 70}, {"Numpad7", 71}, {"Home", 71},
    {"Numpad8", 72}, {"ArrowUp", 72}, {"Numpad9", 73}, {"PageUp", 73},
    {"NumpadSubtract", 74}, {"Numpad4", 75}, {"ArrowLeft", 75}, {"Numpad5", 76},
    {"Numpad6", 77}, {"ArrowRight", 77}, {"NumpadAdd", 78}, {"Numpad1", 79},
    {"End", 79}, {"Numpad2", 80}, {"ArrowDown", 80}, {"Numpad3", 81},
    {"PageDown", 81}, {"Numpad0", 82}, {"Insert", 82}, {"NumpadDecimal", 83},
    {"Delete", 83}, {"IntlBackslash", 86}, {"F11", 87}, {"F12", 88},
    {"PrintScreen", 55}, {"MetaLeft", 91}, {"MetaRight", 92}, {"ContextMenu", 93},
    {"IntlRo", 115}, {"IntlYen", 125},
};
// clang-format on

// 0 for a key that set 1 has no code for (media keys, browser keys...).
int32_t scan_code_of(const char* code) {
    for (const KeyName& name : KEY_NAMES) {
        if (std::strcmp(name.code, code) == 0) {
            return name.scan_code;
        }
    }
    return 0;
}

// The character a key types: printable ASCII as KeyboardEvent.key gives it,
// and the control characters of Esc, Enter, Backspace and Tab.
int32_t char_code_of(const EmscriptenKeyboardEvent& event) {
    const unsigned char first = static_cast<unsigned char>(event.key[0]);
    if (first >= 0x20 && first < 0x7F && event.key[1] == '\0') {
        return first;
    }
    constexpr KeyName CONTROL_CHARACTERS[] = {
        {"Escape", 27}, {"Enter", 13}, {"NumpadEnter", 13}, {"Backspace", 8}, {"Tab", 9}};
    for (const KeyName& name : CONTROL_CHARACTERS) {
        if (std::strcmp(name.code, event.code) == 0) {
            return name.scan_code;
        }
    }
    return 0;
}

// The keys the game reads, and Space, lose their browser defaults: arrows and
// Space would scroll the page, Esc would leave full screen. Every other key
// keeps its default, so the browser's own shortcuts go on working.
bool game_key(int32_t scan_code) {
    return scan_code == KEY_ESC || scan_code == KEY_CTRL || scan_code == KEY_UP ||
           scan_code == KEY_LEFT || scan_code == KEY_RIGHT || scan_code == KEY_DOWN ||
           scan_code == KEY_SPACE;
}

EM_BOOL on_key(int event_type, const EmscriptenKeyboardEvent* event, void* /*user_data*/) {
    Web& w = state();
    const int32_t scan_code = scan_code_of(event->code);
    if (event_type == EMSCRIPTEN_EVENT_KEYDOWN) {
        keys_press(w.keys, w.ring, scan_code, char_code_of(*event), event->repeat != 0);
    } else {
        keys_release(w.keys, w.ring, scan_code);
    }
    w.move_queued = false;
    return game_key(scan_code) ? EM_TRUE : EM_FALSE;
}

EM_BOOL on_focus(int event_type, const EmscriptenFocusEvent* /*event*/, void* /*user_data*/) {
    Web& w = state();
    keys_focus(w.keys, w.ring, event_type == EMSCRIPTEN_EVENT_FOCUS);
    w.move_queued = false;
    return EM_FALSE;
}

// ---- pointer ----

// A position on the canvas in framebuffer pixels, whatever its scale.
void pointer_position(const EmscriptenMouseEvent& event, int32_t& x, int32_t& y) {
    double css_width = 0.0;
    double css_height = 0.0;
    emscripten_get_element_css_size(CANVAS, &css_width, &css_height);
    x = 0;
    y = 0;
    if (css_width >= 1.0 && css_height >= 1.0) {
        const double fx = static_cast<double>(event.targetX) * SCREEN_W / css_width;
        const double fy = static_cast<double>(event.targetY) * SCREEN_H / css_height;
        // Clamped before converting: a pointer on the border may lie just outside.
        x = static_cast<int32_t>(fx < 0.0 ? 0.0 : (fx > SCREEN_W - 1 ? SCREEN_W - 1 : fx));
        y = static_cast<int32_t>(fy < 0.0 ? 0.0 : (fy > SCREEN_H - 1 ? SCREEN_H - 1 : fy));
    }
}

int32_t pointer_event_type(int event_type) {
    switch (event_type) {
        case EMSCRIPTEN_EVENT_MOUSEDOWN:
            return EVENT_BUTTON_PRESSED;
        case EMSCRIPTEN_EVENT_MOUSEUP:
            return EVENT_BUTTON_RELEASED;
        case EMSCRIPTEN_EVENT_DBLCLICK:
            return EVENT_DOUBLE_CLICK;
        case EMSCRIPTEN_EVENT_MOUSEENTER:
            return EVENT_POINTER_ENTERED;
        case EMSCRIPTEN_EVENT_MOUSELEAVE:
            return EVENT_POINTER_LEFT;
        default:
            return EVENT_POINTER_MOVED;
    }
}

// Every event but a coalesced move goes through here, and ends a run of moves.
void post(Web& w, const InputEvent& event) {
    ring_post(w.ring, event);
    w.move_queued = false;
}

EM_BOOL on_mouse(int event_type, const EmscriptenMouseEvent* event, void* /*user_data*/) {
    Web& w = state();
    InputEvent queued{pointer_event_type(event_type), 0, 0, 0, 0};
    pointer_position(*event, queued.x, queued.y);
    if (queued.type == EVENT_POINTER_MOVED) {
        // Moves between two refreshes count as one, at the latest position,
        // so that moving the mouse floods the ring less. The game takes the
        // oldest event first, so a queued move that is still the newest one
        // is still there.
        if (w.move_queued && w.ring.count > 0) {
            const int32_t newest = (w.ring.head + w.ring.count - 1) % EVENT_RING_CAPACITY;
            w.ring.slots[static_cast<size_t>(newest)] = queued;
            return EM_FALSE;
        }
        post(w, queued);
        w.move_queued = true;
        return EM_FALSE;
    }
    if (queued.type != EVENT_POINTER_ENTERED && queued.type != EVENT_POINTER_LEFT) {
        // The browser counts buttons from 0 (left, middle, right).
        queued.scan_code = static_cast<int32_t>(event->button) + 1;
    }
    post(w, queued);
    return EM_FALSE;
}

EM_BOOL on_wheel(int /*event_type*/, const EmscriptenWheelEvent* event, void* /*user_data*/) {
    Web& w = state();
    InputEvent queued{EVENT_WHEEL, 0, 0, 0, 0};
    pointer_position(event->mouse, queued.x, queued.y);
    if (event->deltaY != 0.0) {
        // A negative delta scrolls up, away from the user: a positive step.
        queued.char_code = event->deltaY < 0.0 ? 1 : -1;
        post(w, queued);
    }
    if (event->deltaX != 0.0) {
        queued.type = EVENT_HWHEEL;
        queued.char_code = event->deltaX > 0.0 ? 1 : -1;
        post(w, queued);
    }
    return EM_FALSE;
}

// A page has no close button of its own: no close request is ever queued.
void set_handlers(bool on) {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_FALSE, on ? on_key : nullptr);
    emscripten_set_keyup_callback(window, nullptr, EM_FALSE, on ? on_key : nullptr);
    // Not captured: a blur of the canvas or the button inside the page must
    // not count as the window losing the focus.
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, on ? on_focus : nullptr);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, on ? on_focus : nullptr);
    emscripten_set_mousemove_callback(CANVAS, nullptr, EM_FALSE, on ? on_mouse : nullptr);
    emscripten_set_mousedown_callback(CANVAS, nullptr, EM_FALSE, on ? on_mouse : nullptr);
    emscripten_set_mouseup_callback(CANVAS, nullptr, EM_FALSE, on ? on_mouse : nullptr);
    emscripten_set_dblclick_callback(CANVAS, nullptr, EM_FALSE, on ? on_mouse : nullptr);
    emscripten_set_mouseenter_callback(CANVAS, nullptr, EM_FALSE, on ? on_mouse : nullptr);
    emscripten_set_mouseleave_callback(CANVAS, nullptr, EM_FALSE, on ? on_mouse : nullptr);
    emscripten_set_wheel_callback(CANVAS, nullptr, EM_FALSE, on ? on_wheel : nullptr);
}

// ---- refresh ----

void show_changed_rows(Web& w) {
    const auto first = static_cast<size_t>(w.dirty_first);
    const auto last = static_cast<size_t>(w.dirty_last);
    for (size_t i = first * SCREEN_W; i < (last + 1) * SCREEN_W; ++i) {
        std::memcpy(&w.rgba[i * 4], &w.rgba_of[w.framebuffer[i]], 4);
    }
    web_show_rows(w.rgba.data(), SCREEN_W, w.dirty_first, w.dirty_last - w.dirty_first + 1);
    w.dirty_first = -1;
    w.dirty_last = -1;
}

// Every 10 ms, between the game's steps: what the window thread does.
void refresh(void* /*user_data*/) {
    Web& w = state();
    if (w.lock_depth != 0) {
        return;  // the game holds the framebuffer; the next refresh will do
    }
    // key_down reports only what a sample saw: a tap between two is never seen.
    keys_sample(w.keys);
    w.move_queued = false;
    if (w.dirty_first >= 0) {
        show_changed_rows(w);
    }
}

void mark_rows(Web& w, int32_t first_row, int32_t last_row) {
    mark_changed_rows(w.dirty_first, w.dirty_last, first_row, last_row);
}

}  // namespace

// ---- display services ----

int32_t screen_open(int32_t /*width*/, int32_t /*height*/, int32_t /*bits_per_pixel*/,
                    int32_t /*pages*/, int32_t /*flags*/, int32_t /*refresh_rate*/) {
    Web& w = state();
    for (size_t i = 0; i < w.rgba_of.size(); ++i) {
        const PaletteColour& c = VGA_PALETTE[i];
        const std::array<uint8_t, 4> bytes{c.r, c.g, c.b, 255};
        std::memcpy(&w.rgba_of[i], bytes.data(), bytes.size());
    }
    w.framebuffer.fill(0);
    mark_rows(w, 0, SCREEN_H - 1);  // the black screen shows at the first refresh
    text_output_reset();
    if (!w.open) {
        set_handlers(true);
        w.refresh_timer = emscripten_set_interval(refresh, REFRESH_MS, nullptr);
        w.open = true;
    }
    return 0;
}

uint8_t* screen_framebuffer() {
    return state().framebuffer.data();
}

void screen_lock() {
    ++state().lock_depth;
}

void screen_unlock(int32_t first_row, int32_t last_row) {
    Web& w = state();
    mark_rows(w, first_row, last_row);
    if (w.lock_depth > 0) {
        --w.lock_depth;
        if (w.lock_depth == 0) {
            web_frame_done();
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
    return emscripten_get_now() / 1000.0;
}

void sleep_ms(int32_t ms, int32_t /*kind*/) {
    if (ms > 0) {
        emscripten_sleep(static_cast<unsigned>(ms));
    }
}

void wait_key(int32_t ms) {
    Web& w = state();
    int32_t waited = 0;
    while (!w.keys.typed) {
        if (ms >= 0 && waited >= ms) {
            return;
        }
        emscripten_sleep(WAIT_STEP_MS);
        waited += WAIT_STEP_MS;
    }
    w.keys.typed = false;
}

void end_program(int32_t code) {
    Web& w = state();
    if (w.open) {
        emscripten_clear_interval(w.refresh_timer);
        set_handlers(false);
        w.open = false;
    }
    // A page cannot close itself: it hides the picture and offers to reload.
    web_game_ended(code);
    std::fflush(nullptr);
    // Stops the runtime for good: no handler or timer enters the game again.
    emscripten_force_exit(code);
}

void platform_run(void (*game_entry)()) {
    game_entry();
    end_program(0);
}
