#include "platform/sdl/picture_fit.h"

#include <algorithm>

#include "platform/display.h"

PictureRect fit_picture(int32_t out_w, int32_t out_h) {
    if (out_w <= 0 || out_h <= 0) {
        return PictureRect{0, 0, 0, 0};
    }
    const int32_t factor = std::min(out_w / SCREEN_W, out_h / SCREEN_H);
    int64_t w = 0;
    int64_t h = 0;
    if (factor >= 1) {
        w = int64_t{SCREEN_W} * factor;
        h = int64_t{SCREEN_H} * factor;
    } else if (int64_t{out_w} * SCREEN_H <= int64_t{out_h} * SCREEN_W) {
        // Narrower than 4:3: the width decides.
        w = out_w;
        h = int64_t{out_w} * SCREEN_H / SCREEN_W;
    } else {
        h = out_h;
        w = int64_t{out_h} * SCREEN_W / SCREEN_H;
    }
    const auto width = static_cast<int32_t>(w);
    const auto height = static_cast<int32_t>(h);
    return PictureRect{(out_w - width) / 2, (out_h - height) / 2, width, height};
}

FramebufferPoint picture_point(const PictureRect& picture, int32_t px, int32_t py) {
    if (picture.w <= 0 || picture.h <= 0) {
        return FramebufferPoint{0, 0};
    }
    const int64_t x = (int64_t{px} - picture.x) * SCREEN_W / picture.w;
    const int64_t y = (int64_t{py} - picture.y) * SCREEN_H / picture.h;
    return FramebufferPoint{static_cast<int32_t>(std::clamp<int64_t>(x, 0, SCREEN_W - 1)),
                            static_cast<int32_t>(std::clamp<int64_t>(y, 0, SCREEN_H - 1))};
}
