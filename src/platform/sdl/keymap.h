// The window system's keys in the terms of the input services: PC set-1 scan
// codes and the characters that keys type.
#pragma once

#include <SDL.h>

#include <cstdint>

// The PC set-1 code of a key, 0..127, or 0 for a key that has none. Keys that
// set 1 sends with an E0 prefix give the code without it, so the keypad's
// 8, 4, 6 and 2 share the arrows' codes; the codes follow key positions, so
// they do not depend on NumLock.
int32_t pc_scan_code(SDL_Scancode scancode);

// The ASCII character a key types with the given modifiers, or 0 for a key
// that types none. Escape is 27, Enter 13, Backspace 8, Tab 9. Letters follow
// the layout and become capitals with Shift or CapsLock (not both); the other
// keys of the main block take the US shift rules; the keypad's digits and
// point type only while NumLock is on.
int32_t typed_char(SDL_Keycode key, uint16_t modifiers);
