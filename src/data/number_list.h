// The number-list text format of every data file, and its reader.
//
// A file is a sequence of numbers separated by commas, blanks, tabs and line
// breaks; a number's meaning comes from its position alone. Every empty
// field, and every read past the end of the file, gives 0.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int32_t NUMBER_MAX_CHARS = 67;

// How the last number's text ended, for tools that report on a file.
enum NumberEnd : int32_t {
    NUMBER_END_NONE,        // no file open, or nothing read yet
    NUMBER_END_COMMA,
    NUMBER_END_LINE_BREAK,  // LF, CR or CR LF
    NUMBER_END_BLANK,       // a blank or tab, followed by the separator step
    NUMBER_END_FILE,
    NUMBER_END_LIMIT,       // the text reached NUMBER_MAX_CHARS
};

// What the reader knows about the number it read last. Filled by every read;
// the game never looks at it, the companion tools do.
struct NumberInfo {
    int64_t start;    // offset of the first byte that belongs to the field
    int64_t end;      // offset just past the field and its separator
    int32_t line;     // line and column of the text's first character, from 1
    int32_t column;
    char text[NUMBER_MAX_CHARS + 1];  // the stored text, NUL-terminated
    int32_t length;
    NumberEnd ended_by;
    bool overlong;     // the field went on past NUMBER_MAX_CHARS
};

// Reads one file front to back. At most one file is open at a time; the
// whole file is read into memory by open (data files are small).
struct NumberListReader {
    std::vector<unsigned char> bytes;
    size_t pos = 0;
    bool is_open = false;
    int32_t line = 1;  // position of bytes[pos], for NumberInfo
    int32_t column = 1;
    NumberInfo last{};

    // Opens the file at path, relative to the working directory; backslashes
    // and forward slashes both separate folder names. Closes any file open
    // before. False when the file cannot be opened: every read then gives 0.
    bool open(const char* path);
    int32_t read_int();
    uint32_t read_uint();  // the same 32 bits that read_int gives
    void close();
    // True while unread bytes remain in the open file.
    bool has_more() const;
};

// The value of one number's text by the format's three tests; exposed for
// the tools and the tests. Saturates decimal and fractional values at the
// signed 32-bit range; prefixed texts keep their low 32 bits.
uint32_t number_text_value(const char* text, int32_t length);
