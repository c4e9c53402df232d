// The window backend: the display, input and clock services on an SDL2
// window.
//
// Two threads. The process's main thread owns SDL (as some window systems
// require) and runs the window loop: it turns window-system events into key
// states and queued events, and every 10 ms takes the screen lock, publishes
// them, samples the keys and copies the framebuffer rows that changed. The
// game runs on a thread of its own and reaches the main thread through the
// screen lock, the ring's lock and a request block (opening the window,
// ending the program). SDL_PushEvent, which is safe from any thread, wakes
// the window loop for a request.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/changed_rows.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/input_state.h"
#include "platform/run.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/picture_fit.h"
#include "platform/text_output.h"
#include "platform/vga_palette.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds REFRESH_PERIOD{10};
constexpr int32_t WAIT_KEY_STEP_MS = 50;
// Window-system events gathered between two refreshes; more than this many
// are handed over early rather than lost.
constexpr int32_t PENDING_CAPACITY = 256;
constexpr size_t ROW_BYTES = static_cast<size_t>(SCREEN_W);
#ifdef CARBLAST_IDLE_BASELINE
constexpr bool SHOW_ROWS = false;  // the measuring build that never shows the picture
#else
constexpr bool SHOW_ROWS = true;
#endif

// Everything the two threads share, each part under the lock named.
struct Shared {
    // The screen lock: the framebuffer, the rows marked changed, the keys.
    std::mutex screen;
    std::array<uint8_t, SCREEN_BYTES> framebuffer{};
    int32_t dirty_first = -1;  // -1: no row changed since the last refresh
    int32_t dirty_last = -1;
    KeyStates keys;

    // The ring's own lock.
    std::mutex ring_lock;
    EventRing ring;

    // Requests from the game thread to the main thread.
    std::mutex request_lock;
    std::condition_variable request_changed;
    bool open_requested = false;
    bool open_answered = false;
    int32_t open_result = 0;
    bool end_requested = false;
    int32_t end_code = 0;

    // Set on the main thread before the game thread starts, read-only after.
    bool sdl_ready = false;
    uint32_t wake_event = 0;
    std::thread::id main_thread;

    // The game thread's own: how deep its screen locks nest.
    int32_t lock_depth = 0;
};

// The main thread's own.
struct Window {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool need_present = false;
    std::array<InputEvent, PENDING_CAPACITY> pending{};
    int32_t pending_count = 0;
    // The framebuffer as last shown, to tell rows that really changed from
    // rows that were only redrawn the same, and the same rows in 32 bits.
    std::array<uint8_t, SCREEN_BYTES> shown{};
    std::array<uint32_t, SCREEN_BYTES> pixels{};
    std::array<uint32_t, PALETTE_SIZE> colours{};
};

// Both live until the process ends and are never destroyed: the game thread
// may still be parked in end_program while the process exits.
Shared& shared() {
    static Shared& s = *new Shared;
    return s;
}

Window& main_window() {
    static Window& w = *new Window;
    return w;
}

// ---- the main thread ----

[[noreturn]] void finish(int32_t code) {
    Window& w = main_window();
    if (w.texture != nullptr) {
        SDL_DestroyTexture(w.texture);
    }
    if (w.renderer != nullptr) {
        SDL_DestroyRenderer(w.renderer);
    }
    if (w.window != nullptr) {
        SDL_DestroyWindow(w.window);
    }
    // No SDL_Quit: it would unload the libraries SDL opened, for nothing,
    // as the process ends here and the window system lets go of everything
    // the connection held; the window itself is gone already.
    std::fflush(nullptr);
    std::exit(code);
}

void present(Window& w) {
    int32_t out_w = 0;
    int32_t out_h = 0;
    if (SDL_GetRendererOutputSize(w.renderer, &out_w, &out_h) != 0) {
        return;
    }
    const PictureRect picture = fit_picture(out_w, out_h);
    const SDL_Rect target{picture.x, picture.y, picture.w, picture.h};
    SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
    SDL_RenderClear(w.renderer);
    SDL_RenderCopy(w.renderer, w.texture, nullptr, &target);
    SDL_RenderPresent(w.renderer);
    w.need_present = false;
}

