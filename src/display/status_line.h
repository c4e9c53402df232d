// The line of text at the top left of the screen: the car's column, row and
// direction.
#pragma once

#include <cstdint>

// Prints " x", " y", "direc : " and " direction" on text row 1 in the zones
// at columns 1, 15, 29 and 37, then a line break. Called with the screen
// locked, after present_canvas.
void print_status_line(int32_t x, int32_t y, int32_t direction);
