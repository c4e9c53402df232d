#include "x_harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

extern char** environ;

namespace xh {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadline_after(int32_t ms) {
    return Clock::now() + std::chrono::milliseconds(ms);
}

void pause_step() {
    std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
}

// The environment of a child: ours, with DISPLAY replaced and extras added.
std::vector<std::string> child_environment(const std::string& display,
                                           const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    std::string tsan = "TSAN_OPTIONS=";
    std::string lsan = "LSAN_OPTIONS=";
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        // The sanitizers' options of a child keep ours and add the
        // suppressions of the system's libraries.
        if (name == "TSAN_OPTIONS") {
            tsan = entry + ":";
            continue;
        }
        if (name == "LSAN_OPTIONS") {
            lsan = entry + ":";
            continue;
        }
        const bool replaced =
            name == "DISPLAY" || std::any_of(extra.begin(), extra.end(), [&](const std::string& x) {
                return x.substr(0, x.find('=')) == name;
            });
        if (!replaced) {
            env.push_back(entry);
        }
    }
    env.push_back(tsan + "suppressions=" CARBLAST_TSAN_SUPPRESSIONS);
    env.push_back(lsan + "suppressions=" CARBLAST_LSAN_SUPPRESSIONS);
    const bool own_display = std::any_of(extra.begin(), extra.end(), [](const std::string& x) {
        return x.rfind("DISPLAY=", 0) == 0;
    });
    if (!display.empty() && !own_display) {
        env.push_back("DISPLAY=" + display);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

// fork and exec with everything prepared beforehand: between the two only
// calls that are safe in a forked child. extra_fd, when not -1, becomes the
// child's descriptor 3.
bool start_child(Child& child, std::vector<std::string> argv, std::vector<std::string> env,
                 const std::string& cwd, int extra_fd) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return false;
    }
    std::vector<char*> argp = pointers(argv);
    std::vector<char*> envp = pointers(env);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(out[0]);
        close(out[1]);
        return false;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(126);
        }
        const int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        if (extra_fd >= 0) {
            dup2(extra_fd, 3);
        }
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
            _exit(125);
        }
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    child.pid = pid;
    child.out_fd = out[0];
    child.exited = false;
    return true;
}

// Takes what the child has written so far into lines; waits up to wait_ms
// for something to arrive.
void drain(Child& child, int32_t wait_ms) {
    if (child.out_fd < 0) {
        return;
    }
    pollfd p{child.out_fd, POLLIN, 0};
    if (poll(&p, 1, wait_ms) <= 0) {
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(child.out_fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n == 0) {
                close(child.out_fd);
                child.out_fd = -1;
            }
            break;
        }
        child.pending.append(buffer, static_cast<size_t>(n));
    }
    size_t end = 0;
    while ((end = child.pending.find('\n')) != std::string::npos) {
        child.lines.push_back(child.pending.substr(0, end));
        child.pending.erase(0, end + 1);
    }
    if (child.out_fd < 0 && !child.pending.empty()) {
        child.lines.push_back(child.pending);
        child.pending.clear();
    }
}

void reap(Child& child) {
    if (child.pid > 0 && !child.exited) {
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            child.exited = true;
            child.status = status;
        }
    }
}

void kill_child(Child& child) {
    if (child.pid > 0 && !child.exited) {
        kill(child.pid, SIGKILL);
        int status = 0;
        waitpid(child.pid, &status, 0);
        child.exited = true;
        child.status = status;
    }
    if (child.out_fd >= 0) {
        close(child.out_fd);
        child.out_fd = -1;
    }
}

bool x_error_seen = false;

int note_x_error(Display* /*display*/, XErrorEvent* /*event*/) {
    x_error_seen = true;
    return 0;
}

}  // namespace

bool start_xvfb(Session& session, int32_t width, int32_t height, std::string& error) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        error = "pipe failed";
        return false;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // -displayfd: the server takes the first free display number and writes
    // it to descriptor 3 once it accepts connections.
    const bool started = start_child(session.xvfb,
                                     {"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0", screen,
                                      "-nolisten", "tcp", "-noreset"},
                                     child_environment("", {}), "", ready[1]);
    close(ready[1]);
    if (!started) {
        close(ready[0]);
        error = "cannot start /usr/bin/Xvfb";
        return false;
    }
    std::string number;
    const Clock::time_point deadline = deadline_after(START_TIMEOUT_MS);
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd p{ready[0], POLLIN, 0};
        if (poll(&p, 1, POLL_MS) > 0) {
            char c[16];
            const ssize_t n = read(ready[0], c, sizeof c);
            if (n <= 0) {
                break;
            }
            number.append(c, static_cast<size_t>(n));
        }
        drain(session.xvfb, 0);
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        error = "Xvfb did not report a display: " + output_of(session.xvfb);
        return false;
    }
    session.display = ":" + number.substr(0, number.find('\n'));
    session.x = XOpenDisplay(session.display.c_str());
    if (session.x == nullptr) {
        error = "cannot connect to Xvfb on " + session.display;
        return false;
    }
    XSetErrorHandler(note_x_error);
    return true;
}

