#include "lint_file.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "data/digit_font.h"
#include "data/level_map.h"
#include "data/number_list.h"
#include "data/sprite_set.h"
#include "display/canvas.h"
#include "game/car.h"

namespace {

constexpr int64_t LEVEL_NUMBERS = int64_t{MAP_W} * MAP_H;
constexpr int64_t GLYPH_CELLS = int64_t{GLYPH_EDGE} * GLYPH_EDGE;
constexpr int64_t FONT_NUMBERS = 10 * GLYPH_CELLS;
constexpr int64_t SPRITE_HEADER_NUMBERS = 3;
constexpr int32_t COLOUR_MAX = static_cast<int32_t>(BLOCK_PATTERN_COUNT) - 1;
constexpr int32_t CAR_FRAMES = 2;

enum Topic : int32_t {
    TOPIC_EMPTY_FIELD,
    TOPIC_TRAILING_COMMA,
    TOPIC_EMPTY_LINE,
    TOPIC_BYTE_ORDER_MARK,
    TOPIC_OVERLONG,
    TOPIC_MALFORMED,
    TOPIC_RANGE,
    TOPIC_COUNT,
    TOPIC_HEADER,
    TOPIC_CAR,
    TOPIC_PROJECTILE,
    TOPIC_INVISIBLE_WALL,
    TOPIC_COLOUR,
    TOPIC_START,
    TOPIC_TOTAL,
};

// How the closing line of a long run names the findings it leaves out.
constexpr std::array<const char*, TOPIC_TOTAL> TOPIC_PLURAL{
    "empty fields",
    "lines that end with a comma",
    "empty lines",
    "byte-order marks",
    "numbers longer than 67 characters",
    "numbers that are not well formed",
    "numbers beyond the 32-bit range",
    "count findings",
    "header findings",
    "car findings",
    "projectile findings",
    "cells of 0 or less (invisible walls)",
    "colours above 15",
    "start findings",
};

struct Position {
    int32_t line = 1;
    int32_t column = 1;
};

struct Header {
    int32_t frames = 0;  // read_int
    uint32_t width = 0;  // read_uint
    uint32_t height = 0;
};

// What a first pass over the file finds: how many fields hold a number and
// the sprite header that the first three of them would be.
struct Scan {
    int64_t fields = 0;
    int64_t numbers = 0;  // fields up to the last one that holds any text
    std::array<uint32_t, 3> head{};
};

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...) {
    std::array<char, 1024> buffer{};
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer.data(), buffer.size(), pattern, args);
    va_end(args);
    return buffer.data();
}

// "1st", "2nd", "81st", "112th".
std::string ordinal(int64_t n) {
    const int64_t tens = n % 100;
    const int64_t ones = n % 10;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        suffix = ones == 1 ? "st" : ones == 2 ? "nd" : ones == 3 ? "rd" : "th";
    }
    return format("%" PRId64 "%s", n, suffix);
}

// A number's stored text, printable: other bytes as \xNN.
std::string shown_text(const NumberInfo& info) {
    std::string out;
    for (int32_t k = 0; k < info.length; ++k) {
        const auto byte = static_cast<unsigned char>(info.text[k]);
        if (byte >= 32 && byte < 127 && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            out += format("\\x%02X", byte);
        }
    }
    if (info.overlong) {
        out += "...";
    }
    return out;
}

bool is_empty(const NumberInfo& info) {
    return info.length == 0;
}

bool ends_with_comma(const NumberInfo& info) {
    return info.ended_by == NUMBER_END_COMMA ||
           (info.ended_by == NUMBER_END_BLANK && info.separator == NUMBER_END_COMMA);
}

bool ends_line(const NumberInfo& info) {
    return info.ended_by == NUMBER_END_LINE_BREAK ||
           (info.ended_by == NUMBER_END_BLANK && info.separator == NUMBER_END_LINE_BREAK);
}

Header header_of(const Scan& scan) {
    return Header{static_cast<int32_t>(scan.head[0]), scan.head[1], scan.head[2]};
}

