// Display services: one 640 x 480 window of 8-bit palette indices, a nestable
// lock over its framebuffer, and text output on an 80 x 60 grid of 8 x 8 cells.
//
// Every backend (sdl, headless, web) implements the screen operations; the
// text operations are shared by all of them and live in text_output.cpp.
// All of these are called from the game's one thread.
#pragma once

#include <cstdint>

inline constexpr int32_t SCREEN_W = 640;  // framebuffer row length, in bytes
inline constexpr int32_t SCREEN_H = 480;  // framebuffer rows
inline constexpr int32_t SCREEN_BYTES = SCREEN_W * SCREEN_H;

inline constexpr int32_t TEXT_COLUMNS = 80;  // text grid, counted from 1
inline constexpr int32_t TEXT_ROWS = 60;
inline constexpr int32_t TEXT_CELL_PIXELS = 8;
inline constexpr uint8_t TEXT_INK = 15;   // white
inline constexpr uint8_t TEXT_PAPER = 0;  // black

// Separators that may follow printed text.
inline constexpr int32_t TEXT_SEP_NONE = 0;        // cursor stays after the text
inline constexpr int32_t TEXT_SEP_NEXT_ZONE = 1;   // blanks up to column 14k + 1
inline constexpr int32_t TEXT_SEP_LINE_BREAK = 2;  // column 1 of the next row
inline constexpr int32_t TEXT_ZONE_WIDTH = 14;

// Cursor visibility argument of text_locate.
inline constexpr int32_t TEXT_CURSOR_UNCHANGED = -1;

int32_t screen_open(int32_t width, int32_t height, int32_t bits_per_pixel, int32_t pages,
                    int32_t flags, int32_t refresh_rate);
// Called once by start-up before any other screen operation. The game passes
// 640, 480, 8 and zeros for the rest, which ask for one page, a window and
// the default refresh. Clears the framebuffer to 0 and puts the text cursor
// at row 1, column 1. Returns 0 on success, -1 when no window could be made;
// the game ignores the result and the framebuffer exists either way.

uint8_t* screen_framebuffer();
// Start of the framebuffer: SCREEN_H rows of SCREEN_W bytes, row Y at
// SCREEN_W * Y. Owned by the platform, valid until the program ends. Write it
// only between screen_lock and screen_unlock.

void screen_lock();
// Takes the framebuffer from the window's refresh (the first, outermost lock
// blocks until the refresh thread lets go); nested calls only count.

void screen_unlock(int32_t first_row, int32_t last_row);
// Marks rows first_row..last_row as changed (-1 means row 0, or row 479 as
// the last) and drops one lock level. The outermost release hands the
// framebuffer back, and the window shows the changed rows at its next
// refresh, at most 10 ms later.

void text_locate(int32_t row, int32_t column, int32_t cursor_visibility);
// Moves the text cursor to (row, column), counted from 1; values outside the
// grid are brought to its nearest edge. TEXT_CURSOR_UNCHANGED leaves the
// cursor's visibility alone (no backend shows a cursor).

void text_print_number(int32_t value, int32_t separator);
// Prints value in decimal, a blank before a value >= 0 and a minus sign
// before a negative one, then the separator. Takes a nested screen lock.

void text_print_string(const char* text, int32_t separator);
// Prints the bytes of the NUL-terminated text as characters of the PC text
// font, then the separator. Takes a nested screen lock.
