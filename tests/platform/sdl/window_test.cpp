// The window backend in a real X server, through a stand-in game that shows
// a known picture and reports what it is told (probe_main.cpp).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "platform/vga_palette.h"
#include "x_harness.h"

namespace {

class ProbeWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(xh::start_xvfb(session, 1600, 1200, error)) << error;
    }

    void TearDown() override { xh::end_session(session); }

    // Starts the probe and waits until its window is shown and focused.
    void start_probe() {
        const std::string dir = xh::make_temp_dir(session, "probe");
        ASSERT_FALSE(dir.empty());
        ASSERT_TRUE(xh::spawn(session, probe, {CARBLAST_PROBE}, dir));
        ASSERT_TRUE(xh::wait_line(probe, "ready", xh::START_TIMEOUT_MS)) << xh::output_of(probe);
        window = xh::find_window(session, "carblast", xh::START_TIMEOUT_MS);
        ASSERT_NE(window, 0U);
        ASSERT_TRUE(xh::focus(session, window));
    }

    // Waits for a line the probe prints after this call's `mark`.
    void expect_line(const std::string& text, size_t mark) {
        EXPECT_TRUE(xh::wait_line(probe, text, xh::STEP_TIMEOUT_MS, mark))
            << "no line \"" << text << "\" in:\n"
            << xh::output_of(probe);
    }

    // The picture's frame, found as the white pixels' bounding box.
    struct Box {
        int32_t left, top, right, bottom;
    };
    static Box white_box(const xh::Image& image) {
        Box box{image.width, image.height, -1, -1};
        for (int32_t y = 0; y < image.height; ++y) {
            for (int32_t x = 0; x < image.width; ++x) {
                if (image.at(x, y) == xh::Rgb{255, 255, 255}) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
            }
        }
        return box;
    }

    // Resizes the window and waits until the picture's frame shows where
    // `want` says (within `slack` pixels); the last screenshot.
    xh::Image resize_and_expect(int32_t width, int32_t height, const Box& want, int32_t slack) {
        EXPECT_TRUE(xh::xdotool(session, {"windowsize", std::to_string(window),
                                          std::to_string(width), std::to_string(height)}));
        const auto near = [slack](int32_t a, int32_t b) { return std::abs(a - b) <= slack; };
        xh::Image image;
        Box box{};
        for (int32_t attempt = 0; attempt < 200; ++attempt) {
            image = xh::screenshot(session, window);
            if (image.width == width && image.height == height) {
                box = white_box(image);
                if (near(box.left, want.left) && near(box.top, want.top) &&
                    near(box.right, want.right) && near(box.bottom, want.bottom)) {
                    return image;
                }
            }
            xh::wait_line(probe, "never printed", xh::POLL_MS);
        }
        ADD_FAILURE() << "the frame shows at " << box.left << "," << box.top << " - " << box.right
                      << "," << box.bottom << ", not at " << want.left << "," << want.top << " - "
                      << want.right << "," << want.bottom;
        return image;
    }

    // Holds a key until the probe has seen it down at a sample, then lets go:
    // a press and release between two samples would never be seen.
    void press_until_seen(const std::string& key, int32_t code) {
        const size_t mark = probe.lines.size();
        ASSERT_TRUE(xh::xdotool(session, {"keydown", key}));
        expect_line("down " + std::to_string(code), mark);
        xh::xdotool(session, {"keyup", key});
    }

    void end_with_esc() {
        press_until_seen("Escape", 1);
        ASSERT_TRUE(xh::wait_exit(probe, xh::STEP_TIMEOUT_MS)) << xh::output_of(probe);
        EXPECT_TRUE(WIFEXITED(probe.status) && WEXITSTATUS(probe.status) == 0)
            << "status " << probe.status << "\n"
            << xh::output_of(probe);
    }

    xh::Session session;
    xh::Child probe;
    Window window = 0;
};

TEST_F(ProbeWindow, ShowsEveryPaletteEntryAtItsPlace) {
    start_probe();
    // Block i of the 16 x 16 grid holds colour i; the middle of each block
    // is clear of the white frame. The picture shows at the first refresh
    // after the probe drew it.
    const auto block = [](const xh::Image& image, int32_t index) {
        return image.at((index % 16) * 40 + 20, (index / 16) * 30 + 15);
    };
    const auto want = [](int32_t index) {
        const PaletteColour& c = VGA_PALETTE[static_cast<size_t>(index)];
        return xh::Rgb{c.r, c.g, c.b};
    };
    xh::Image image;
    for (int32_t attempt = 0; attempt < 200; ++attempt) {
        image = xh::screenshot(session, window);
        if (image.width == 640 && block(image, 255 - 8) == want(255 - 8)) {
            break;
        }
        xh::wait_line(probe, "never printed", xh::POLL_MS);
    }
    ASSERT_EQ(image.width, 640);
    ASSERT_EQ(image.height, 480);
    for (int32_t index = 0; index < PALETTE_SIZE; ++index) {
        EXPECT_EQ(block(image, index), want(index)) << "palette index " << index;
    }
    end_with_esc();
}

