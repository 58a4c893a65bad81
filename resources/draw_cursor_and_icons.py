#!/usr/bin/env python3
"""Draws the player's link cursor and clip icons and writes them as .cur and
.ico files beside this script:

  link_hand.cur   32 x 32 monochrome pointing hand, hot spot (6, 0)
  play_clip.ico   32 x 32, 32-bit: a green triangle pointing right
  stop_clip.ico   32 x 32, 32-bit: a red square

Run it again after changing a drawing; the generated files are committed.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 32

# The hand, one string per row: '#' black, '.' white, anything else clear.
# The tip of the raised finger is the hot spot (6, 0).
HAND = [
    "      ##",
    "     #..#",
    "     #..#",
    "     #..#",
    "     #..#",
    "     #..###",
    "     #..#..###",
    "     #..#..#..##",
    "     #..#..#..#.##",
    "  ## #..#..#..#..#",
    " #..##..#..#..#..#",
    " #...#...........#",
    "  #..#...........#",
    "  #..............#",
    "   #.............#",
    "   #.............#",
    "    #...........#",
    "    #...........#",
    "     #.........#",
    "     #.........#",
    "     ###########",
    "     #.........#",
    "     ###########",
]
HAND_HOT_SPOT = (6, 0)


def pixel(rows, x, y):
    if y >= len(rows) or x >= len(rows[y]):
        return " "
    return rows[y][x]


def row_bits(values):
    """Packs 32 booleans into 4 bytes, leftmost pixel in the top bit."""
    out = bytearray(SIZE // 8)
    for x, on in enumerate(values):
        if on:
            out[x // 8] |= 0x80 >> (x % 8)
    return bytes(out)


def bitmap_header(bits_per_pixel, image_size):
    # The height counts the colour image and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bits_per_pixel, 0, image_size, 0, 0, 0, 0)


def cursor_file(rows, hot_spot):
    xor_rows = []
    and_rows = []
    for y in range(SIZE):
        line = [pixel(rows, x, y) for x in range(SIZE)]
        xor_rows.append(row_bits([c == "." for c in line]))
        and_rows.append(row_bits([c not in "#." for c in line]))
    # Rows are stored bottom-up.
    image = b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    body = bitmap_header(1, len(image)) + palette + image
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hot_spot[0], hot_spot[1], len(body), 6 + 16)
    return directory + entry + body


def icon_file(paint):
    """paint(x, y) gives (r, g, b, a) or None for a clear pixel."""
    colour_rows = []
    mask_rows = []
    for y in range(SIZE):
        colours = bytearray()
        clear = []
        for x in range(SIZE):
            value = paint(x, y)
            if value is None:
                colours += bytes([0, 0, 0, 0])
                clear.append(True)
            else:
                r, g, b, a = value
                colours += bytes([b, g, r, a])
                clear.append(False)
        colour_rows.append(bytes(colours))
        mask_rows.append(row_bits(clear))
    image = b"".join(reversed(colour_rows)) + b"".join(reversed(mask_rows))
    body = bitmap_header(32, len(image)) + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(body), 6 + 16)
    return directory + entry + body


def play_pixel(x, y):
    # A triangle from (6, 4) to (6, 27) pointing at (27, 15.5), with a dark rim.
    cx, cy = x + 0.5, y + 0.5
    if cx < 6 or cx > 27:
        return None
    half = 11.5 * (27 - cx) / 21
    if abs(cy - 16) > half:
        return None
    rim = cx < 7.5 or abs(cy - 16) > half - 1.5
    return (0, 90, 0, 255) if rim else (40, 190, 60, 255)


def stop_pixel(x, y):
    if not (7 <= x <= 24 and 7 <= y <= 24):
        return None
    rim = x in (7, 24) or y in (7, 24)
    return (110, 0, 0, 255) if rim else (215, 40, 40, 255)


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    assert pixel(HAND, *HAND_HOT_SPOT) == "#"
    write("link_hand.cur", cursor_file(HAND, HAND_HOT_SPOT))
    write("play_clip.ico", icon_file(play_pixel))
    write("stop_clip.ico", icon_file(stop_pixel))


if __name__ == "__main__":
    main()
