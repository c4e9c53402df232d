// What the fuzz targets share: a check that stops the run on a broken
// property, and the fuzz entry point's declaration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// The canvas byte a cell value leaves on a clear canvas.
inline uint8_t fuzz_shown(int32_t value) {
    return value > 0 ? static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFU) : 0;
}

// A position derived from the input, mostly near the canvas and now and then
// far beyond it, so that every input also draws somewhere of its own.
inline int32_t fuzz_position(const uint8_t* data, size_t size, uint32_t salt) {
    uint32_t h = 2166136261U ^ salt;
    for (size_t k = 0; k < size; ++k) {
        h = (h ^ data[k]) * 16777619U;
    }
    h = (h ^ (h >> 15)) * 0x2C1B3C6DU;
    h ^= h >> 12;
    switch (h % 8) {
        case 0:
            return static_cast<int32_t>(h);  // anywhere in 32 bits
        case 1:
            return 2147483647 - static_cast<int32_t>(h % 16);
        case 2:
            return -2147483647 - 1 + static_cast<int32_t>(h % 16);
        default:
            return static_cast<int32_t>(h % 112) - 16;  // -16 .. 95
    }
}
