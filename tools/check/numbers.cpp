// carblast-check numbers FILE [--count N] [--unsigned]
//
// Prints, one per line, the numbers the game's reader gives for FILE: with
// --count N exactly N reads, as a loader makes them (zeros past the end),
// otherwise reads while unread bytes remain. --unsigned prints what
// read_uint gives.
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "check.h"
#include "data/number_list.h"

namespace {

int usage(const char* message, const char* argument) {
    std::fprintf(stderr, "carblast-check numbers: %s%s%s\n", message, argument ? ": " : "",
                 argument ? argument : "");
    std::fprintf(stderr, "usage: carblast-check numbers FILE [--count N] [--unsigned]\n");
    return CHECK_USAGE;
}

}  // namespace

int check_numbers(int argc, char** argv) {
    const char* path = nullptr;
    bool counted = false;
    uint64_t count = 0;
    bool as_unsigned = false;
    for (int k = 0; k < argc; ++k) {
        const char* arg = argv[k];
        if (std::strcmp(arg, "--unsigned") == 0) {
            as_unsigned = true;
        } else if (std::strcmp(arg, "--count") == 0) {
            if (k + 1 == argc) {
                return usage("--count needs a number", nullptr);
            }
            const char* text = argv[++k];
            const char* text_end = text + std::strlen(text);
            const auto [end, error] = std::from_chars(text, text_end, count);
            if (error != std::errc() || end != text_end || text == text_end) {
                return usage("--count takes a whole number from 0 up", text);
            }
            counted = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return usage("unknown option", arg);
        } else if (path == nullptr) {
            path = arg;
        } else {
            return usage("one FILE only", arg);
        }
    }
    if (path == nullptr) {
        return usage("no FILE given", nullptr);
    }

    NumberListReader reader;
    errno = 0;
    if (!reader.open(path)) {
        const int error = errno;
        std::fprintf(stderr, "carblast-check numbers: %s: cannot open: %s\n", path,
                     error != 0 ? std::strerror(error) : "not a readable file");
        return CHECK_CANNOT_OPEN;
    }
    for (uint64_t done = 0; counted ? done < count : reader.has_more(); ++done) {
        if (as_unsigned) {
            std::printf("%" PRIu32 "\n", reader.read_uint());
        } else {
            std::printf("%" PRId32 "\n", reader.read_int());
        }
        if (std::ferror(stdout) != 0) {
            break;
        }
    }
    reader.close();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "carblast-check numbers: cannot write the numbers: %s\n",
                     std::strerror(errno));
        return CHECK_OUTPUT_FAILED;
    }
    return CHECK_OK;
}