bool header_in_record(const Header& h) {
    constexpr auto MAX_EDGE = static_cast<uint32_t>(SPRITE_MAX_EDGE);
    return h.frames >= 1 && h.frames <= SPRITE_MAX_FRAMES && h.width >= 1 && h.width <= MAX_EDGE &&
           h.height >= 1 && h.height <= MAX_EDGE;
}

int64_t sprite_numbers(const Header& h) {
    return SPRITE_HEADER_NUMBERS + int64_t{h.frames} * h.width * h.height;
}

bool scan_file(const char* path, Scan& scan) {
    NumberListReader reader;
    if (!reader.open(path)) {
        return false;
    }
    while (reader.has_more()) {
        const uint32_t bits = reader.read_uint();
        if (scan.fields < SPRITE_HEADER_NUMBERS) {
            scan.head[static_cast<size_t>(scan.fields)] = bits;
        }
        ++scan.fields;
        // Empty fields after the last number change nothing: reads past the
        // end give 0 too, and numbers past the loader's count are never read.
        if (!is_empty(reader.last)) {
            scan.numbers = scan.fields;
        }
    }
    reader.close();
    return true;
}

// What a colour above 15 shows as: the canvas keeps its low 8 bits.
std::string high_colour_effect(int32_t value, bool level) {
    const uint32_t shown = static_cast<uint32_t>(value) & 0xFFU;
    if (shown == 0) {
        return level ? "it shows black, like an invisible wall" : "it is transparent, like 0";
    }
    if (shown == 1 && level) {
        return "it shows as floor, yet the car cannot drive over it";
    }
    if (shown <= static_cast<uint32_t>(COLOUR_MAX)) {
        return format("it shows as colour %" PRIu32, shown);
    }
    return format("it shows as colour %" PRIu32 " of the wider VGA palette, not one of the 16",
                  shown);
}

struct Linter {
    LintKind kind;
    LintRole role;
    Scan scan;
    LintResult result;
    std::array<int32_t, TOPIC_TOTAL> seen{};
    std::array<Position, TOPIC_TOTAL> first_unlisted{};
    std::array<LintSeverity, TOPIC_TOTAL> severity_of{};

    const char* later() const { return kind == LINT_LEVEL ? "cell" : "number"; }

    void add(Topic topic, LintSeverity severity, Position at, std::string message) {
        const auto t = static_cast<size_t>(topic);
        (severity == LINT_ERROR ? result.errors : result.warnings) += 1;
        seen[t] += 1;
        severity_of[t] = severity;
        if (seen[t] <= LINT_LISTED_PER_KIND) {
            result.findings.push_back(
                LintFinding{at.line, at.column, severity, std::move(message)});
        } else if (seen[t] == LINT_LISTED_PER_KIND + 1) {
            first_unlisted[t] = at;
        }
    }

