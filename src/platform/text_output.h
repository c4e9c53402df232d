// Backend side of the shared text output.
#pragma once

// Puts the text cursor at row 1, column 1. Every backend's screen_open calls it.
void text_output_reset();
