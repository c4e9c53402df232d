// Start-up, the fixed-rate frame loop and the order of a frame.
#pragma once

#include "data/sprite_set.h"
#include "game/car.h"
#include "game/projectile.h"
#include "platform/input.h"

inline constexpr double FRAME_PERIOD = 0.1;  // seconds from one planned frame to the next

inline constexpr const char* LEVEL_FILE = "dat\\map\\lev1.dat";
inline constexpr const char* FONT_FILE = "dat\\font.dat";
inline constexpr const char* CAR_FILE = "dat\\sprites\\car.dat";
inline constexpr const char* WALL_FILE = "dat\\sprites\\wall.dat";
inline constexpr const char* PROJECTILE_FILE = "dat\\sprites\\proj.dat";

inline constexpr int32_t SCORE_X = 60;  // canvas cell of the score's first digit
inline constexpr int32_t SCORE_Y = 5;

// The game state that the entry procedure holds for the whole run.
struct GameState {
    Car car;
    Projectile projectile;
    double next_frame_time;  // seconds on the scale of clock_seconds
    InputEvent event;        // receives the event poll_event takes, every frame
    SpriteSet car_sprites;
    SpriteSet wall_sprites;  // loaded and kept; nothing draws it
    SpriteSet projectile_sprites;
};

// Opens the screen, loads every data file and sets the start values. No
// result is looked at: start-up always goes on.
void start_up(GameState& game);

// One game frame.
void run_frame(GameState& game);

// One iteration of the frame loop: a frame if the clock has passed the plan,
// else a 1 ms sleep. True when Esc is held at its end and the loop is over.
bool frame_loop_iteration(GameState& game);

// Iterations until Esc.
void run_frame_loop(GameState& game);

// The entry procedure: start-up, the frame loop, the wait for a typed key
// (the Esc press is one) and the end of the program with exit code 0.
[[noreturn]] void game_main();
