// The input script of carblast-replay: one entry a line,
//
//   <ms> press KEY | release KEY | repeat KEY | pointer | close
//        | focus-lost | focus-gained | stall <ms> | end
//
// where <ms> is virtual milliseconds after the start-up clock reading, never
// decreasing from line to line, and KEY is Esc, Ctrl, Up, Down, Left, Right,
// KP8, KP2, KP4, KP6 or a scan code 0 to 127. Blank lines and lines starting
// with '#' are ignored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum ReplayAction : int32_t {
    REPLAY_PRESS,
    REPLAY_RELEASE,
    REPLAY_REPEAT,
    REPLAY_POINTER,
    REPLAY_CLOSE,
    REPLAY_FOCUS_LOST,
    REPLAY_FOCUS_GAINED,
    REPLAY_STALL,
    REPLAY_END,
};

// Times and stall lengths are at most this many milliseconds (about 24 days).
inline constexpr int64_t REPLAY_MAX_MS = 2'147'483'647;

struct ReplayEntry {
    int64_t at_ms;  // after the start-up clock reading
    ReplayAction action;
    int32_t scan_code;  // press, release, repeat
    int64_t stall_ms;   // stall
    int32_t line;       // in the script, from 1
};

struct ReplayScript {
    std::vector<ReplayEntry> entries;  // in file order
};

struct ScriptError {
    int32_t line = 0;  // from 1
    int32_t column = 0;
    std::string message;
};

// Parses the whole text. On the first malformed line returns false with
// `error` telling where and why; `script` is then incomplete.
bool parse_replay_script(std::string_view text, ReplayScript& script, ScriptError& error);

// The scan code of a key name or of a number 0..127, or -1.
int32_t replay_key_code(std::string_view word);
