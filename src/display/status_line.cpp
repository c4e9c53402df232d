#include "display/status_line.h"

#include "platform/display.h"

void print_status_line(int32_t x, int32_t y, int32_t direction) {
    text_locate(1, 1, TEXT_CURSOR_UNCHANGED);
    text_print_number(x, TEXT_SEP_NEXT_ZONE);
    text_print_number(y, TEXT_SEP_NEXT_ZONE);
    text_print_string("direc : ", TEXT_SEP_NONE);
    // The line break leaves the cursor on row 2, never on the last row, so
    // the text never scrolls the screen however many frames print it.
    text_print_number(direction, TEXT_SEP_LINE_BREAK);
}