void upload_rows(Window& w, int32_t first, int32_t last) {
    const SDL_Rect rows{0, first, SCREEN_W, last - first + 1};
    SDL_UpdateTexture(w.texture, &rows, &w.pixels[static_cast<size_t>(first) * ROW_BYTES],
                      static_cast<int>(ROW_BYTES * sizeof(uint32_t)));
    w.need_present = true;
}

bool create_texture(Window& w) {
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                  SCREEN_W, SCREEN_H);
    if (w.texture == nullptr) {
        return false;
    }
    // Nearest neighbour keeps every cell a crisp block at any scale.
    SDL_SetTextureScaleMode(w.texture, SDL_ScaleModeNearest);
    upload_rows(w, 0, SCREEN_H - 1);
    return true;
}

bool open_window(Window& w) {
    for (size_t i = 0; i < w.colours.size(); ++i) {
        const PaletteColour& c = VGA_PALETTE[i];
        w.colours[i] = 0xFF000000U | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
    }
    w.pixels.fill(w.colours[0]);
    w.window = SDL_CreateWindow(
        "carblast", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, SCREEN_W, SCREEN_H,
        SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
    if (w.window == nullptr) {
        return false;
    }
    // No vsync: nothing is paced by the display, which stops when minimised.
    w.renderer = SDL_CreateRenderer(w.window, -1, 0);
    if (w.renderer == nullptr) {
        w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (w.renderer == nullptr || !create_texture(w)) {
        return false;
    }
    // Characters come from the keys themselves; an input method would only
    // hold keys back.
    SDL_StopTextInput();
    // Shown only now: making the renderer may replace the window, and
    // nobody should see the first one.
    SDL_ShowWindow(w.window);
    present(w);
    return true;
}

void toggle_fullscreen(Window& w) {
    const bool fullscreen = (SDL_GetWindowFlags(w.window) & SDL_WINDOW_FULLSCREEN) != 0;
    SDL_SetWindowFullscreen(w.window, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    w.need_present = true;
}

// A pointer position in window coordinates, as a framebuffer pixel.
FramebufferPoint pointer_point(const Window& w, int32_t x, int32_t y) {
    int32_t win_w = 0;
    int32_t win_h = 0;
    int32_t out_w = 0;
    int32_t out_h = 0;
    SDL_GetWindowSize(w.window, &win_w, &win_h);
    if (SDL_GetRendererOutputSize(w.renderer, &out_w, &out_h) != 0 || win_w <= 0 || win_h <= 0) {
        return FramebufferPoint{0, 0};
    }
    // Window coordinates are points; on a HiDPI display a point is several
    // output pixels.
    const auto px = static_cast<int32_t>(int64_t{x} * out_w / win_w);
    const auto py = static_cast<int32_t>(int64_t{y} * out_h / win_h);
    return picture_point(fit_picture(out_w, out_h), px, py);
}

// Hands the gathered events to the game's side: key states, the typed-key
// flag and the ring. Called with the screen lock held.
void publish_pending(Shared& s, Window& w) {
    const std::lock_guard<std::mutex> ring_guard(s.ring_lock);
    for (int32_t i = 0; i < w.pending_count; ++i) {
        const InputEvent& e = w.pending[static_cast<size_t>(i)];
        switch (e.type) {
            case EVENT_KEY_PRESSED:
            case EVENT_KEY_REPEATED:
                keys_press(s.keys, s.ring, e.scan_code, e.char_code, e.type == EVENT_KEY_REPEATED);
                break;
            case EVENT_KEY_RELEASED:
                keys_release(s.keys, s.ring, e.scan_code);
                break;
            case EVENT_FOCUS_GAINED:
            case EVENT_FOCUS_LOST:
                keys_focus(s.keys, s.ring, e.type == EVENT_FOCUS_GAINED);
                break;
            case EVENT_CLOSE_REQUESTED:
                keys_close_request(s.keys, s.ring);
                break;
            default:
                ring_post(s.ring, e);
                break;
        }
    }
    w.pending_count = 0;
}

// Compares the changed rows with what is shown and converts those that
// differ. Called with the screen lock held; returns the rows to upload, or
// first -1 when none differs.
void take_rows(Shared& s, Window& w, int32_t& first, int32_t& last) {
    first = -1;
    last = -1;
    if (s.dirty_first < 0) {
        return;
    }
    for (int32_t row = s.dirty_first; row <= s.dirty_last; ++row) {
        const size_t start = static_cast<size_t>(row) * ROW_BYTES;
        const uint8_t* source = &s.framebuffer[start];
        uint8_t* shown = &w.shown[start];
        if (std::memcmp(source, shown, ROW_BYTES) == 0) {
            continue;
        }
        std::memcpy(shown, source, ROW_BYTES);
        uint32_t* out = &w.pixels[start];
        for (size_t x = 0; x < ROW_BYTES; ++x) {
            out[x] = w.colours[source[x]];
        }
        first = first < 0 ? row : first;
        last = row;
    }
    s.dirty_first = -1;
    s.dirty_last = -1;
}

// The 10 ms step: publish the events, sample the keys, show changed rows.
void refresh(Shared& s, Window& w) {
    int32_t first = -1;
    int32_t last = -1;
    {
        const std::lock_guard<std::mutex> screen_guard(s.screen);
        publish_pending(s, w);
        keys_sample(s.keys);
        if (SHOW_ROWS) {
            take_rows(s, w, first, last);
        }
    }
    if (first >= 0) {
        upload_rows(w, first, last);
    }
    if (w.need_present) {
        present(w);
    }
}

void queue_event(Shared& s, Window& w, const InputEvent& event) {
    if (w.pending_count == PENDING_CAPACITY) {
        const std::lock_guard<std::mutex> screen_guard(s.screen);
        publish_pending(s, w);
    }
    w.pending[static_cast<size_t>(w.pending_count)] = event;
    ++w.pending_count;
}

void queue_pointer_move(Shared& s, Window& w, int32_t x, int32_t y) {
    const FramebufferPoint p = pointer_point(w, x, y);
    // Moves between two refreshes count as one, at the latest position, so
    // that moving the mouse floods the ring less.
    if (w.pending_count > 0) {
        InputEvent& last = w.pending[static_cast<size_t>(w.pending_count - 1)];
        if (last.type == EVENT_POINTER_MOVED) {
            last.x = p.x;
            last.y = p.y;
            return;
        }
    }
    queue_event(s, w, InputEvent{EVENT_POINTER_MOVED, 0, 0, p.x, p.y});
}

void handle_key(Shared& s, Window& w, const SDL_KeyboardEvent& key) {
    const int32_t code = pc_scan_code(key.keysym.scancode);
    if (key.type == SDL_KEYUP) {
        queue_event(s, w, InputEvent{EVENT_KEY_RELEASED, code, 0, 0, 0});
        return;
    }
    const int32_t type = key.repeat != 0 ? EVENT_KEY_REPEATED : EVENT_KEY_PRESSED;
    queue_event(s, w, InputEvent{type, code, typed_char(key.keysym.sym, key.keysym.mod), 0, 0});
    const bool enter = key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER;
    if (key.repeat == 0 &&
        (key.keysym.sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT) != 0))) {
        // The toggle keys reach the game as well, like any other key.
        toggle_fullscreen(w);
    }
}

void handle_window_event(Shared& s, Window& w, const SDL_WindowEvent& window) {
    switch (window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            queue_event(s, w, InputEvent{EVENT_FOCUS_GAINED, 0, 0, 0, 0});
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            queue_event(s, w, InputEvent{EVENT_FOCUS_LOST, 0, 0, 0, 0});
            break;
        case SDL_WINDOWEVENT_ENTER:
            queue_event(s, w, InputEvent{EVENT_POINTER_ENTERED, 0, 0, 0, 0});
            break;
        case SDL_WINDOWEVENT_LEAVE:
            queue_event(s, w, InputEvent{EVENT_POINTER_LEFT, 0, 0, 0, 0});
            break;
        case SDL_WINDOWEVENT_CLOSE:
            // The close button ends nothing: it is one more queued event.
            queue_event(s, w, InputEvent{EVENT_CLOSE_REQUESTED, 0, 0, 0, 0});
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            w.need_present = true;
            break;
        default:
            break;
    }
}

void handle_event(Shared& s, Window& w, const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            handle_key(s, w, event.key);
            break;
        case SDL_MOUSEMOTION:
            queue_pointer_move(s, w, event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const FramebufferPoint p = pointer_point(w, event.button.x, event.button.y);
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            queue_event(s, w,
                        InputEvent{down ? EVENT_BUTTON_PRESSED : EVENT_BUTTON_RELEASED,
                                   event.button.button, 0, p.x, p.y});
            if (down && event.button.clicks == 2) {
                queue_event(s, w, InputEvent{EVENT_DOUBLE_CLICK, event.button.button, 0, p.x, p.y});
            }
            break;
        }
        case SDL_MOUSEWHEEL: {
            const FramebufferPoint p = pointer_point(w, event.wheel.mouseX, event.wheel.mouseY);
            const int32_t flip = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
            if (event.wheel.y != 0) {
                queue_event(s, w, InputEvent{EVENT_WHEEL, 0, flip * event.wheel.y, p.x, p.y});
            }
            if (event.wheel.x != 0) {
                queue_event(s, w, InputEvent{EVENT_HWHEEL, 0, flip * event.wheel.x, p.x, p.y});
            }
            break;
        }
        case SDL_WINDOWEVENT:
            handle_window_event(s, w, event.window);
            break;
        case SDL_RENDER_TARGETS_RESET:
            upload_rows(w, 0, SCREEN_H - 1);
            break;
        case SDL_RENDER_DEVICE_RESET:
            // The texture went with the device; a new one gets every row.
            SDL_DestroyTexture(w.texture);
            if (!create_texture(w)) {
                std::fprintf(stderr, "carblast: the window's picture was lost: %s\n",
                             SDL_GetError());
                finish(1);
            }
            break;
        default:
            // SDL_QUIT among them: only Esc, through the game, ends the program.
            break;
    }
}

