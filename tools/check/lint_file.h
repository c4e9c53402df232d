// The judgement of one data file for `carblast-check lint`: what the game's
// reader and loader would make of it that its maker probably did not mean.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum LintKind : int32_t {
    LINT_LEVEL,   // 4800 cells, row by row
    LINT_FONT,    // ten 5 x 5 glyphs
    LINT_SPRITE,  // a header of frames, width and height, then the frames
};

// What the game uses a sprite file for: the car and the projectile need more
// of their files than any sprite does.
enum LintRole : int32_t {
    LINT_ANY_SPRITE,
    LINT_CAR,         // two frames of 5 x 5
    LINT_PROJECTILE,  // at least one frame
};

enum LintSeverity : int32_t {
    LINT_WARNING,  // shows other than meant, but reads as written
    LINT_ERROR,    // changes what the game reads
};

struct LintFinding {
    int32_t line;  // from 1
    int32_t column;
    LintSeverity severity;
    std::string message;
};

struct LintResult {
    bool readable = false;              // false: the file cannot be opened
    std::vector<LintFinding> findings;  // in file order; long runs of one kind are cut short
    int32_t errors = 0;                 // all of them, also those not listed
    int32_t warnings = 0;
};

// Findings of one kind listed one by one in a file; the rest are counted in
// one closing line.
inline constexpr int32_t LINT_LISTED_PER_KIND = 10;

// The kind of a file nobody named: a sprite when its first three numbers are
// a header inside the record and the count fits it best, otherwise the nearer
// of a level's and a font's count. False when the file cannot be opened.
bool guess_lint_kind(const char* path, LintKind& kind);

LintResult lint_file(const char* path, LintKind kind, LintRole role);
