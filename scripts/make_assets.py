#!/usr/bin/env python3
"""Writes tovrel's images: resources/banner.bmp and resources/tovrel.ico.

Standard library only, and deterministic: rerunning it gives the same bytes,
so the committed files can always be checked against this script.
"""

import pathlib
import struct

RESOURCES = pathlib.Path(__file__).resolve().parent.parent / "resources"

# ---------------------------------------------------------------------------
# Banner: "Quorlen" in red on a pale-cyan to sky-blue gradient, a 32-colour
# bitmap that Windows loads and draws itself.

BANNER_WIDTH = 117
BANNER_HEIGHT = 36
BANNER_TEXT = "Quorlen"
TEXT_RED = (252, 2, 4)
GRADIENT_TOP = (204, 254, 252)
GRADIENT_BOTTOM = (4, 206, 252)
GRADIENT_STEPS = 31  # with the red, fills the 32-colour palette
LETTER_GAP = 2

# A bold face drawn for this banner alone: capitals are 18 rows tall, small
# letters 13; Q's tail hangs 2 rows below the baseline. Each glyph lists its
# rows from the top of its own box; BASELINE_ROWS says where its baseline is.
GLYPHS = {
    "Q": [
        ".....######.....",
        "...##########...",
        "..####....####..",
        ".###........###.",
        ".###........###.",
        "###..........###",
        "###..........###",
        "###..........###",
        "###..........###",
        "###..........###",
        "###..........###",
        "###..........###",
        "###....###...###",
        ".###....###.###.",
        ".###.....######.",
        "..####....#####.",
        "...############.",
        ".....######.####",
        ".............###",
        "..............#.",
    ],
    "u": [
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "####...####",
        ".##########",
        "..#####.###",
    ],
    "o": [
        "....####....",
        "..########..",
        ".###....###.",
        "###......###",
        "###......###",
        "###......###",
        "###......###",
        "###......###",
        "###......###",
        "###......###",
        ".###....###.",
        "..########..",
        "....####....",
    ],
    "r": [
        "###.####",
        "########",
        "####....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
        "###.....",
    ],
    "l": ["###"] * 18,
    "e": [
        "....####....",
        "..########..",
        ".###....###.",
        "###......###",
        "###......###",
        "############",
        "############",
        "###.........",
        "###.........",
        "###.........",
        ".###.....###",
        "..#########.",
        "....#####...",
    ],
    "n": [
        "###.#####..",
        "##########.",
        "####...####",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
        "###.....###",
    ],
}
# Rows of each glyph above the baseline; the rest hang below it.
BASELINE_ROWS = {"Q": 18, "l": 18}
SMALL_LETTER_ROWS = 13


def check_glyphs():
    for name, rows in GLYPHS.items():
        widths = {len(row) for row in rows}
        assert len(widths) == 1, f"glyph {name!r} has ragged rows"
        assert set("".join(rows)) <= {".", "#"}, f"glyph {name!r} has stray characters"


def text_ink(text):
    """The set of (x, y) cells the text covers, with y = 0 on the baseline."""
    ink = set()
    x = 0
    for index, letter in enumerate(text):
        rows = GLYPHS[letter]
        above = BASELINE_ROWS.get(letter, SMALL_LETTER_ROWS)
        for row, line in enumerate(rows):
            for column, cell in enumerate(line):
                if cell == "#":
                    ink.add((x + column, row - above))
        x += len(rows[0])
        if index + 1 < len(text):
            x += LETTER_GAP
    return ink


def gradient_palette():
    colours = []
    for step in range(GRADIENT_STEPS):
        t = step / (GRADIENT_STEPS - 1)
        colours.append(
            tuple(round(a + (b - a) * t) for a, b in zip(GRADIENT_TOP, GRADIENT_BOTTOM))
        )
    return colours


def banner_pixels():
    """Palette indices, row by row: the gradient, with the text centred on it."""
    check_glyphs()
    red_index = GRADIENT_STEPS
    pixels = []
    for y in range(BANNER_HEIGHT):
        step = round(y * (GRADIENT_STEPS - 1) / (BANNER_HEIGHT - 1))
        pixels.append([step] * BANNER_WIDTH)

    # Centre the ink itself, so Q's tail counts like any other stroke.
    ink = text_ink(BANNER_TEXT)
    left = min(x for x, _ in ink)
    right = max(x for x, _ in ink)
    top = min(y for _, y in ink)
    bottom = max(y for _, y in ink)
    dx = (BANNER_WIDTH - (right - left + 1)) // 2 - left
    dy = (BANNER_HEIGHT - (bottom - top + 1)) // 2 - top
    for x, y in ink:
        pixels[y + dy][x + dx] = red_index
    return pixels