void check_end_request(Shared& s) {
    int32_t code = 0;
    {
        const std::lock_guard<std::mutex> guard(s.request_lock);
        if (!s.end_requested) {
            return;
        }
        code = s.end_code;
    }
    finish(code);
}

[[noreturn]] void window_loop(Shared& s, Window& w) {
    Clock::time_point next_refresh = Clock::now() + REFRESH_PERIOD;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= next_refresh) {
            refresh(s, w);
            next_refresh += REFRESH_PERIOD;
            if (next_refresh <= now) {
                // Held up for longer than a period: refresh on from now
                // rather than in a burst.
                next_refresh = now + REFRESH_PERIOD;
            }
        }
        // Sleep until the next refresh, or until an event or a request.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next_refresh - Clock::now());
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, static_cast<int>(std::max<int64_t>(wait.count(), 0))) !=
            0) {
            handle_event(s, w, event);
            while (SDL_PollEvent(&event) != 0) {
                handle_event(s, w, event);
            }
        }
        check_end_request(s);
    }
}

// SDL falls back to drivers that draw into memory when no window system is
// reachable; a window there would run unseen.
bool window_system_present() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
           std::strcmp(driver, "dummy") != 0;
}

// Until the game opens the screen there is no window to wait on: the main
// thread waits for the game's request instead.
[[noreturn]] void main_thread(Shared& s, Window& w) {
    {
        std::unique_lock<std::mutex> guard(s.request_lock);
        s.request_changed.wait(guard, [&s] { return s.open_requested || s.end_requested; });
        if (s.end_requested) {
            const int32_t code = s.end_code;
            guard.unlock();
            finish(code);
        }
    }
    // Without a window there is nothing to see and no key to end the game
    // with: say why and stop instead of running on unseen.
    if (!s.sdl_ready) {
        std::fprintf(stderr, "carblast: cannot open the window: %s\n", SDL_GetError());
        finish(1);
    }
    if (!window_system_present()) {
        std::fprintf(stderr, "carblast: cannot open the window: no display to show it on\n");
        finish(1);
    }
    if (!open_window(w)) {
        std::fprintf(stderr, "carblast: cannot open the window: %s\n", SDL_GetError());
        finish(1);
    }
    {
        const std::lock_guard<std::mutex> guard(s.request_lock);
        s.open_answered = true;
        s.open_result = 0;
    }
    s.request_changed.notify_all();
    window_loop(s, w);
}

