// carblast-icon: draws the desktop icon from the car sprite, facing north,
// as a square PNG with a transparent background.
//
//   carblast-icon CAR_SPRITE_FILE SIZE OUTPUT.png
//
// Built and run while building; not installed.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/direction.h"
#include "data/sprite_set.h"
#include "platform/vga_palette.h"

namespace {

// ---- a PNG writer: RGBA, the image data in stored (uncompressed) blocks ----

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFFU) {
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int32_t bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1U) != 0 ? 0xEDB88320U : 0U);
        }
    }
    return crc;
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
    for (int32_t shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put_u32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_u32(out, crc32(&out[start], out.size() - start) ^ 0xFFFFFFFFU);
}

std::vector<uint8_t> png(uint32_t size, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> raw;  // each row: filter type 0, then its pixels
    for (uint32_t y = 0; y < size; ++y) {
        raw.push_back(0);
        const auto row = rgba.begin() + static_cast<std::ptrdiff_t>(y * size * 4);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(size * 4));
    }
    std::vector<uint8_t> zlib{0x78, 0x01};
    uint32_t a = 1;
    uint32_t b = 0;
    for (const uint8_t byte : raw) {
        a = (a + byte) % 65521U;
        b = (b + a) % 65521U;
    }
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + length >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length & 0xFF));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length & 0xFF));
        zlib.push_back(static_cast<uint8_t>((~length >> 8) & 0xFF));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        if (last) {
            break;
        }
    }
    put_u32(zlib, (b << 16) | a);

    std::vector<uint8_t> header;
    put_u32(header, size);
    put_u32(header, size);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, no interlace
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", zlib);
    put_chunk(out, "IEND", {});
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: carblast-icon CAR_SPRITE_FILE SIZE OUTPUT.png\n");
        return 2;
    }
    uint32_t size = 0;
    const char* size_end = argv[2] + std::strlen(argv[2]);
    if (std::from_chars(argv[2], size_end, size).ptr != size_end || size < 8 || size > 1024) {
        std::fprintf(stderr, "carblast-icon: size '%s' is not a whole number 8..1024\n", argv[2]);
        return 2;
    }
    std::FILE* probe = std::fopen(argv[1], "rb");
    if (probe == nullptr) {
        std::fprintf(stderr, "%s:1:1: error: cannot open the car sprite file\n", argv[1]);
        return 1;
    }
    std::fclose(probe);
    static SpriteSet car;
    load_sprite_set(car, argv[1]);
    if (car.frame_count < 1 || car.width == 0 || car.height == 0) {
        std::fprintf(stderr, "%s:1:1: error: the file holds no picture\n", argv[1]);
        return 1;
    }

    // Whole pixels per cell, the picture centred.
    const uint32_t edge = std::max(car.width, car.height);
    const uint32_t cell = size / edge;
    if (cell == 0) {
        std::fprintf(stderr, "carblast-icon: %u pixels cannot hold %u cells\n", size, edge);
        return 2;
    }
    const uint32_t left = (size - car.width * cell) / 2;
    const uint32_t top = (size - car.height * cell) / 2;
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4, 0);
    for (uint32_t y = 0; y < car.height * cell; ++y) {
        for (uint32_t x = 0; x < car.width * cell; ++x) {
            const int32_t value = car.cells[DIR_NORTH][1][x / cell][y / cell];
            if (value <= 0 || value >= PALETTE_SIZE) {
                continue;  // transparent, as in the game
            }
            const PaletteColour& c = VGA_PALETTE[static_cast<size_t>(value)];
            uint8_t* pixel = &rgba[((static_cast<size_t>(top + y) * size) + left + x) * 4];
            pixel[0] = c.r;
            pixel[1] = c.g;
            pixel[2] = c.b;
            pixel[3] = 255;
        }
    }

    const std::vector<uint8_t> file = png(size, rgba);
    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "carblast-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
