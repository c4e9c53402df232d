// carblast-check lint [--data DIR] [--strict] [--kind level|font|sprite] [FILE...]
//
// Reads each data file as the game does and reports, as file:line:column,
// what would go wrong silently in the game. Exit code 0 without errors, 1
// with one (or, with --strict, a warning), 2 when a file cannot be read.
#pragma once

inline constexpr int LINT_FOUND_ERRORS = 1;

int check_lint(int argc, char** argv);