void wake_main_thread(const Shared& s) {
    if (!s.sdl_ready) {
        return;
    }
    SDL_Event event{};
    event.type = s.wake_event;
    SDL_PushEvent(&event);
}

// The game thread's view of the screen lock: taken unless already held.
template <typename Action>
auto with_screen(Shared& s, Action action) {
    if (s.lock_depth > 0) {
        return action();
    }
    const std::lock_guard<std::mutex> guard(s.screen);
    return action();
}

void mark_rows(Shared& s, int32_t first_row, int32_t last_row) {
    mark_changed_rows(s.dirty_first, s.dirty_last, first_row, last_row);
}

}  // namespace

// ---- display services ----

int32_t screen_open(int32_t /*width*/, int32_t /*height*/, int32_t /*bits_per_pixel*/,
                    int32_t /*pages*/, int32_t /*flags*/, int32_t /*refresh_rate*/) {
    Shared& s = shared();
    with_screen(s, [&s] {
        s.framebuffer.fill(0);
        mark_rows(s, 0, SCREEN_H - 1);
    });
    text_output_reset();
    std::unique_lock<std::mutex> guard(s.request_lock);
    s.open_requested = true;
    s.request_changed.notify_all();
    s.request_changed.wait(guard, [&s] { return s.open_answered; });
    return s.open_result;
}

