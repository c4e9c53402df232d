// The rows of the framebuffer that screen_unlock marks changed, shared by
// every backend so that they all read its arguments alike.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/display.h"

// Adds rows first_row..last_row to the changed span dirty_first..dirty_last
// (-1, -1 when nothing is marked). A first row of -1 means row 0, a last row
// of -1 means row 479; rows beyond the screen are brought to its edge.
inline void mark_changed_rows(int32_t& dirty_first, int32_t& dirty_last, int32_t first_row,
                              int32_t last_row) {
    const int32_t first = first_row < 0 ? 0 : std::min(first_row, SCREEN_H - 1);
    const int32_t last = last_row < 0 ? SCREEN_H - 1 : std::min(last_row, SCREEN_H - 1);
    if (first > last) {
        return;
    }
    dirty_first = dirty_first < 0 ? first : std::min(first, dirty_first);
    dirty_last = std::max(last, dirty_last);
}
