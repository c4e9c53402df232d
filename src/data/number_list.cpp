#include "data/number_list.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
#else
constexpr char PATH_SEPARATOR = '/';
#endif

// Longest path open accepts; a longer one fails like a missing file.
constexpr size_t PATH_MAX_CHARS = 4096;

constexpr int32_t INT32_LOW = -2147483647 - 1;
constexpr int32_t INT32_HIGH = 2147483647;

uint32_t bits_of(int64_t value) {
    // Values beyond the signed 32-bit range stop at its ends.
    if (value > INT32_HIGH) {
        value = INT32_HIGH;
    } else if (value < INT32_LOW) {
        value = INT32_LOW;
    }
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The digit's value in base 16, or 16 when c is no digit of any base here.
uint32_t digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<uint32_t>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint32_t>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<uint32_t>(c - 'a' + 10);
    }
    return 16;
}

bool is_exponent_letter(char c) {
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Rounds v >= 0 to the nearest integer, a half going to the even neighbour.
// The caller keeps v below 1e11, where floor and the subtraction are exact.
int64_t round_half_even(double v) {
    const double whole = std::floor(v);
    const double rest = v - whole;
    auto n = static_cast<int64_t>(whole);
    if (rest > 0.5 || (rest == 0.5 && n % 2 != 0)) {
        ++n;
    }
    return n;
}

NumberValue convert_fractional(const char* t, int32_t n, int32_t i) {
    NumberValue v{0, NUMBER_FRACTIONAL, 0, false, false};
    bool negative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    // The mantissa goes into a buffer of its own for strtod, which knows no D
    // as an exponent letter and must not see the characters after the form.
    char form[NUMBER_MAX_CHARS + 1];
    int32_t form_len = 0;
    int32_t digits = 0;
    int32_t int_digits = 0;      // digits before the point
    int32_t leading_zeros = -1;  // zeros before the first non-zero digit; -1 while counting
    int32_t zeros_seen = 0;
    bool point = false;
    for (; i < n; ++i) {
        const char c = t[i];
        if (is_digit(c)) {
            ++digits;
            if (!point) {
                ++int_digits;
            }
            if (leading_zeros < 0) {
                if (c == '0') {
                    ++zeros_seen;
                } else {
                    leading_zeros = zeros_seen;
                }
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        form[form_len++] = c;
    }
    if (digits == 0) {
        // A sign or a point alone is no number.
        return v;
    }
    int64_t exponent = 0;
    if (i < n && is_exponent_letter(t[i])) {
        int32_t k = i + 1;
        bool exponent_negative = false;
        if (k < n && (t[k] == '+' || t[k] == '-')) {
            exponent_negative = t[k] == '-';
            ++k;
        }
        if (k < n && is_digit(t[k])) {
            form[form_len++] = 'e';
            if (exponent_negative) {
                form[form_len++] = '-';
            }
            for (; k < n && is_digit(t[k]); ++k) {
                // Past a billion the exponent decides nothing more.
                if (exponent < 1'000'000'000) {
                    exponent = exponent * 10 + (t[k] - '0');
                }
                form[form_len++] = t[k];
            }
            if (exponent_negative) {
                exponent = -exponent;
            }
            i = k;
        }
        // An exponent letter without digits is not part of the number.
    }
    v.used = i;
    v.well_formed = i == n;
    if (leading_zeros < 0) {
        return v;  // every digit is 0
    }
    // The value lies in [10^(order - 1), 10^order). Outside the window in
    // which a double holds it exactly enough, the result is known already:
    // from 10^10 on it is beyond the 32-bit range, below 0.1 it rounds to 0.
    const int64_t order = int_digits - leading_zeros + exponent;
    int64_t whole = 0;
    if (order > 10) {
        whole = INT64_C(100'000'000'000);
    } else if (order >= 0) {
        // strtod rather than from_chars: the browser build's library has no
        // floating-point from_chars. The form holds only digits, a point, 'e'
        // and '-', which every locale reads alike; the game sets none.
        form[form_len] = '\0';
        char* end = nullptr;
        const double d = std::strtod(form, &end);
        if (end == form + form_len) {
            whole = round_half_even(d);
        }
    }
    if (whole > INT32_HIGH) {
        v.saturated = !(negative && whole == INT64_C(2147483648));
    }
    v.bits = bits_of(negative ? -whole : whole);
    return v;
}

NumberValue convert_prefixed(const char* t, int32_t n, int32_t i, uint32_t base) {
    NumberValue v{0, NUMBER_PREFIXED, 0, false, false};
    i += 2;
    uint32_t bits = 0;
    int32_t digits = 0;
    for (; i < n; ++i) {
        const uint32_t d = digit_value(t[i]);
        if (d >= base) {
            break;
        }
        // Only the low 32 bits are kept, however many digits there are.
        const uint64_t wide = static_cast<uint64_t>(bits) * base + d;
        if ((wide >> 32) != 0) {
            v.saturated = true;
        }
        bits = static_cast<uint32_t>(wide);
        ++digits;
    }
    if (digits == 0) {
        return v;  // no digit after the prefix, a sign after it included
    }
    v.bits = bits;
    v.used = i;
    v.well_formed = i == n;
    return v;
}

NumberValue convert_decimal(const char* t, int32_t n, int32_t i) {
    NumberValue v{0, NUMBER_DECIMAL, 0, false, false};
    bool negative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int64_t magnitude = 0;
    int32_t digits = 0;
    for (; i < n && is_digit(t[i]); ++i) {
        // Anything past 2^31 saturates; stop growing there.
        if (magnitude <= INT32_HIGH) {
            magnitude = magnitude * 10 + (t[i] - '0');
        }
        ++digits;
    }
    if (digits == 0) {
        return v;
    }
    v.saturated = magnitude > (negative ? INT64_C(2147483648) : INT64_C(2147483647));
    v.bits = bits_of(negative ? -magnitude : magnitude);
    v.used = i;
    v.well_formed = i == n;
    return v;
}

}  // namespace

NumberValue convert_number_text(const char* text, int32_t length) {
    if (text == nullptr || length <= 0) {
        return NumberValue{0, NUMBER_EMPTY, 0, false, false};
    }
    // The reader never makes a longer text; cut one from elsewhere the same way.
    if (length > NUMBER_MAX_CHARS) {
        length = NUMBER_MAX_CHARS;
    }
    // Fractional when a point or an exponent letter came before any
    // ampersand: after one, E and D are hexadecimal digits.
    bool fractional = false;
    for (int32_t k = 0; k < length && text[k] != '&'; ++k) {
        if (text[k] == '.' || is_exponent_letter(text[k])) {
            fractional = true;
            break;
        }
    }
    // Only blanks (32) lead a number; a tab, which only quotes can put into
    // a text, is a character like any other.
    int32_t i = 0;
    while (i < length && text[i] == ' ') {
        ++i;
    }
    if (fractional) {
        return convert_fractional(text, length, i);
    }
    if (i + 1 < length && text[i] == '&') {
        switch (text[i + 1]) {
            case 'H':
            case 'h':
                return convert_prefixed(text, length, i, 16);
            case 'O':
            case 'o':
                return convert_prefixed(text, length, i, 8);
            case 'B':
            case 'b':
                return convert_prefixed(text, length, i, 2);
            default:
                break;
        }
    }
    return convert_decimal(text, length, i);
}

uint32_t number_text_value(const char* text, int32_t length) {
    return convert_number_text(text, length).bits;
}

bool NumberListReader::open(const char* path) {
    close();
    if (path == nullptr) {
        return false;
    }
    const size_t length = std::strlen(path);
    if (length >= PATH_MAX_CHARS) {
        return false;
    }
    std::array<char, PATH_MAX_CHARS> native{};
    for (size_t k = 0; k < length; ++k) {
        native[k] = path[k] == '\\' || path[k] == '/' ? PATH_SEPARATOR : path[k];
    }
    // Binary mode: line breaks are the reader's business, and no byte (26
    // included) ends the file early.
    file = std::fopen(native.data(), "rb");
    if (file == nullptr) {
        return false;
    }
    is_open = true;
    refill();
    // A folder opens on some systems but cannot be read.
    if (std::ferror(file) != 0) {
        close();
        return false;
    }
    return true;
}

bool NumberListReader::open_bytes(const unsigned char* data, size_t size, size_t chunk_bytes) {
    close();
    memory = data;
    memory_size = data == nullptr ? 0 : size;
    memory_chunk = chunk_bytes < 1 || chunk_bytes > chunk.size() ? chunk.size() : chunk_bytes;
    is_open = true;
    refill();
    return true;
}

void NumberListReader::close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    memory = nullptr;
    memory_size = 0;
    memory_taken = 0;
    memory_chunk = chunk.size();
    chunk_fill = 0;
    pos = 0;
    chunk_offset = 0;
    is_open = false;
    at_end = false;
    line = 1;
    column = 1;
}

void NumberListReader::refill() {
    chunk_offset += static_cast<int64_t>(chunk_fill);
    pos = 0;
    chunk_fill = 0;
    if (file != nullptr) {
        chunk_fill = std::fread(chunk.data(), 1, chunk.size(), file);
    } else if (memory != nullptr) {
        chunk_fill = memory_size - memory_taken;
        if (chunk_fill > memory_chunk) {
            chunk_fill = memory_chunk;
        }
        std::memcpy(chunk.data(), memory + memory_taken, chunk_fill);
        memory_taken += chunk_fill;
    }
}

int NumberListReader::peek_next_chunk() {
    if (!is_open || at_end) {
        return -1;
    }
    refill();
    if (chunk_fill == 0) {
        // A read error ends the file like its real end.
        at_end = true;
        return -1;
    }
    return chunk[pos];
}

bool NumberListReader::has_more() {
    return is_open && peek() >= 0;
}

int32_t NumberListReader::read_int() {
    return static_cast<int32_t>(read_bits());
}

uint32_t NumberListReader::read_uint() {
    return read_bits();
}

uint32_t NumberListReader::read_bits() {
    NumberInfo& info = last;
    int c = peek();
    if (c < 0) {
        // No file, or every byte read: an empty field. This is the loaders'
        // usual case past the end of a short file, so only the fields that
        // change are set.
        info.start = info.end = offset();
        info.line = line;
        info.column = column;
        info.text[0] = '\0';
        info.length = 0;
        info.ended_by = is_open ? NUMBER_END_FILE : NUMBER_END_NONE;
        info.separator = NUMBER_END_NONE;
        info.quoted = info.quote_open = info.overlong = false;
        info.value = NumberValue{0, NUMBER_EMPTY, 0, false, false};
        return 0;
    }
    info = NumberInfo{};
    while (c == ' ' || c == '\t') {
        ++pos;
        ++column;
        c = peek();
    }
    info.start = offset();
    info.line = line;
    info.column = column;

    bool quoted = false;
    bool ampersand = false;
    int32_t length = 0;
    for (;;) {
        c = peek();
        if (c < 0) {
            info.ended_by = NUMBER_END_FILE;
            break;
        }
        ++pos;
        if (c == '\n' || c == '\r') {
            // Inside quotes too: a line break always ends the number.
            if (c == '\r' && peek() == '\n') {
                ++pos;
            }
            ++line;
            column = 1;
            info.ended_by = NUMBER_END_LINE_BREAK;
            break;
        }
        ++column;
        if (!quoted) {
            if (c == ' ' || c == '\t') {
                info.ended_by = NUMBER_END_BLANK;
                break;
            }
            if (c == ',') {
                info.ended_by = NUMBER_END_COMMA;
                break;
            }
            if (c == '"' && length == 0) {
                quoted = true;
                info.quoted = true;
                continue;
            }
        } else if (c == '"') {
            quoted = false;  // the number goes on after its closing quote
            continue;
        }
        if (length == NUMBER_MAX_CHARS) {
            // An overlong field is still one number: its text stops at the
            // limit and the rest of it is skipped, so that the numbers after
            // it keep their places.
            info.overlong = true;
            continue;
        }
        auto stored = static_cast<char>(static_cast<unsigned char>(c));
        if (stored == '&') {
            ampersand = true;
        } else if (!ampersand && (stored == 'D' || stored == 'd')) {
            stored = stored == 'D' ? 'E' : 'e';
        }
        info.text[length++] = stored;
    }
    info.quote_open = quoted;

    if (info.ended_by == NUMBER_END_BLANK) {
        // The separator step: a blank before a comma or a line break must
        // not start an empty field.
        c = peek();
        while (c == ' ' || c == '\t') {
            ++pos;
            ++column;
            c = peek();
        }
        if (c == ',') {
            ++pos;
            ++column;
            info.separator = NUMBER_END_COMMA;
        } else if (c == '\n' || c == '\r') {
            ++pos;
            if (c == '\r' && peek() == '\n') {
                ++pos;
            }
            ++line;
            column = 1;
            info.separator = NUMBER_END_LINE_BREAK;
        }
    }
    info.end = offset();
    info.length = length;
    info.value = convert_number_text(info.text, length);
    return info.value.bits;
}
