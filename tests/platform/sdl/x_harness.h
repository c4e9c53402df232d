// Driving a real program in a private X server, as a person at the keyboard
// would: an Xvfb on a display number of its own, child processes that die
// with the test, xdotool for the keyboard and the pointer, and screenshots
// read straight from the server.
//
// Every wait has a deadline; nothing here sleeps longer than a poll step.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace xh {

// Deadlines, in milliseconds. The sanitizer builds start slowly on a busy
// machine, so the waits for a window or a line are generous; they end as
// soon as what they wait for is there.
inline constexpr int32_t START_TIMEOUT_MS = 30'000;
inline constexpr int32_t STEP_TIMEOUT_MS = 10'000;
inline constexpr int32_t POLL_MS = 20;

struct Child {
    pid_t pid = -1;
    int out_fd = -1;      // the child's stdout and stderr, or -1
    std::string pending;  // read but not yet taken as lines
    std::vector<std::string> lines;
    bool exited = false;
    int status = 0;
};

// What a test starts: the X server, the program under test and anything
// else. Everything still running is killed when the session ends.
struct Session {
    Child xvfb;
    std::string display;  // ":N"
    Display* x = nullptr;
    std::vector<Child*> children;
    std::vector<std::string> temp_dirs;
};

// Starts Xvfb on the first free display number (the server picks it and
// reports it once it accepts connections) and connects to it.
bool start_xvfb(Session& session, int32_t width, int32_t height, std::string& error);
void end_session(Session& session);

// A fresh directory below TMPDIR, removed by end_session.
std::string make_temp_dir(Session& session, const std::string& tag);
// Copies a directory tree (cp -a); false when the source is missing.
bool copy_tree(Session& session, const std::string& from, const std::string& to);

// Starts argv[0] (a path) with DISPLAY set to the session's server, the
// working directory cwd, no standard input, stdout and stderr captured. The
// child is killed if the test process dies.
bool spawn(Session& session, Child& child, const std::vector<std::string>& argv,
           const std::string& cwd, const std::vector<std::string>& extra_env = {});

// Runs a command to its end (killed at the deadline); its output and exit
// status. False when it could not start or timed out.
bool run(Session& session, const std::vector<std::string>& argv, std::string& output,
         int& exit_code, int32_t timeout_ms = STEP_TIMEOUT_MS);
// xdotool with these arguments; true when it exited 0.
bool xdotool(Session& session, const std::vector<std::string>& args);

// Reads what the child has written; true once a line containing `text`
// arrived (searching from line `from`), with its index in `found`.
bool wait_line(Child& child, const std::string& text, int32_t timeout_ms, size_t from = 0,
               size_t* found = nullptr);
// True once the child has exited (status in child.status).
bool wait_exit(Child& child, int32_t timeout_ms);
bool running(Child& child);
std::string output_of(Child& child);  // every line read so far, for messages

// The top-level window with exactly this name, polling until the deadline; 0
// when none appeared.
Window find_window(Session& session, const std::string& name, int32_t timeout_ms);
bool window_exists(Session& session, Window window);
// True once the window is gone, polling until the deadline.
bool wait_window_gone(Session& session, Window window, int32_t timeout_ms);
// Gives the window the keyboard focus and waits until it has it.
bool focus(Session& session, Window window);
// What the window manager's close button sends: WM_DELETE_WINDOW.
void request_close(Session& session, Window window);

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    bool operator==(const Rgb&) const = default;
};

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgb> pixels;  // row by row
    Rgb at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

// The window's contents as the server holds them.
Image screenshot(Session& session, Window window);

// Holds a key (an X keysym name such as "Up" or "Control_L") down for
// hold_ms, then lets it go. Long enough holds are seen by a 10 ms sample.
bool tap(Session& session, const std::string& key, int32_t hold_ms = 60);

}  // namespace xh
