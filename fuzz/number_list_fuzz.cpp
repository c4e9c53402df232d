// The reader on arbitrary bytes: read_int and read_uint side by side until
// the bytes run out, with the properties every read must keep.
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "data/number_list.h"
#include "fuzz_check.h"

namespace {

// The fractional value the slow way: the leading part through strtod,
// rounded by the floating-point unit's own half-to-even, then saturated.
uint32_t fractional_reference(const NumberInfo& info) {
    const NumberValue& v = info.value;
    if (v.used == 0) {
        return 0;
    }
    char text[NUMBER_MAX_CHARS + 1];
    for (int32_t k = 0; k < v.used; ++k) {
        const char c = info.text[k];
        text[k] = c == 'D' || c == 'd' ? 'E' : c;
    }
    text[v.used] = '\0';
    char* end = nullptr;
    const double d = std::strtod(text, &end);
    FUZZ_CHECK(end == text + v.used);
    const double r = std::nearbyint(d);
    if (r >= 2147483647.0) {
        return 0x7FFFFFFFU;
    }
    if (r <= -2147483648.0) {
        return 0x80000000U;
    }
    return static_cast<uint32_t>(static_cast<int32_t>(r));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_CHECK(std::fegetround() == FE_TONEAREST);
    // The unsigned reader takes the bytes in small chunks of a size chosen by
    // the input, so that line breaks, separator steps and overlong fields
    // meet chunk boundaries in every place; it must read as the other does.
    const size_t chunk_bytes = size == 0 ? 1 : 1 + data[size - 1] % 16;
    NumberListReader signed_reader;
    NumberListReader unsigned_reader;
    signed_reader.open_bytes(data, size);
    unsigned_reader.open_bytes(data, size, chunk_bytes);

    int64_t previous_end = 0;
    size_t reads = 0;
    while (signed_reader.has_more()) {
        const int32_t v = signed_reader.read_int();
        const uint32_t u = unsigned_reader.read_uint();
        FUZZ_CHECK(static_cast<uint32_t>(v) == u);
        FUZZ_CHECK(signed_reader.last.end == unsigned_reader.last.end);
        FUZZ_CHECK(signed_reader.last.line == unsigned_reader.last.line);
        FUZZ_CHECK(signed_reader.last.column == unsigned_reader.last.column);

        const NumberInfo& info = signed_reader.last;
        // Every read with bytes left takes at least one of them.
        FUZZ_CHECK(info.start >= previous_end);
        FUZZ_CHECK(info.end > previous_end);
        FUZZ_CHECK(info.end <= static_cast<int64_t>(size));
        FUZZ_CHECK(info.length >= 0 && info.length <= NUMBER_MAX_CHARS);
        FUZZ_CHECK(info.line >= 1 && info.column >= 1);
        FUZZ_CHECK(!info.overlong || info.length == NUMBER_MAX_CHARS);
        FUZZ_CHECK(info.ended_by != NUMBER_END_NONE);
        FUZZ_CHECK(info.separator == NUMBER_END_NONE || info.ended_by == NUMBER_END_BLANK);
        FUZZ_CHECK(number_text_value(info.text, info.length) == u);
        FUZZ_CHECK(info.value.used >= 0 && info.value.used <= info.length);
        FUZZ_CHECK(!info.value.well_formed || info.value.used == info.length);
        FUZZ_CHECK(info.value.kind != NUMBER_EMPTY || (info.length == 0 && u == 0));
        if (info.value.kind == NUMBER_FRACTIONAL) {
            FUZZ_CHECK(fractional_reference(info) == u);
        }
        previous_end = info.end;
        ++reads;
        FUZZ_CHECK(reads <= size);
    }
    FUZZ_CHECK(!unsigned_reader.has_more());
    FUZZ_CHECK(signed_reader.read_int() == 0);
    FUZZ_CHECK(signed_reader.last.ended_by == NUMBER_END_FILE);
    signed_reader.close();
    FUZZ_CHECK(signed_reader.read_int() == 0);

    // The conversion alone, on texts the reader would never make (D before
    // an ampersand, line breaks, any length).
    const auto* text = reinterpret_cast<const char*>(data);
    const auto length = static_cast<int32_t>(size < 200 ? size : 200);
    const NumberValue value = convert_number_text(text, length);
    FUZZ_CHECK(value.used <= (length < NUMBER_MAX_CHARS ? length : NUMBER_MAX_CHARS));
    return 0;
}
