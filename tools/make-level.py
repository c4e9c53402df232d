#!/usr/bin/env python3
"""Writes the level file dat/map/lev1.dat from the picture below.

    tools/make-level.py [--out FILE] [--preview FILE.png]

The level is drawn as text at half resolution (ART: one character for 2 x 2
cells), textured (bricks for capital letters, raised blocks for small ones),
framed by a one-cell border with tunnel gaps, and checked against the rules
below before it is written. The file it writes is the product: 60 lines of 80
comma-separated numbers, LF line ends, no trailing commas. --preview also
writes the level as a PNG at 8 pixels per cell, for a quick look.

Rules the level keeps, so that it plays well:
  - the car starts on floor at columns 1..5, rows 1..5;
  - the score is drawn at columns 60..79, rows 5..9: that area stays floor
    (dark blue) so that the yellow digits read;
  - canvas cells (0..37, 0) are hidden under the status line: the top row
    stays plain border there;
  - every gap in the border has a gap of the same rows (or columns) on the
    opposite side, with floor behind both, so that a car leaving through one
    comes back through the other into open floor;
  - roads and bays are at least 6 cells wide, since the car is 5 x 5 and
    needs five floor cells in a row to move.
"""

import argparse
import os
import struct
import sys
import zlib

W, H = 80, 60
FLOOR = 1

# Wall colours (palette indices).
GREEN, CYAN, RED, MAGENTA, BROWN, GREY = 2, 3, 4, 5, 6, 7
DARK_GREY, LIGHT_BLUE, LIGHT_GREEN, LIGHT_CYAN = 8, 9, 10, 11
LIGHT_RED, LIGHT_MAGENTA, YELLOW, WHITE = 12, 13, 14, 15