    // Empty fields, byte-order marks and texts the format does not know. True
    // when the field reads as something other than what it says.
    bool check_text(int64_t index, const NumberInfo& info, const NumberInfo* previous,
                    int64_t on_line, bool as_unsigned) {
        const Position at{info.line, info.column};
        if (is_empty(info)) {
            check_empty(info, previous, on_line);
            return true;
        }
        std::array<unsigned char, 3> bytes{};
        for (size_t k = 0; k < bytes.size() && k < static_cast<size_t>(info.length); ++k) {
            bytes[k] = static_cast<unsigned char>(info.text[k]);
        }
        if (index == 0 && info.length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
            bytes[2] == 0xBF) {
            add(TOPIC_BYTE_ORDER_MARK, LINT_ERROR, at,
                format("the file starts with a byte-order mark, which the game reads as part "
                       "of the first number (so it gives %s); save the file without it, as "
                       "plain ASCII or UTF-8 without BOM",
                       value_text(info.value.bits, as_unsigned).c_str()));
            return true;
        }
        if (index == 0 && info.length >= 2 &&
            ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
            add(TOPIC_BYTE_ORDER_MARK, LINT_ERROR, at,
                "the file starts with a UTF-16 byte-order mark: the game reads its bytes as "
                "text and gets nothing it means; save the file as plain ASCII text");
            return true;
        }
        const std::string value = value_text(info.value.bits, as_unsigned);
        if (info.overlong) {
            add(TOPIC_OVERLONG, LINT_ERROR, at,
                format("this number's text runs past %d characters: the game reads only the "
                       "first %d of it, which give %s; write it shorter",
                       NUMBER_MAX_CHARS, NUMBER_MAX_CHARS, value.c_str()));
            return true;
        }
        const std::string text = shown_text(info);
        if (!info.value.well_formed) {
            if (info.value.kind == NUMBER_PREFIXED && info.value.used == 0) {
                add(TOPIC_MALFORMED, LINT_ERROR, at,
                    format("'%s' has no digits after its prefix: the game reads it as 0; "
                           "write the digits, as in &H1F, &O17 or &B101",
                           text.c_str()));
            } else {
                add(TOPIC_MALFORMED, LINT_ERROR, at,
                    format("'%s' is not a well-formed number: the game reads it as %s; write "
                           "a whole number such as 12 or -3 (or &H1F in hexadecimal)",
                           text.c_str(), value.c_str()));
            }
            return true;
        }
        if (info.value.saturated) {
            if (info.value.kind == NUMBER_PREFIXED) {
                add(TOPIC_RANGE, LINT_ERROR, at,
                    format("'%s' has more than 32 bits of digits: the game keeps only the low "
                           "32 bits, which give %s; write at most 32 bits",
                           text.c_str(), value.c_str()));
            } else {
                add(TOPIC_RANGE, LINT_ERROR, at,
                    format("'%s' lies beyond the 32-bit range (-2147483648 to 2147483647): the "
                           "game reads it as %s; write a value inside the range",
                           text.c_str(), value.c_str()));
            }
            return true;
        }
        return false;
    }

    void check_empty(const NumberInfo& info, const NumberInfo* previous, int64_t on_line) {
        const bool after_comma = previous != nullptr && ends_with_comma(*previous);
        const bool line_start = previous == nullptr || ends_line(*previous);
        const bool line_end =
            info.ended_by == NUMBER_END_LINE_BREAK || info.ended_by == NUMBER_END_FILE;
        const char* noun = later();
        if (info.quoted) {
            add(TOPIC_EMPTY_FIELD, LINT_ERROR, Position{info.line, info.column},
                format("empty quotes read as a 0 and shift every later %s by one; write a "
                       "number between them or delete them",
                       noun));
        } else if (line_end && after_comma) {
            // The comma is the last byte the field before it took.
            const int64_t back = previous->end - 1 - previous->start;
            const Position comma{previous->line, static_cast<int32_t>(std::min<int64_t>(
                                                     int64_t{previous->column} + back, INT32_MAX))};
            add(TOPIC_TRAILING_COMMA, LINT_ERROR, comma,
                format("line %d ends with a comma: the %s number of this line, a 0, shifts "
                       "every later %s by one; delete the comma",
                       previous->line, ordinal(on_line).c_str(), noun));
        } else if (line_end && line_start) {
            add(TOPIC_EMPTY_LINE, LINT_ERROR, Position{info.line, 1},
                format("line %d %s: it reads as a 0 and shifts every later %s by one; delete "
                       "the line",
                       info.line, info.column == 1 ? "is empty" : "holds only blanks", noun));
        } else if (line_start) {
            add(TOPIC_EMPTY_FIELD, LINT_ERROR, Position{info.line, info.column},
                format("line %d starts with a comma: it adds a 0 and shifts every later %s by "
                       "one; delete the comma",
                       info.line, noun));
        } else {
            add(TOPIC_EMPTY_FIELD, LINT_ERROR, Position{info.line, info.column},
                format("two commas with no number between them: the empty field reads as a 0 "
                       "and shifts every later %s by one; delete one comma or write the number",
                       noun));
        }
    }

    static std::string value_text(uint32_t bits, bool as_unsigned) {
        return as_unsigned ? format("%" PRIu32, bits)
                           : format("%" PRId32, static_cast<int32_t>(bits));
    }

