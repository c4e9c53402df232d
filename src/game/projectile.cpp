#include "game/projectile.h"

#include "data/direction.h"

int32_t score = 0;

void handle_event(Projectile& projectile, const Car& car, InputEvent& event) {
    if (poll_event(event) == 0) {
        return;
    }
    // A release while a shot is in flight is consumed and lost.
    if (event.type == EVENT_KEY_RELEASED && event.scan_code == KEY_CTRL && projectile.life == 0) {
        fire_projectile(projectile, car);
    }
}

void fire_projectile(Projectile& projectile, const Car& car) {
    // The car's direction may still be 0 or 5 after a turn in this frame;
    // the shot leaves from the front the car is drawn with.
    const int32_t direction = direction_in_range(car.direction);
    projectile.life = PROJECTILE_LIFE;
    switch (direction) {
        case DIR_WEST:
            projectile.x = car.x;
            projectile.y = car.y + 2;
            break;
        case DIR_NORTH:
            projectile.x = car.x + 2;
            projectile.y = car.y;
            break;
        case DIR_EAST:
            projectile.x = car.x + 4;
            projectile.y = car.y + 2;
            break;
        case DIR_SOUTH:
            projectile.x = car.x + 2;
            projectile.y = car.y + 4;
            break;
        default:
            break;
    }
    projectile.direction = direction;
}

void update_projectile(Projectile& projectile, LevelMap& level,
                       const SpriteSet& projectile_sprites) {
    if (projectile.life <= 0) {
        return;
    }
    // Always direction 1, frame 1, at the position before this frame's steps.
    draw_sprite(projectile_sprites, DIR_WEST, 1, projectile.x, projectile.y);
    --projectile.life;
    for (int32_t step = 0; step < PROJECTILE_STEPS; ++step) {
        projectile.x += direction_dx(projectile.direction);
        projectile.y += direction_dy(projectile.direction);
        if (!cell_inside(projectile.x, projectile.y)) {
            projectile.life = 0;
            return;
        }
        if (level_cell(level, projectile.x, projectile.y) != CELL_FLOOR) {
            blast_cells(level, projectile.x, projectile.y);
            projectile.life = 0;
            return;
        }
    }
}

void blast_cells(LevelMap& level, int32_t x, int32_t y) {
    // The test looks at the impact cell only: a hit on the outermost ring
    // blasts nothing.
    if (!(x > 0 && x < MAP_W - 1 && y > 0 && y < MAP_H - 1)) {
        return;
    }
    for (int32_t dx = -BLAST_RADIUS; dx <= BLAST_RADIUS; ++dx) {
        for (int32_t dy = -BLAST_RADIUS; dy <= BLAST_RADIUS; ++dy) {
            const int32_t cx = x + dx;
            const int32_t cy = y + dy;
            // Next to the ring part of the square lies beyond the grid; there
            // is nothing there to destroy or count.
            if (!cell_inside(cx, cy)) {
                continue;
            }
            int32_t& cell = level_cell(level, cx, cy);
            if (cell != CELL_FLOOR) {
                ++score;
                cell = CELL_FLOOR;
            }
        }
    }
}