uint8_t* screen_framebuffer() {
    return shared().framebuffer.data();
}

void screen_lock() {
    Shared& s = shared();
    if (s.lock_depth == 0) {
        s.screen.lock();
    }
    ++s.lock_depth;
}

void screen_unlock(int32_t first_row, int32_t last_row) {
    Shared& s = shared();
    if (s.lock_depth == 0) {
        // An unlock without a lock still marks its rows.
        const std::lock_guard<std::mutex> guard(s.screen);
        mark_rows(s, first_row, last_row);
        return;
    }
    mark_rows(s, first_row, last_row);
    --s.lock_depth;
    if (s.lock_depth == 0) {
        s.screen.unlock();
    }
}

// ---- input and clock services ----

int32_t key_down(int32_t code) {
    Shared& s = shared();
    return with_screen(s, [&s, code] { return keys_down(s.keys, code); });
}

int32_t poll_event(InputEvent& event) {
    Shared& s = shared();
    const std::lock_guard<std::mutex> guard(s.ring_lock);
    return ring_take(s.ring, event) ? -1 : 0;
}

double clock_seconds() {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void sleep_ms(int32_t ms, int32_t /*kind*/) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void wait_key(int32_t ms) {
    Shared& s = shared();
    int64_t waited = 0;
    for (;;) {
        const bool typed = with_screen(s, [&s] {
            const bool was = s.keys.typed;
            s.keys.typed = false;
            return was;
        });
        if (typed || (ms >= 0 && waited >= ms)) {
            return;
        }
        sleep_ms(WAIT_KEY_STEP_MS, SLEEP_PLAIN);
        waited += WAIT_KEY_STEP_MS;
    }
}

void end_program(int32_t code) {
    Shared& s = shared();
    if (std::this_thread::get_id() == s.main_thread) {
        finish(code);
    }
    if (s.lock_depth > 0) {
        // The main thread needs the screen lock to get to the request.
        s.lock_depth = 0;
        s.screen.unlock();
    }
    {
        const std::lock_guard<std::mutex> guard(s.request_lock);
        s.end_requested = true;
        s.end_code = code;
    }
    s.request_changed.notify_all();
    wake_main_thread(s);
    // The main thread closes the window and ends the process; this thread
    // only waits for that.
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

void platform_run(void (*game_entry)()) {
    Shared& s = shared();
    s.main_thread = std::this_thread::get_id();
    // SIGINT and SIGTERM keep their default and end the process; SDL would
    // turn them into a quit event, which this game ignores.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Video and events only: no sound is ever played.
    s.sdl_ready = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    if (s.sdl_ready) {
        s.wake_event = SDL_RegisterEvents(1);
    }
    std::thread game([game_entry] {
        game_entry();
        end_program(0);
    });
    game.detach();
    main_thread(s, main_window());
}