    // Values that read as written but will not show as meant.
    void check_value(int64_t index, int32_t value, Position at, bool& start_reported) {
        if (kind == LINT_LEVEL) {
            const auto x = static_cast<int32_t>(index % MAP_W);
            const auto y = static_cast<int32_t>(index / MAP_W);
            if (value <= 0) {
                add(TOPIC_INVISIBLE_WALL, LINT_WARNING, at,
                    format("cell (%d, %d) holds %d: a wall that is not drawn and shows black; "
                           "write 2 to 15 for a wall you can see, or 1 for floor",
                           x, y, value));
            } else if (value > COLOUR_MAX) {
                add(TOPIC_COLOUR, LINT_WARNING, at,
                    format("cell (%d, %d) holds %d, a colour above 15: %s; write 2 to 15 for a "
                           "wall, or 1 for floor",
                           x, y, value, high_colour_effect(value, true).c_str()));
            }
            const bool under_car = x >= CAR_START.x && x < CAR_START.x + CAR_SIZE &&
                                   y >= CAR_START.y && y < CAR_START.y + CAR_SIZE;
            if (under_car && value != CELL_FLOOR && !start_reported) {
                start_reported = true;
                add(TOPIC_START, LINT_WARNING, at,
                    format("the car starts on the cells (%d, %d) to (%d, %d), and cell (%d, %d) "
                           "holds %d, not floor: the car starts inside a wall; make those cells 1",
                           CAR_START.x, CAR_START.y, CAR_START.x + CAR_SIZE - 1,
                           CAR_START.y + CAR_SIZE - 1, x, y, value));
            }
        } else if (kind == LINT_FONT) {
            if (value > COLOUR_MAX) {
                const int64_t cell = index % GLYPH_CELLS;
                add(TOPIC_COLOUR, LINT_WARNING, at,
                    format("digit %" PRId64 ", row %" PRId64 ", column %" PRId64
                           " holds %d, a colour above 15: %s; write 1 to 15, or 0 for "
                           "transparent",
                           index / GLYPH_CELLS, cell / GLYPH_EDGE, cell % GLYPH_EDGE, value,
                           high_colour_effect(value, false).c_str()));
            }
        } else if (index >= SPRITE_HEADER_NUMBERS && value > COLOUR_MAX) {
            const Header h = header_of(scan);
            const int64_t frame_cells = int64_t{h.width} * h.height;
            const int64_t cell = index - SPRITE_HEADER_NUMBERS;
            add(TOPIC_COLOUR, LINT_WARNING, at,
                format("frame %" PRId64 ", line %" PRId64 ", number %" PRId64
                       " of the picture holds %d, a colour above 15: %s; write 1 to 15, or 0 "
                       "for transparent",
                       cell / frame_cells + 1, cell % frame_cells / h.width + 1,
                       cell % frame_cells % h.width + 1, value,
                       high_colour_effect(value, false).c_str()));
        }
    }

    // The expected count of numbers, or -1 when a sprite header outside the
    // record leaves it open.
    int64_t expected_numbers() const {
        switch (kind) {
            case LINT_LEVEL:
                return LEVEL_NUMBERS;
            case LINT_FONT:
                return FONT_NUMBERS;
            case LINT_SPRITE:
                break;
        }
        const Header h = header_of(scan);
        return header_in_record(h) ? sprite_numbers(h) : -1;
    }