PALETTE = [
    (0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170),
    (170, 0, 0), (170, 0, 170), (170, 85, 0), (170, 170, 170),
    (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
    (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255),
]

grid = [[FLOOR] * W for _ in range(H)]


def fill(x0, y0, x1, y1, value):
    """Sets every cell of the rectangle (x0, y0)..(x1, y1), corners included."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            grid[y][x] = value


def floor(x0, y0, x1, y1):
    fill(x0, y0, x1, y1, FLOOR)


# The level at half resolution: one character is a block of 2 x 2 cells,
# covering cells 1..78 x 1..58 inside the one-cell border. A dot is floor;
# a letter is a wall, in the colours of WALLS below.
#
# A ring road runs round a fortress whose walls are six cells thick (two
# shots to get through) and a wooden gate in the south wall that is just as
# thick; inside, a grey keep holds gold. Four roads leave the ring for the
# tunnels through the border. The car starts in the north-west bay; the score
# stands in the open north-east bay; the south-east corner is a vault with
# more gold behind four to six cells of grey brick.
ART = """
......BBBBBBBBBBBBBBB....BBBB..........
......BBBBBBBBBBBBBBB....BBBB..........
......BBBBBBBBBBBBBBB....BBBB..........
.......................................
.......................................
.......................................
GGGGGG.................................
GGGGGG....RRRRRRRRRRRRRRRRRRR....MMMMMM
GGGGGG....RRRRRRRRRRRRRRRRRRR....MMMMMM
GGGGGG....RRRRRRRRRRRRRRRRRRR....MMMMMM
GGGGGG....RRR.............RRR....MMMMMM
GGGGGG....RRR.............RRR....MMMMMM
..........RRR.............RRR..........
..........RRR....DDDDD....RRR..........
..........RRR....DyyyD....RRR..........
..........RRR....DDDDD....RRR..........
CCCCCC....RRR.............RRR....DDDDDD
CCCCCC....RRR.............RRR....DDDDDD
CCCCCC....RRR.............RRR....DDDDDD
CCCCCC....RRRRRRRRBBBRRRRRRRR....DDDDDD
..........RRRRRRRRBBBRRRRRRRR....DD....
...cc.....RRRRRRRRBBBRRRRRRRR....DD....
...cc............................DD.yy.
.................................DD.yy.
.mm..............................DD....
.mm..............................DD....
......LLLLLLLLLLLLLLL....DDDDDDDDDDDDDD
......LLLLLLLLLLLLLLL....DDDDDDDDDDDDDD
......LLLLLLLLLLLLLLL....DDDDDDDDDDDDDD
"""

# Capital letters are walls laid as bricks, small letters raised blocks.
# letter: (face colour, mortar or edge colour)
WALLS = {
    "R": (RED, GREY),
    "G": (GREEN, LIGHT_GREEN),
    "C": (CYAN, LIGHT_CYAN),
    "M": (MAGENTA, LIGHT_MAGENTA),
    "B": (BROWN, GREY),
    "L": (LIGHT_BLUE, CYAN),
    "D": (DARK_GREY, GREY),
    "y": (YELLOW, WHITE),
    "g": (LIGHT_GREEN, GREEN),
    "r": (LIGHT_RED, RED),
    "c": (LIGHT_CYAN, CYAN),
    "m": (LIGHT_MAGENTA, MAGENTA),
    "w": (WHITE, WHITE),
}


def plan():
    rows = ART.strip("\n").split("\n")
    assert len(rows) == (H - 2) // 2, len(rows)
    letters = [["."] * W for _ in range(H)]
    for cy, row in enumerate(rows):
        assert len(row) == (W - 2) // 2, (cy, len(row))
        for cx, ch in enumerate(row):
            for dy in range(2):
                for dx in range(2):
                    letters[1 + 2 * cy + dy][1 + 2 * cx + dx] = ch

    def is_floor(x, y):
        return not (0 < x < W - 1 and 0 < y < H - 1) or letters[y][x] == "."

    for y in range(1, H - 1):
        for x in range(1, W - 1):
            ch = letters[y][x]
            if ch == ".":
                continue
            face, edge = WALLS[ch]
            value = face
            if ch.islower():
                # a raised block: its edges towards the floor catch the light
                if any(is_floor(x + dx, y + dy) for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1))):
                    value = edge
            else:
                # courses of bricks 5 cells long and 2 high, with mortar between,
                # every other course offset by three
                course = (y - 1) // 3
                if (y - 1) % 3 == 2 or (x + 3 * (course % 2)) % 6 == 0:
                    value = edge
            grid[y][x] = value

    # Border.
    fill(0, 0, W - 1, 0, DARK_GREY)
    fill(0, H - 1, W - 1, H - 1, DARK_GREY)
    fill(0, 0, 0, H - 1, DARK_GREY)
    fill(W - 1, 0, W - 1, H - 1, DARK_GREY)

    # Tunnels through the border: rows 25..32 on the left and right, columns
    # 43..50 at the top (outside the part hidden by the status line) and the
    # bottom.
    floor(0, 25, 0, 32)
    floor(W - 1, 25, W - 1, 32)
    floor(43, 0, 50, 0)
    floor(43, H - 1, 50, H - 1)


def check():
    problems = []

    def all_floor(x0, y0, x1, y1, what):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if grid[y][x] != FLOOR:
                    problems.append(f"{what}: cell ({x}, {y}) is not floor")
                    return

    all_floor(1, 1, 5, 5, "car start")
    all_floor(60, 5, 78, 9, "score area")
    for x in range(0, 38):
        if grid[0][x] == FLOOR:
            problems.append(f"top row under the status line: ({x}, 0) is open")
    # Tunnel pairs: an open border cell must face an open cell on the other
    # side, with room for the car behind both.
    for y in range(H):
        if (grid[y][0] == FLOOR) != (grid[y][W - 1] == FLOOR):
            problems.append(f"row {y}: the side gaps do not match")
    for x in range(W):
        if (grid[0][x] == FLOOR) != (grid[H - 1][x] == FLOOR):
            problems.append(f"column {x}: the top and bottom gaps do not match")
    for y in range(1, H - 1):
        if grid[y][0] == FLOOR:
            all_floor(1, y, 4, y, f"behind the left gap at row {y}")
            all_floor(W - 5, y, W - 2, y, f"behind the right gap at row {y}")
    for x in range(1, W - 1):
        if grid[0][x] == FLOOR:
            all_floor(x, 1, x, 4, f"behind the top gap at column {x}")
            all_floor(x, H - 5, x, H - 2, f"behind the bottom gap at column {x}")
    for y in range(H):
        for x in range(W):
            if not 1 <= grid[y][x] <= 15:
                problems.append(f"cell ({x}, {y}) holds {grid[y][x]}")
    return problems


def write_level(path):
    text = "".join(",".join(str(v) for v in row) + "\n" for row in grid)
    with open(path, "w", newline="\n") as f:
        f.write(text)


def write_preview(path, scale=8):
    raw = bytearray()
    for y in range(H):
        line = bytearray([0])
        for x in range(W):
            line += bytes([grid[y][x]]) * scale
        raw += bytes(line) * scale

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", W * scale, H * scale, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Write the level file from its plan.")
    parser.add_argument("--out", default=os.path.join(here, "..", "dat", "map", "lev1.dat"))
    parser.add_argument("--preview", help="also write the level as a PNG")
    args = parser.parse_args()

    plan()
    problems = check()
    if problems:
        for p in problems:
            print(f"make-level: {p}", file=sys.stderr)
        return 1
    write_level(args.out)
    if args.preview:
        write_preview(args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