def rle8(rows):
    """The rows run-length encoded as BI_RLE8, bottom-up: (count, index) pairs,
    an end-of-line mark after each row and an end-of-bitmap mark at the end."""
    out = bytearray()
    for row in reversed(rows):
        start = 0
        while start < len(row):
            end = start
            while end < len(row) and end - start < 255 and row[end] == row[start]:
                end += 1
            out += bytes((end - start, row[start]))
            start = end
        out += b"\x00\x00"
    out[-1] = 1  # the last end-of-line becomes end-of-bitmap
    return bytes(out)


def make_bmp(width, height, palette, rows):
    """An 8-bit indexed, run-length encoded BMP with `palette` as its colours."""
    pixels = rle8(rows)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    bi_rle8 = 1
    info_header = struct.pack(
        "<IiiHHIIiiII", 40, width, height, 1, 8, bi_rle8, len(pixels), 2835, 2835, len(palette), 0
    )
    return file_header + info_header + table + pixels


def make_banner():
    palette = gradient_palette() + [TEXT_RED]
    assert len(palette) == 32
    return make_bmp(BANNER_WIDTH, BANNER_HEIGHT, palette, banner_pixels())


# ---------------------------------------------------------------------------
# Icon: a yellow diamond road sign with an arrow pointing up, 32x32 and 16x16,
# 16 colours each.

# Windows' standard 16 colours, in their usual order.
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK = 0
YELLOW = 11
TRANSPARENT = None

# Per size: the rings of the diamond, outermost first, as the largest distance
# from the centre (|dx| + |dy|, in pixels) each colour reaches; then the arrow.
SIGN_LAYOUTS = {
    32: {
        "rings": [(16, BLACK), (14, YELLOW), (11, BLACK), (9, YELLOW)],
        # rows of the tip, head base and shaft end; head half width; shaft half width
        "arrow": {"tip": 8, "head_rows": 6, "shaft_end": 22, "shaft_half": 2},
    },
    16: {
        "rings": [(8, BLACK), (7, YELLOW), (6, BLACK), (5, YELLOW)],
        "arrow": {"tip": 4, "head_rows": 3, "shaft_end": 11, "shaft_half": 1},
    },
}


def sign_pixels(size):
    layout = SIGN_LAYOUTS[size]
    centre = size / 2
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            distance = abs(x + 0.5 - centre) + abs(y + 0.5 - centre)
            colour = TRANSPARENT
            for reach, ring_colour in layout["rings"]:
                if distance <= reach:
                    colour = ring_colour
            row.append(colour)
        pixels.append(row)

    arrow = layout["arrow"]
    half = size // 2
    for i in range(arrow["head_rows"]):
        y = arrow["tip"] + i
        for x in range(half - 1 - i, half + 1 + i):
            pixels[y][x] = BLACK
    for y in range(arrow["tip"] + arrow["head_rows"], arrow["shaft_end"] + 1):
        for x in range(half - arrow["shaft_half"], half + arrow["shaft_half"]):
            pixels[y][x] = BLACK
    return pixels


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, palette, colour bits, AND mask."""
    pixels = sign_pixels(size)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bottom-up, as in any BMP
        nibbles = [BLACK if p is TRANSPARENT else p for p in row]
        line = bytearray(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, size, 2))
        line += bytes(row_stride(size, 4) - len(line))
        colour += line
        bits = bytearray(row_stride(size, 1))
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0
    )
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA_PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def make_icon():
    images = [(size, icon_image(size)) for size in (32, 16)]
    ico = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in images:
        ico += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    for _, image in images:
        ico += image
    return bytes(ico)


def main():
    RESOURCES.mkdir(exist_ok=True)
    (RESOURCES / "banner.bmp").write_bytes(make_banner())
    (RESOURCES / "tovrel.ico").write_bytes(make_icon())


if __name__ == "__main__":
    main()