    void check_count(int64_t expected, Position last, Position surplus) {
        const int64_t n = scan.numbers;
        if (expected < 0 || n == expected) {
            return;
        }
        if (n > expected) {
            const int64_t more = n - expected - 1;
            std::string what = kind == LINT_LEVEL  ? "a level holds"
                               : kind == LINT_FONT ? "a font holds"
                                                   : "this sprite's header asks for";
            add(TOPIC_COUNT, LINT_ERROR, surplus,
                format("number %" PRId64 ": %s %" PRId64 " numbers, so %s never read; delete "
                       "%s, or look for a line above with more numbers than it should have",
                       expected + 1, what.c_str(), expected,
                       more == 0
                           ? "this one is"
                           : format("this one and the %" PRId64 " after it are", more).c_str(),
                       more == 0 ? "it" : "them"));
            return;
        }
        const std::string held =
            n == 0 ? std::string("the file holds no numbers")
                   : format("the file ends after %" PRId64 " number%s", n, n == 1 ? "" : "s");
        const int64_t missing = expected - n;
        std::string message;
        if (kind == LINT_LEVEL) {
            message = format("%s, but a level holds %" PRId64 ": the last %" PRId64
                             " cells read as 0 and show black as invisible walls; add the "
                             "missing numbers",
                             held.c_str(), expected, missing);
        } else if (kind == LINT_FONT) {
            message = format("%s, but a font holds %" PRId64
                             " (ten digits of 5 x 5): the "
                             "last %" PRId64
                             " cells read as 0 and are transparent; add the missing numbers",
                             held.c_str(), expected, missing);
        } else {
            const Header h = header_of(scan);
            message = format("%s, but this sprite's header asks for %" PRId64
                             " (3 header numbers and %d frame%s of %" PRIu32 " x %" PRIu32
                             "): the last %" PRId64
                             " cells read as 0 and are transparent; add the missing numbers",
                             held.c_str(), expected, h.frames, h.frames == 1 ? "" : "s", h.width,
                             h.height, missing);
        }
        add(TOPIC_COUNT, LINT_ERROR, last, std::move(message));
    }

    void check_header(const std::array<Position, 3>& at, Position last) {
        if (scan.numbers < SPRITE_HEADER_NUMBERS) {
            add(TOPIC_COUNT, LINT_ERROR, scan.numbers == 0 ? Position{} : last,
                "the file ends before a sprite's header of three numbers (frames, width, "
                "height): the sprite draws nothing; write the header and the frames");
            return;
        }
        const Header h = header_of(scan);
        const auto frames = h.frames;
        const auto width = static_cast<int32_t>(h.width);
        const auto height = static_cast<int32_t>(h.height);
        if (role == LINT_CAR) {
            if (frames == CAR_FRAMES && width == CAR_SIZE && height == CAR_SIZE) {
                return;
            }
            const char* effect = frames <= 0 || width <= 0 || height <= 0 ? "the car is invisible"
                                 : frames == 1
                                     ? "the car vanishes on every other frame in which it moves"
                                 : width != CAR_SIZE || height != CAR_SIZE
                                     ? "the picture does not cover the car's 5 x 5 cells"
                                     : "the game keeps only the first two frames";
            add(TOPIC_CAR, LINT_ERROR, at[0],
                format("a car file starts with the header 2,5,5, two frames of 5 x 5 cells; "
                       "this one gives %d,%d,%d, so %s; write 2,5,5 and two frames of five "
                       "lines of five numbers",
                       frames, width, height, effect));
            return;
        }
        if (role == LINT_PROJECTILE && (frames < 1 || width <= 0 || height <= 0)) {
            add(TOPIC_PROJECTILE, LINT_ERROR, at[0],
                format("a projectile file needs at least one frame; this one gives the header "
                       "%d,%d,%d, so the shot is invisible; write a header such as 1,1,1 and "
                       "the frame's numbers",
                       frames, width, height));
            return;
        }
        if (frames < 1 || frames > SPRITE_MAX_FRAMES) {
            add(TOPIC_HEADER, LINT_ERROR, at[0],
                format("the header gives %d frames, but a sprite has 1 or 2: %s; write 1 or 2",
                       frames,
                       frames < 1 ? "this one draws nothing"
                                  : "the game keeps the first two and never reads the rest"));
        }
        const std::array<int32_t, 2> edges{width, height};
        const std::array<const char*, 2> names{"width", "height"};
        const std::array<const char*, 2> parts{"columns of each line", "lines of each frame"};
        for (size_t k = 0; k < edges.size(); ++k) {
            if (edges[k] < 1 || edges[k] > SPRITE_MAX_EDGE) {
                add(TOPIC_HEADER, LINT_ERROR, at[k + 1],
                    format("the header gives a %s of %d cells, but a sprite is 1 to 11 cells "
                           "across: %s; write 1 to 11",
                           names[k], edges[k],
                           edges[k] < 1
                               ? "this one draws nothing"
                               : format("the game keeps only the first 11 %s", parts[k]).c_str()));
            }
        }
    }