TEST_F(ProbeWindow, ScalesByWholeFactorsCentredAndKeepsTheShapeWhenSmaller) {
    struct Case {
        int32_t window_w, window_h;
        Box picture;    // left, top, right, bottom of the white frame
        int32_t slack;  // pixels of rounding allowed when scaling down
    };
    const Case cases[] = {
        {1400, 1000, {60, 20, 1339, 979}, 0},   // factor 2, black bands all round
        {700, 1000, {30, 260, 669, 739}, 0},    // factor 1, centred
        {1279, 1000, {319, 260, 958, 739}, 0},  // just short of factor 2
        {320, 300, {0, 30, 319, 269}, 1},       // smaller: 320 x 240, keeping 4:3
        {400, 150, {100, 0, 299, 149}, 1},      // smaller, height decides: 200 x 150
    };
    start_probe();
    // A screenshot needs the whole window on the screen.
    ASSERT_TRUE(xh::xdotool(session, {"windowmove", std::to_string(window), "0", "0"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.window_w) + "x" + std::to_string(c.window_h));
        resize_and_expect(c.window_w, c.window_h, c.picture, c.slack);
    }
    // Nearest neighbour at factor 2: every framebuffer pixel is a sharp
    // 2 x 2 square, so the frame's inner edge is a clean step.
    const xh::Image image = resize_and_expect(1400, 1000, Box{60, 20, 1339, 979}, 0);
    ASSERT_EQ(image.width, 1400);
    EXPECT_EQ(image.at(60 + 15, 500), (xh::Rgb{255, 255, 255}));  // frame pixel 7
    EXPECT_NE(image.at(60 + 16, 500), (xh::Rgb{255, 255, 255}));  // pixel 8, inside
    end_with_esc();
}

