// The projectile, its blast and the score.
#pragma once

#include <cstdint>

#include "data/level_map.h"
#include "data/sprite_set.h"
#include "game/car.h"
#include "platform/input.h"

inline constexpr int32_t PROJECTILE_LIFE = 20;  // frames a new shot may fly
inline constexpr int32_t PROJECTILE_STEPS = 3;  // cells per frame
inline constexpr int32_t BLAST_RADIUS = 2;      // impact cell +- 2: 5 x 5 cells

struct Projectile {
    int32_t x;
    int32_t y;
    int32_t direction;
    int32_t life;  // frames of flight left; 0 when none is in flight
};

inline constexpr Projectile PROJECTILE_START{0, 0, 0, 0};

// Cells destroyed by blasts since the program started.
extern int32_t score;

// Frame step 2: takes one queued event, whatever it is, into `event`; a Ctrl
// release fires when no shot is in flight. Every other event is dropped.
void handle_event(Projectile& projectile, const Car& car, InputEvent& event);

// Starts the projectile at the middle cell of the car's front edge.
void fire_projectile(Projectile& projectile, const Car& car);

// Frame step 9: draws a projectile in flight where it stands, counts down its
// life and moves it up to three cells; leaving the grid ends it, a cell that
// is not floor blasts and ends it.
void update_projectile(Projectile& projectile, LevelMap& level,
                       const SpriteSet& projectile_sprites);

// Turns every non-floor cell of the 5 x 5 square around (x, y) into floor and
// adds one to score for each. An impact on the outermost ring changes nothing.
void blast_cells(LevelMap& level, int32_t x, int32_t y);
