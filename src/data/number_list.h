// The number-list text format of every data file, and its reader.
//
// A file is a sequence of numbers separated by commas, blanks, tabs and line
// breaks; a number's meaning comes from its position alone. Every empty
// field, and every read past the end of the file, gives 0.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

inline constexpr int32_t NUMBER_MAX_CHARS = 67;

// Bytes the reader takes from its file at a time.
inline constexpr size_t NUMBER_READER_CHUNK = 4096;

// What ended a field, for tools that report on a file.
enum NumberEnd : int32_t {
    NUMBER_END_NONE,  // no file open, or nothing read yet
    NUMBER_END_COMMA,
    NUMBER_END_LINE_BREAK,  // LF, CR or CR LF
    NUMBER_END_BLANK,       // a blank or tab, followed by the separator step
    NUMBER_END_FILE,
};

// Which of the three conversions gave a text its value.
enum NumberKind : int32_t {
    NUMBER_EMPTY,       // no text at all: an empty field
    NUMBER_FRACTIONAL,  // a point or an exponent letter came before any ampersand
    NUMBER_PREFIXED,    // &H, &O or &B
    NUMBER_DECIMAL,     // everything else, words included
};

// The value of one text and how much of the text it came from.
struct NumberValue {
    uint32_t bits;  // read_int gives these as signed, read_uint as they are
    NumberKind kind;
    int32_t used;      // characters of the text that made the value, leading blanks included
    bool well_formed;  // the whole text is one number of its kind, with the digits it needs
    bool saturated;    // beyond the signed 32-bit range, or more than 32 bits of digits
};

// What the reader knows about the field it read last. Filled by every read;
// the game never looks at it, the companion tools do.
struct NumberInfo {
    int64_t start;   // offset of the field's first byte after the skipped blanks and tabs
    int64_t end;     // offset just past the field, its terminator and the separator step
    int32_t line;    // line and column of the byte at start, both from 1; a CR LF
    int32_t column;  // pair is one line break, and every byte is one column
    char text[NUMBER_MAX_CHARS + 1];  // the stored text, NUL-terminated (may hold NULs)
    int32_t length;
    NumberEnd ended_by;   // what ended the field
    NumberEnd separator;  // after a blank: what the separator step consumed (comma, line break
                          // or nothing, NUMBER_END_NONE)
    bool quoted;          // the field opened quotes
    bool quote_open;      // the field ended while its quotes were still open
    bool overlong;        // the text reached NUMBER_MAX_CHARS and the rest of the field was
                          // skipped, at least one byte of it text
    NumberValue value;
};

// Reads one file front to back through a buffer of NUMBER_READER_CHUNK bytes.
// At most one file is open at a time.
struct NumberListReader {
    std::FILE* file = nullptr;
    const unsigned char* memory = nullptr;  // open_bytes: the caller's bytes
    size_t memory_size = 0;
    size_t memory_taken = 0;
    size_t memory_chunk = NUMBER_READER_CHUNK;  // bytes a refill takes from memory
    std::array<unsigned char, NUMBER_READER_CHUNK> chunk{};
    size_t chunk_fill = 0;
    size_t pos = 0;            // next byte in chunk
    int64_t chunk_offset = 0;  // file offset of chunk[0]
    bool is_open = false;
    bool at_end = false;  // the file has no bytes past the chunk
    int32_t line = 1;     // position of the next byte, for NumberInfo
    int32_t column = 1;
    NumberInfo last{};

    NumberListReader() = default;
    NumberListReader(const NumberListReader&) = delete;
    NumberListReader& operator=(const NumberListReader&) = delete;
    ~NumberListReader() { close(); }

    // Opens the file at path, relative to the working directory; backslashes
    // and forward slashes both separate folder names. Closes any file open
    // before. False when the file cannot be opened or read (a folder, say):
    // every read then gives 0.
    bool open(const char* path);
    // Reads the size bytes at data as if they were a file's; they must stay
    // in place until close. For the fuzz targets and tests, which may take
    // smaller chunks (1 to NUMBER_READER_CHUNK bytes) to reach the chunk
    // boundaries with small inputs.
    bool open_bytes(const unsigned char* data, size_t size,
                    size_t chunk_bytes = NUMBER_READER_CHUNK);
    int32_t read_int();
    uint32_t read_uint();  // the same 32 bits that read_int gives
    void close();
    // True while unread bytes remain in the open file.
    bool has_more();

    // The next number's 32 bits; read_int and read_uint only differ in type.
    uint32_t read_bits();
    // The next byte, or -1 at the end of the file.
    int peek() { return pos < chunk_fill ? chunk[pos] : peek_next_chunk(); }
    int peek_next_chunk();
    void refill();
    int64_t offset() const { return chunk_offset + static_cast<int64_t>(pos); }
};

// The value of one number's text by the format's three tests, in their
// order. Decimal and fractional values saturate at the signed 32-bit range;
// prefixed texts keep their low 32 bits.
// A text longer than NUMBER_MAX_CHARS is cut there, as the reader cuts it.
NumberValue convert_number_text(const char* text, int32_t length);
uint32_t number_text_value(const char* text, int32_t length);
