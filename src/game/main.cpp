// The carblast executable. Command-line arguments are ignored.
#include "game/frame_loop.h"
#include "platform/run.h"

int main() {
    platform_run(game_main);
}
