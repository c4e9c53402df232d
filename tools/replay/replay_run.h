// A scripted game on the headless backend, run by the game's own start-up
// and frame-loop procedures, and the outputs that report on it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "data/level_map.h"
#include "game/car.h"
#include "game/projectile.h"
#include "replay_script.h"

// How long a run goes on without `end`: after the last entry of a script, or
// after the start when there is no script.
inline constexpr int64_t REPLAY_TAIL_MS = 1000;

struct ReplayOutcome {
    int64_t frames;     // frames that ran
    bool ended_by_esc;  // else by `end` or the time after the last entry
    int64_t time_ms;    // the virtual clock at the end, after the start-up reading
    Car car;            // after the last frame
    Projectile projectile;
    int32_t score;
};

// The virtual time, after the start-up reading, at which the run ends unless
// Esc ends it first: the sample of the first `end`; else 1000 ms after the
// last entry (after the end of a stall); without a script 1000 ms.
int64_t replay_end_ms(const ReplayScript* script);

// Starts the game in the working directory, feeds it the script and runs
// frame-loop iterations until Esc or the end. When trace is not null, one
// JSON line per frame goes there. Leaves the screen and the level as the
// last frame left them. Can be called again: every run starts afresh.
ReplayOutcome run_replay(const ReplayScript* script, std::FILE* trace);

// {"frames":N,"ended_by":"esc"|"end","time_ms":T,"car":{...},"projectile":{...},"score":N}
std::string outcome_json(const ReplayOutcome& outcome);

// The level as a level file: 60 lines of 80 comma-separated numbers.
std::string level_out_text(const LevelMap& level);

// The 640 x 480 framebuffer as an 8-bit indexed PNG with the VGA palette.
// False with a reason in `error` when the file cannot be written.
bool write_screen_png(const char* path, const uint8_t* pixels, std::string& error);