TEST_F(ProbeWindow, KeysGiveSetOneCodesAndTheirCharacters) {
    struct Case {
        const char* key;  // X keysym name
        int32_t code;
        int32_t character;
    };
    const Case cases[] = {
        {"Escape", 1, 27},  {"Return", 28, 13}, {"KP_Enter", 28, 13}, {"space", 57, 32},
        {"a", 30, 'a'},     {"1", 2, '1'},      {"BackSpace", 14, 8}, {"Tab", 15, 9},
        {"F1", 59, 0},      {"F12", 88, 0},     {"Up", 72, 0},        {"Down", 80, 0},
        {"Left", 75, 0},    {"Right", 77, 0},   {"Control_L", 29, 0}, {"Control_R", 29, 0},
        {"Shift_L", 42, 0}, {"Shift_R", 54, 0}, {"Alt_L", 56, 0},     {"Alt_R", 56, 0},
        {"KP_Up", 72, 0},   {"KP_Down", 80, 0}, {"KP_Left", 75, 0},   {"KP_Right", 77, 0},
        {"KP_Home", 71, 0}, {"Home", 71, 0},    {"Delete", 83, 0},
    };
    start_probe();
    // A screenshot needs the whole window on the screen.
    ASSERT_TRUE(xh::xdotool(session, {"windowmove", std::to_string(window), "0", "0"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        size_t mark = probe.lines.size();
        ASSERT_TRUE(xh::xdotool(session, {"keydown", c.key}));
        expect_line(
            "event 1 " + std::to_string(c.code) + " " + std::to_string(c.character) + " 0 0", mark);
        expect_line("down " + std::to_string(c.code), mark);
        if (c.code == 1) {
            // Esc would end the probe: stop here, the case is made.
            ASSERT_TRUE(xh::xdotool(session, {"keyup", c.key}));
            ASSERT_TRUE(xh::wait_exit(probe, xh::STEP_TIMEOUT_MS));
            break;
        }
        mark = probe.lines.size();
        ASSERT_TRUE(xh::xdotool(session, {"keyup", c.key}));
        // Releases carry the code; a Ctrl release is what fires in the game.
        expect_line("event 2 " + std::to_string(c.code) + " 0 0 0", mark);
        expect_line("up " + std::to_string(c.code), mark);
    }
}

TEST_F(ProbeWindow, KeypadDigitsDriveWhateverTheNumLock) {
    start_probe();
    // With NumLock on, the keypad's 8 types '8' and still reports the Up code.
    press_until_seen("Num_Lock", 69);
    const std::vector<std::pair<const char*, int32_t>> keys = {
        {"KP_8", 72}, {"KP_4", 75}, {"KP_6", 77}, {"KP_2", 80}};
    for (const auto& [key, code] : keys) {
        SCOPED_TRACE(key);
        const size_t mark = probe.lines.size();
        ASSERT_TRUE(xh::xdotool(session, {"keydown", key}));
        expect_line("down " + std::to_string(code), mark);
        ASSERT_TRUE(xh::xdotool(session, {"keyup", key}));
        expect_line("up " + std::to_string(code), mark);
    }
    end_with_esc();
}

TEST_F(ProbeWindow, HeldKeyRepeatsAndShiftMakesCapitals) {
    start_probe();
    size_t mark = probe.lines.size();
    ASSERT_TRUE(xh::xdotool(session, {"keydown", "shift+a"}));
    expect_line("event 1 30 65 0 0", mark);
    // The server repeats a held key after its delay; each repeat is type 3.
    expect_line("event 3 30 65 0 0", mark);
    ASSERT_TRUE(xh::xdotool(session, {"keyup", "shift+a"}));
    expect_line("up 30", mark);
    end_with_esc();
}

TEST_F(ProbeWindow, LosingTheFocusClearsHeldKeys) {
    start_probe();
    size_t mark = probe.lines.size();
    ASSERT_TRUE(xh::xdotool(session, {"keydown", "Up"}));
    expect_line("down 72", mark);
    mark = probe.lines.size();
    // Focus to the root window: the game's window loses it with Up held.
    XSetInputFocus(session.x, DefaultRootWindow(session.x), RevertToNone, CurrentTime);
    XSync(session.x, False);
    expect_line("event 12 0 0 0 0", mark);
    expect_line("up 72", mark);
    ASSERT_TRUE(xh::xdotool(session, {"keyup", "Up"}));
    mark = probe.lines.size();
    ASSERT_TRUE(xh::focus(session, window));
    expect_line("event 11 0 0 0 0", mark);
    end_with_esc();
}

TEST_F(ProbeWindow, PointerEventsComeInFramebufferPixels) {
    start_probe();
    const std::string id = std::to_string(window);
    struct Step {
        std::vector<std::string> command;
        const char* line;
    };
    // The window is 640 x 480 at first, then 1400 x 1000 with the picture
    // doubled at (60, 20): the same framebuffer pixel either way.
    const Step steps[] = {
        {{"mousemove", "--window", id, "100", "50"}, "event 4 0 0 100 50"},
        {{"click", "1"}, "event 5 1 0 100 50"},
        {{"click", "3"}, "event 6 3 0 100 50"},
        {{"click", "--repeat", "2", "--delay", "60", "1"}, "event 7 1 0 100 50"},
        {{"click", "4"}, "event 8 0 1 100 50"},
        {{"click", "5"}, "event 8 0 -1 100 50"},
        {{"click", "7"}, "event 14 0 1 100 50"},
        {{"mousemove", "0", "0"}, "event 10 0 0 0 0"},
        {{"windowsize", id, "1400", "1000"}, ""},
        {{"mousemove", "--window", id, "260", "120"}, "event 9 0 0 0 0"},
        {{"mousemove", "--window", id, "261", "121"}, "event 4 0 0 100 50"},
        {{"mousemove", "--window", id, "10", "10"}, "event 4 0 0 0 0"},  // over the black
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.line);
        const size_t mark = probe.lines.size();
        ASSERT_TRUE(xh::xdotool(session, step.command));
        if (*step.line != '\0') {
            expect_line(step.line, mark);
        }
    }
    end_with_esc();
}

TEST_F(ProbeWindow, CloseButtonQueuesAnEventAndEndsNothing) {
    start_probe();
    const size_t mark = probe.lines.size();
    xh::request_close(session, window);
    expect_line("event 13 0 0 0 0", mark);
    // Still there: the event is the only effect.
    EXPECT_TRUE(xh::running(probe));
    EXPECT_TRUE(xh::window_exists(session, window));
    end_with_esc();
    EXPECT_TRUE(xh::wait_window_gone(session, window, 1000));
}

TEST_F(ProbeWindow, EndProgramPassesItsCodeAndTakesTheWindowAlong) {
    start_probe();
    press_until_seen("q", 16);
    ASSERT_TRUE(xh::wait_exit(probe, xh::STEP_TIMEOUT_MS)) << xh::output_of(probe);
    EXPECT_TRUE(WIFEXITED(probe.status) && WEXITSTATUS(probe.status) == 7)
        << "status " << probe.status << "\n"
        << xh::output_of(probe);
    EXPECT_TRUE(xh::wait_window_gone(session, window, 1000));
}

TEST_F(ProbeWindow, WithoutAnXServerItSaysSoAndEnds) {
    // A display number that nothing serves: the session's own, plus a
    // thousand.
    const std::string dir = xh::make_temp_dir(session, "probe");
    const std::string nowhere = ":" + std::to_string(std::stoi(session.display.substr(1)) + 1000);
    ASSERT_TRUE(xh::spawn(session, probe, {CARBLAST_PROBE}, dir, {"DISPLAY=" + nowhere}));
    ASSERT_TRUE(xh::wait_exit(probe, xh::START_TIMEOUT_MS));
    EXPECT_TRUE(WIFEXITED(probe.status) && WEXITSTATUS(probe.status) == 1);
    EXPECT_NE(xh::output_of(probe).find("cannot open the window"), std::string::npos)
        << xh::output_of(probe);
}

}  // namespace
