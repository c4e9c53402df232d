// How the program starts on a backend.
#pragma once

// Runs the game's entry procedure `game_entry` as the backend needs it: the
// window backend keeps the process's main thread for the window system and
// runs the game on a thread of its own; the other backends call it directly.
// Called once, by main(); does not return (the game ends through end_program).
[[noreturn]] void platform_run(void (*game_entry)());
