// Text output on the 80 x 60 grid of 8 x 8 cells, shared by every backend: it
// paints straight into the framebuffer under a nested screen lock.
#include <array>
#include <charconv>
#include <cstring>

#include "platform/display.h"
#include "platform/text_font.h"
#include "platform/text_output.h"

namespace {

// Where the next character goes. column is TEXT_COLUMNS + 1 once a character
// has filled the last column: the row is full, and only a further character
// moves on to the next row, so that a line break right after a full row does
// not leave an empty row behind.
struct TextCursor {
    int32_t row = 1;
    int32_t column = 1;
};

TextCursor cursor;

// One print call's dealings with the framebuffer: the lock is taken at the
// first pixel written, and the unlock marks only the pixel rows that changed.
struct Paint {
    bool locked = false;
    int32_t first_row = 0;
    int32_t last_row = 0;
};

uint8_t* begin_paint(Paint& paint, int32_t first_row, int32_t last_row) {
    if (!paint.locked) {
        screen_lock();
        paint.locked = true;
        paint.first_row = first_row;
        paint.last_row = last_row;
    } else {
        paint.first_row = first_row < paint.first_row ? first_row : paint.first_row;
        paint.last_row = last_row > paint.last_row ? last_row : paint.last_row;
    }
    return screen_framebuffer();
}

void end_paint(const Paint& paint) {
    if (paint.locked) {
        screen_unlock(paint.first_row, paint.last_row);
    }
}

// Moves the whole screen up by one text row and clears the new bottom row.
void scroll_up(Paint& paint) {
    uint8_t* pixels = begin_paint(paint, 0, SCREEN_H - 1);
    if (pixels == nullptr) {
        return;
    }
    constexpr size_t row_bytes = static_cast<size_t>(TEXT_CELL_PIXELS) * SCREEN_W;
    std::memmove(pixels, pixels + row_bytes, static_cast<size_t>(SCREEN_BYTES) - row_bytes);
    std::memset(pixels + static_cast<size_t>(SCREEN_BYTES) - row_bytes, TEXT_PAPER, row_bytes);
}

void line_break(Paint& paint) {
    cursor.column = 1;
    if (cursor.row < TEXT_ROWS) {
        ++cursor.row;
    } else {
        scroll_up(paint);
    }
}

// Paints the cell at the cursor whole, ink on paper, and steps past it.
void put_char(Paint& paint, uint8_t code) {
    if (cursor.column > TEXT_COLUMNS) {
        line_break(paint);  // the row is full; on row 60 this scrolls first
    }
    const int32_t top = (cursor.row - 1) * TEXT_CELL_PIXELS;
    uint8_t* pixels = begin_paint(paint, top, top + TEXT_CELL_PIXELS - 1);
    if (pixels != nullptr) {
        const Glyph& glyph = font_glyph(code);
        uint8_t* cell = pixels + static_cast<size_t>(top) * SCREEN_W +
                        static_cast<size_t>((cursor.column - 1) * TEXT_CELL_PIXELS);
        for (size_t r = 0; r < glyph.size(); ++r) {
            std::array<uint8_t, TEXT_CELL_PIXELS> row{};
            for (size_t b = 0; b < row.size(); ++b) {
                const bool ink = ((static_cast<uint32_t>(glyph[r]) >> (7U - b)) & 1U) != 0;
                row[b] = ink ? TEXT_INK : TEXT_PAPER;
            }
            std::memcpy(cell + r * static_cast<size_t>(SCREEN_W), row.data(), row.size());
        }
    }
    ++cursor.column;
}

void put_text(Paint& paint, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        put_char(paint, static_cast<uint8_t>(text[i]));
    }
}

void separator(Paint& paint, int32_t kind) {
    if (kind == TEXT_SEP_NEXT_ZONE) {
        // The zones start at columns 1, 15, 29, ...; the next one strictly
        // after the cursor, unless it lies past 66, where a zone would have
        // fewer than 14 columns left in the row.
        const int32_t zone = ((cursor.column - 1) / TEXT_ZONE_WIDTH + 1) * TEXT_ZONE_WIDTH + 1;
        if (zone > TEXT_COLUMNS - TEXT_ZONE_WIDTH) {
            line_break(paint);
        } else {
            while (cursor.column < zone) {
                put_char(paint, ' ');
            }
        }
    } else if (kind == TEXT_SEP_LINE_BREAK) {
        line_break(paint);
    }
    // TEXT_SEP_NONE, and any other value, leaves the cursor after the text.
}

int32_t clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

void text_output_reset() {
    cursor = TextCursor{};
}

void text_locate(int32_t row, int32_t column, int32_t /*cursor_visibility*/) {
    // Outside the grid means its nearest edge; no backend shows a cursor.
    cursor.row = clamp(row, 1, TEXT_ROWS);
    cursor.column = clamp(column, 1, TEXT_COLUMNS);
}

void text_print_number(int32_t value, int32_t separator_kind) {
    // A blank stands where a minus sign would; to_chars writes the minus sign
    // itself, and copes with the most negative value.
    std::array<char, 12> text{};
    char* start = text.data();
    if (value >= 0) {
        *start++ = ' ';
    }
    const std::to_chars_result result = std::to_chars(start, text.data() + text.size(), value);
    Paint paint;
    put_text(paint, text.data(), static_cast<size_t>(result.ptr - text.data()));
    separator(paint, separator_kind);
    end_paint(paint);
}

void text_print_string(const char* text, int32_t separator_kind) {
    Paint paint;
    if (text != nullptr) {
        put_text(paint, text, std::strlen(text));
    }
    separator(paint, separator_kind);
    end_paint(paint);
}
