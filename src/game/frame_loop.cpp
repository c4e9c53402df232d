#include "game/frame_loop.h"

#include <charconv>

#include "data/digit_font.h"
#include "data/level_map.h"
#include "display/canvas.h"
#include "display/status_line.h"
#include "platform/display.h"

void start_up(GameState& game) {
    screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
    build_block_patterns();
    load_level_map(LEVEL_FILE);
    load_digit_font(FONT_FILE);
    framebuffer = screen_framebuffer();
    create_canvas();
    load_sprite_set(game.car_sprites, CAR_FILE);
    load_sprite_set(game.wall_sprites, WALL_FILE);
    load_sprite_set(game.projectile_sprites, PROJECTILE_FILE);
    game.projectile = PROJECTILE_START;
    game.car = CAR_START;
    game.next_frame_time = clock_seconds();
    game.event = InputEvent{0, 0, 0, 0, 0};
}

namespace {

void draw_score() {
    // At most 4800 cells can be destroyed, so the text is short; the buffer
    // holds any 32-bit value all the same.
    char text[12] = {};
    std::to_chars(text, text + sizeof text - 1, score);
    draw_digits(SCORE_X, SCORE_Y, text);
}

}  // namespace

void run_frame(GameState& game) {
    drive_car(game.car, level_map);
    handle_event(game.projectile, game.car, game.event);
    wrap_car(game.car);
    screen_lock();
    clear_canvas();
    draw_level_map();
    draw_sprite(game.car_sprites, game.car.direction, game.car.anim_frame, game.car.x, game.car.y);
    // Drawn before the projectile moves: a blast of this frame shows next frame.
    draw_score();
    update_projectile(game.projectile, level_map, game.projectile_sprites);
    present_canvas();
    print_status_line(game.car.x, game.car.y, game.car.direction);
    screen_unlock(-1, -1);
    sleep_ms(1, SLEEP_PLAIN);
    // The plan advances from itself, never from the clock, so frames that
    // fell behind are caught up back to back.
    game.next_frame_time += FRAME_PERIOD;
}

bool frame_loop_iteration(GameState& game) {
    if (clock_seconds() > game.next_frame_time) {
        run_frame(game);
    } else {
        sleep_ms(1, SLEEP_PLAIN);
    }
    return key_down(KEY_ESC) != 0;
}

void run_frame_loop(GameState& game) {
    while (!frame_loop_iteration(game)) {
    }
}

void game_main() {
    // Static: the state lives for the whole run, and the game thread's stack
    // need not hold its three sprite sets.
    static GameState game;
    start_up(game);
    run_frame_loop(game);
    wait_key(WAIT_FOREVER);
    end_program(0);
}