    void finish() {
        for (size_t t = 0; t < TOPIC_TOTAL; ++t) {
            if (seen[t] > LINT_LISTED_PER_KIND) {
                const Position at = first_unlisted[t];
                result.findings.push_back(
                    LintFinding{at.line, at.column, severity_of[t],
                                format("%d more %s from here on, not listed one by one",
                                       seen[t] - LINT_LISTED_PER_KIND, TOPIC_PLURAL[t])});
            }
        }
        std::stable_sort(result.findings.begin(), result.findings.end(),
                         [](const LintFinding& a, const LintFinding& b) {
                             return a.line != b.line ? a.line < b.line : a.column < b.column;
                         });
    }
};

}  // namespace

bool guess_lint_kind(const char* path, LintKind& kind) {
    Scan scan;
    if (!scan_file(path, scan)) {
        return false;
    }
    const int64_t n = scan.numbers;
    const auto distance = [n](int64_t expected) {
        return n > expected ? n - expected : expected - n;
    };
    kind = distance(LEVEL_NUMBERS) <= distance(FONT_NUMBERS) ? LINT_LEVEL : LINT_FONT;
    const int64_t best = std::min(distance(LEVEL_NUMBERS), distance(FONT_NUMBERS));
    const Header h = header_of(scan);
    if (header_in_record(h) && distance(sprite_numbers(h)) <= best) {
        kind = LINT_SPRITE;
    }
    return true;
}

LintResult lint_file(const char* path, LintKind kind, LintRole role) {
    Linter linter{kind, role, Scan{}, LintResult{}, {}, {}, {}};
    NumberListReader reader;
    if (!scan_file(path, linter.scan) || !reader.open(path)) {
        return linter.result;
    }
    linter.result.readable = true;

    const int64_t expected = linter.expected_numbers();
    const Header header = header_of(linter.scan);
    std::array<Position, 3> header_at{};
    Position last{};
    Position surplus{};
    NumberInfo previous{};
    int32_t line = 0;
    int64_t on_line = 0;
    bool start_reported = false;
    for (int64_t index = 0; index < linter.scan.numbers && reader.has_more(); ++index) {
        const uint32_t bits = reader.read_uint();
        const NumberInfo& info = reader.last;
        if (info.line != line) {
            line = info.line;
            on_line = 0;
        }
        ++on_line;
        const Position at{info.line, info.column};
        if (!is_empty(info)) {
            last = at;
        }
        if (kind == LINT_SPRITE && index < SPRITE_HEADER_NUMBERS) {
            header_at[static_cast<size_t>(index)] = at;
        }
        if (expected >= 0 && index >= expected) {
            // Never read by the game: only the count speaks of these.
            if (index == expected) {
                surplus = at;
            }
        } else {
            // The header's width and height are read unsigned.
            const bool as_unsigned = kind == LINT_SPRITE && (index == 1 || index == 2);
            const bool misread = linter.check_text(index, info, index == 0 ? nullptr : &previous,
                                                   on_line, as_unsigned);
            if (!misread && (kind != LINT_SPRITE || header_in_record(header))) {
                linter.check_value(index, static_cast<int32_t>(bits), at, start_reported);
            }
        }
        previous = info;
    }
    reader.close();

    if (kind == LINT_SPRITE) {
        for (size_t k = static_cast<size_t>(std::min<int64_t>(linter.scan.numbers, 3)); k < 3;
             ++k) {
            header_at[k] = last;
        }
        linter.check_header(header_at, last);
    }
    if (kind != LINT_SPRITE || linter.scan.numbers >= SPRITE_HEADER_NUMBERS) {
        linter.check_count(expected, last, surplus);
    }
    linter.finish();
    return linter.result;
}
