// The subcommands of carblast-check. Each one lives in a source file of its
// own, takes the arguments after its name and returns the exit code.
#pragma once

#include <cstdint>

// Exit codes shared by the subcommands.
inline constexpr int CHECK_OK = 0;
inline constexpr int CHECK_CANNOT_OPEN = 2;  // a file named on the command line
inline constexpr int CHECK_USAGE = 64;       // arguments the subcommand does not take
inline constexpr int CHECK_OUTPUT_FAILED = 74;

struct CheckCommand {
    const char* name;
    const char* usage;    // the arguments after the name
    const char* summary;  // one line for the help text
    int (*run)(int argc, char** argv);
};

// carblast-check numbers FILE [--count N] [--unsigned]
int check_numbers(int argc, char** argv);
