// Where the 640 x 480 picture goes in a window of any size.
#pragma once

#include <cstdint>

struct PictureRect {
    int32_t x;  // left edge, in output pixels
    int32_t y;  // top edge
    int32_t w;
    int32_t h;
};

// The picture scaled by the largest whole factor that fits the output, or,
// when the output is smaller than the picture, by the largest factor below 1
// that keeps its 4:3 shape; centred, the rest left black. An output with no
// pixels gets an empty rectangle.
PictureRect fit_picture(int32_t out_w, int32_t out_h);

// The framebuffer pixel under output pixel (px, py), brought to the nearest
// edge of the picture when the pointer is over the black around it.
struct FramebufferPoint {
    int32_t x;
    int32_t y;
};
FramebufferPoint picture_point(const PictureRect& picture, int32_t px, int32_t py);
