#!/usr/bin/python3
"""Draws the pictures shown on the keyboard's display while data move.

Usage: make_lcd_pictures.py OUTPUT_DIR

Files written, 280 bytes each:
  all_save_N.lcd, all_load_N.lcd  N = 0..70, a backup or restore at step N of 70
  saving.lcd, loading.lcd, deleting.lcd

Bitmap layout (the same for every picture):
  80 x 28 monochrome pixels, stored row by row from the top, 10 bytes per row.
  Within a byte the most significant bit is the leftmost pixel; a set bit is a
  dark pixel. Row 27 is always blank: the display parameter holds only the
  first 279 bytes, so the 280th byte (the end of row 27) is padding and 0.

Backup pictures: the word "SAVE" or "LOAD" centred on rows 2-8, and below it a
progress bar: a frame on rows 13-24 from column 4 to 75 whose 70 inner columns
(5..74) are filled from the left, N columns for step N.

Status pictures: the word ("SAVING", "LOADING", "DELETING") centred on rows
10-16 inside a one-pixel frame along the edge of rows 0-26.
"""

import os
import sys

from generated_file import write_if_changed

WIDTH = 80
HEIGHT = 28
ROW_BYTES = WIDTH // 8
PICTURE_SIZE = ROW_BYTES * HEIGHT
STEPS = 70

BAR_LEFT = 4
BAR_RIGHT = BAR_LEFT + STEPS + 1
BAR_TOP = 13
BAR_BOTTOM = 24

# 5 x 7 glyphs, one string per row, '#' is a dark pixel.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
}
GLYPH_WIDTH = 5
GLYPH_HEIGHT = 7
GLYPH_ADVANCE = GLYPH_WIDTH + 1


class Bitmap:
    def __init__(self):
        self.pixels = [[False] * WIDTH for _ in range(HEIGHT)]

    def set(self, x, y):
        # Row 27 must stay blank (see the layout above).
        assert 0 <= x < WIDTH and 0 <= y < HEIGHT - 1
        self.pixels[y][x] = True

    def fill(self, left, top, right, bottom):
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.set(x, y)

    def frame(self, left, top, right, bottom):
        for x in range(left, right + 1):
            self.set(x, top)
            self.set(x, bottom)
        for y in range(top, bottom + 1):
            self.set(left, y)
            self.set(right, y)

    def text_centred(self, text, top):
        width = len(text) * GLYPH_ADVANCE - 1
        left = (WIDTH - width) // 2
        for index, char in enumerate(text):
            glyph = FONT[char]
            for dy, row in enumerate(glyph):
                for dx, cell in enumerate(row):
                    if cell == "#":
                        self.set(left + index * GLYPH_ADVANCE + dx, top + dy)

    def to_bytes(self):
        out = bytearray()
        for row in self.pixels:
            for byte_index in range(ROW_BYTES):
                value = 0
                for bit in range(8):
                    if row[byte_index * 8 + bit]:
                        value |= 0x80 >> bit
                out.append(value)
        assert len(out) == PICTURE_SIZE and out[-1] == 0
        return bytes(out)


def progress_picture(word, step):
    picture = Bitmap()
    picture.text_centred(word, 2)
    picture.frame(BAR_LEFT, BAR_TOP, BAR_RIGHT, BAR_BOTTOM)
    if step > 0:
        picture.fill(BAR_LEFT + 1, BAR_TOP + 1, BAR_LEFT + step, BAR_BOTTOM - 1)
    return picture.to_bytes()


def status_picture(word):
    picture = Bitmap()
    picture.frame(0, 0, WIDTH - 1, HEIGHT - 2)
    picture.text_centred(word, 10)
    return picture.to_bytes()


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_lcd_pictures.py OUTPUT_DIR")
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for kind, word in (("save", "SAVE"), ("load", "LOAD")):
        for step in range(STEPS + 1):
            name = "all_%s_%d.lcd" % (kind, step)
            write_if_changed(os.path.join(out_dir, name), progress_picture(word, step))
    for name, word in (("saving", "SAVING"), ("loading", "LOADING"), ("deleting", "DELETING")):
        write_if_changed(os.path.join(out_dir, name + ".lcd"), status_picture(word))


if __name__ == "__main__":
    main(sys.argv)
