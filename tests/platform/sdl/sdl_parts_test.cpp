// The window backend's pure parts: where the picture goes in a window of any
// size, and the characters that keys type.
#include <gtest/gtest.h>

#include "platform/sdl/keymap.h"
#include "platform/sdl/picture_fit.h"

namespace {

TEST(FitPicture, WholeFactorsCentredOrTheShapeKeptWhenSmaller) {
    struct Case {
        int32_t out_w, out_h;
        PictureRect want;
    };
    const Case cases[] = {
        {640, 480, {0, 0, 640, 480}},
        {1279, 959, {319, 239, 640, 480}},  // just short of factor 2 both ways
        {1280, 960, {0, 0, 1280, 960}},
        {1920, 1080, {320, 60, 1280, 960}},    // the height decides: factor 2
        {2560, 1600, {320, 80, 1920, 1440}},   // a HiDPI output: factor 3
        {3840, 2160, {640, 120, 2560, 1920}},  // factor 4
        {639, 480, {0, 0, 639, 479}},          // smaller: 4:3 kept, rounded down
        {320, 480, {0, 120, 320, 240}},        // narrow: the width decides
        {1000, 240, {340, 0, 320, 240}},       // low: the height decides
        {1, 1, {0, 0, 1, 0}},
        {0, 480, {0, 0, 0, 0}},  // minimised: nothing to draw
        {640, -1, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const PictureRect got = fit_picture(c.out_w, c.out_h);
        EXPECT_EQ(got.x, c.want.x) << c.out_w << "x" << c.out_h;
        EXPECT_EQ(got.y, c.want.y) << c.out_w << "x" << c.out_h;
        EXPECT_EQ(got.w, c.want.w) << c.out_w << "x" << c.out_h;
        EXPECT_EQ(got.h, c.want.h) << c.out_w << "x" << c.out_h;
    }
}

TEST(FitPicture, PointerPositionsBecomeFramebufferPixelsClampedToThePicture) {
    const PictureRect doubled{60, 20, 1280, 960};
    struct Case {
        int32_t px, py, x, y;
    };
    const Case cases[] = {
        {60, 20, 0, 0}, {61, 21, 0, 0},        {62, 22, 1, 1},       {1339, 979, 639, 479},
        {0, 0, 0, 0},   {1399, 999, 639, 479}, {-5000, 500, 0, 240}, {2000000000, 20, 639, 0},
    };
    for (const Case& c : cases) {
        const FramebufferPoint p = picture_point(doubled, c.px, c.py);
        EXPECT_EQ(p.x, c.x) << c.px << "," << c.py;
        EXPECT_EQ(p.y, c.y) << c.px << "," << c.py;
    }
    const FramebufferPoint none = picture_point(PictureRect{0, 0, 0, 0}, 10, 10);
    EXPECT_EQ(none.x, 0);
    EXPECT_EQ(none.y, 0);
}

TEST(Keymap, CharactersFollowShiftCapsLockAndNumLock) {
    struct Case {
        SDL_Keycode key;
        uint16_t modifiers;
        int32_t want;
    };
    const Case cases[] = {
        {SDLK_a, KMOD_NONE, 'a'},       {SDLK_a, KMOD_LSHIFT, 'A'},
        {SDLK_a, KMOD_CAPS, 'A'},       {SDLK_a, KMOD_CAPS | KMOD_RSHIFT, 'a'},
        {SDLK_1, KMOD_NONE, '1'},       {SDLK_1, KMOD_LSHIFT, '!'},
        {SDLK_1, KMOD_CAPS, '1'},       {SDLK_SLASH, KMOD_RSHIFT, '?'},
        {SDLK_QUOTE, KMOD_LSHIFT, '"'}, {SDLK_SPACE, KMOD_LSHIFT, ' '},
        {SDLK_ESCAPE, KMOD_NONE, 27},   {SDLK_RETURN, KMOD_LALT, 13},
        {SDLK_KP_ENTER, KMOD_NONE, 13}, {SDLK_BACKSPACE, KMOD_NONE, 8},
        {SDLK_TAB, KMOD_NONE, 9},       {SDLK_KP_8, KMOD_NUM, '8'},
        {SDLK_KP_8, KMOD_NONE, 0},      {SDLK_KP_0, KMOD_NUM, '0'},
        {SDLK_KP_PERIOD, KMOD_NONE, 0}, {SDLK_KP_PLUS, KMOD_NONE, '+'},
        {SDLK_UP, KMOD_NONE, 0},        {SDLK_F11, KMOD_NONE, 0},
        {SDLK_LCTRL, KMOD_LCTRL, 0},    {SDLK_DELETE, KMOD_NONE, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(typed_char(c.key, c.modifiers), c.want)
            << SDL_GetKeyName(c.key) << " with modifiers " << c.modifiers;
    }
}

TEST(Keymap, EveryCodeIsASetOneCodeAndUnknownKeysHaveNone) {
    for (int32_t i = 0; i < SDL_NUM_SCANCODES; ++i) {
        const int32_t code = pc_scan_code(static_cast<SDL_Scancode>(i));
        EXPECT_GE(code, 0);
        EXPECT_LT(code, 128);
    }
    EXPECT_EQ(pc_scan_code(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(pc_scan_code(SDL_SCANCODE_MUTE), 0);
    EXPECT_EQ(pc_scan_code(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), 0);
}

}  // namespace