void end_session(Session& session) {
    for (Child* child : session.children) {
        kill_child(*child);
    }
    session.children.clear();
    if (session.x != nullptr) {
        XCloseDisplay(session.x);
        session.x = nullptr;
    }
    kill_child(session.xvfb);
    for (const std::string& dir : session.temp_dirs) {
        std::string out;
        int code = 0;
        run(session, {"/bin/rm", "-rf", dir}, out, code);
    }
    session.temp_dirs.clear();
}

std::string make_temp_dir(Session& session, const std::string& tag) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/carblast-" + tag + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        return "";
    }
    session.temp_dirs.push_back(pattern);
    return pattern;
}

bool copy_tree(Session& session, const std::string& from, const std::string& to) {
    if (access(from.c_str(), F_OK) != 0) {
        return false;
    }
    std::string out;
    int code = 0;
    return run(session, {"/bin/cp", "-a", from, to}, out, code) && code == 0;
}

bool spawn(Session& session, Child& child, const std::vector<std::string>& argv,
           const std::string& cwd, const std::vector<std::string>& extra_env) {
    if (!start_child(child, argv, child_environment(session.display, extra_env), cwd, -1)) {
        return false;
    }
    session.children.push_back(&child);
    return true;
}

bool run(Session& session, const std::vector<std::string>& argv, std::string& output,
         int& exit_code, int32_t timeout_ms) {
    Child child;
    if (!start_child(child, argv, child_environment(session.display, {}), "", -1)) {
        return false;
    }
    const bool ended = wait_exit(child, timeout_ms);
    kill_child(child);
    output = output_of(child);
    exit_code = ended && WIFEXITED(child.status) ? WEXITSTATUS(child.status) : -1;
    return ended;
}

bool xdotool(Session& session, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    int code = 0;
    return run(session, argv, out, code) && code == 0;
}

bool wait_line(Child& child, const std::string& text, int32_t timeout_ms, size_t from,
               size_t* found) {
    const Clock::time_point deadline = deadline_after(timeout_ms);
    for (;;) {
        for (size_t i = from; i < child.lines.size(); ++i) {
            if (child.lines[i].find(text) != std::string::npos) {
                if (found != nullptr) {
                    *found = i;
                }
                return true;
            }
        }
        if (Clock::now() >= deadline || child.out_fd < 0) {
            return false;
        }
        drain(child, POLL_MS);
    }
}

bool wait_exit(Child& child, int32_t timeout_ms) {
    const Clock::time_point deadline = deadline_after(timeout_ms);
    for (;;) {
        drain(child, 0);
        reap(child);
        if (child.exited) {
            while (child.out_fd >= 0) {
                drain(child, POLL_MS);
            }
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        if (child.out_fd >= 0) {
            drain(child, POLL_MS);
        } else {
            pause_step();
        }
    }
}

bool running(Child& child) {
    drain(child, 0);
    reap(child);
    return child.pid > 0 && !child.exited;
}

std::string output_of(Child& child) {
    drain(child, 0);
    std::string all;
    for (const std::string& line : child.lines) {
        all += line + "\n";
    }
    return all + child.pending;
}

Window find_window(Session& session, const std::string& name, int32_t timeout_ms) {
    const Clock::time_point deadline = deadline_after(timeout_ms);
    for (;;) {
        std::string out;
        int code = 0;
        if (run(session,
                {"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^" + name + "$"}, out,
                code) &&
            code == 0) {
            std::istringstream ids(out);
            unsigned long id = 0;
            if (ids >> id) {
                return static_cast<Window>(id);
            }
        }
        if (Clock::now() >= deadline) {
            return 0;
        }
        pause_step();
    }
}

bool window_exists(Session& session, Window window) {
    XSync(session.x, False);
    x_error_seen = false;
    XWindowAttributes attributes;
    const Status ok = XGetWindowAttributes(session.x, window, &attributes);
    XSync(session.x, False);
    return ok != 0 && !x_error_seen;
}

bool wait_window_gone(Session& session, Window window, int32_t timeout_ms) {
    const Clock::time_point deadline = deadline_after(timeout_ms);
    while (window_exists(session, window)) {
        if (Clock::now() >= deadline) {
            return false;
        }
        pause_step();
    }
    return true;
}

bool focus(Session& session, Window window) {
    return xdotool(session, {"windowfocus", "--sync", std::to_string(window)});
}

void request_close(Session& session, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(session.x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(session.x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(session.x, window, False, NoEventMask, &event);
    XFlush(session.x);
}

Image screenshot(Session& session, Window window) {
    Image image;
    XSync(session.x, False);
    x_error_seen = false;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(session.x, window, &attributes) == 0 || x_error_seen) {
        return image;
    }
    XImage* shot = XGetImage(session.x, window, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        return image;
    }
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        const unsigned long value = (pixel >> shift) & mask;
        return static_cast<uint8_t>(mask == 0 ? 0 : value * 255 / mask);
    };
    image.width = attributes.width;
    image.height = attributes.height;
    image.pixels.reserve(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            image.pixels.push_back(Rgb{channel(pixel, shot->red_mask),
                                       channel(pixel, shot->green_mask),
                                       channel(pixel, shot->blue_mask)});
        }
    }
    XDestroyImage(shot);
    return image;
}

bool tap(Session& session, const std::string& key, int32_t hold_ms) {
    if (!xdotool(session, {"keydown", key})) {
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
    return xdotool(session, {"keyup", key});
}

}  // namespace xh
