// carblast-check: companion checks of the game's data files.
//
//   carblast-check COMMAND ARGS...
//   carblast-check --help
#include <array>
#include <cstdio>
#include <cstring>

#include "check.h"
#include "lint.h"

namespace {

// A new subcommand is one more row here and a source file of its own.
constexpr std::array COMMANDS{
    CheckCommand{"numbers", "FILE [--count N] [--unsigned]",
                 "print the numbers the game reads from FILE, one per line", check_numbers},
    CheckCommand{"lint", "[--data DIR] [--strict] [--kind level|font|sprite] [FILE...]",
                 "report what would go wrong silently in the game's data files", check_lint},
};

void print_usage(std::FILE* out) {
    std::fprintf(out, "usage: carblast-check COMMAND ARGS...\n\ncommands:\n");
    for (const CheckCommand& command : COMMANDS) {
        std::fprintf(out, "  %s %s\n      %s\n", command.name, command.usage, command.summary);
    }
    std::fprintf(out,
                 "\nexit codes: 0 done, %d a file cannot be opened, %d wrong arguments, %d output "
                 "failed\n",
                 CHECK_CANNOT_OPEN, CHECK_USAGE, CHECK_OUTPUT_FAILED);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        print_usage(stderr);
        return CHECK_USAGE;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        print_usage(stdout);
        return CHECK_OK;
    }
    for (const CheckCommand& command : COMMANDS) {
        if (std::strcmp(argv[1], command.name) == 0) {
            return command.run(argc - 2, argv + 2);
        }
    }
    std::fprintf(stderr, "carblast-check: unknown command '%s'\n\n", argv[1]);
    print_usage(stderr);
    return CHECK_USAGE;
}
