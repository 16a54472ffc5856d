#!/usr/bin/env python3
"""Writes tovrel's images: the banner for each DPI the window is drawn at
(resources/banner.bmp at 96 DPI, banner-120.bmp, banner-144.bmp and
banner-192.bmp) and resources/tovrel.ico.

Standard library only, and deterministic: rerunning it gives the same bytes,
so the committed files can always be checked against this script.
"""

import math
import pathlib
import struct

RESOURCES = pathlib.Path(__file__).resolve().parent.parent / "resources"

# ---------------------------------------------------------------------------
# Banner: "Quorlen" in red on a pale-cyan to sky-blue gradient, a 32-colour
# bitmap that Windows loads and draws itself. 117 x 36 pixels at 96 DPI, and in
# proportion at the others, each drawn at its own size: the window draws the
# one of its DPI unscaled, so the text stays crisp.

BANNER_WIDTH = 117
BANNER_HEIGHT = 36
BANNER_DPIS = (96, 120, 144, 192)
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


# The same face at larger sizes, drawn from shapes rather than enlarged, so
# that curves stay smooth: each glyph is a test of a point in its own box (y
# down from the top of the box), and a pixel is ink where its centre passes.
# Stroke widths are whole pixels at each size, so every stem is as wide as the
# next. Measures are those of the pixel glyphs above, in 96 DPI pixels.

STEM = 3  # vertical strokes
HAIR = 2  # the top and bottom of round letters
CAP_HEIGHT = 18
X_HEIGHT = 13
DESCENT = 2  # Q's tail below the baseline
WIDTHS = {"Q": 16, "u": 11, "o": 12, "r": 8, "e": 12, "n": 11}
BOWL_ROUNDNESS = 0.44  # a bowl's corners reach this share of its height
FOOT_RADIUS = 4.5  # the curve at u's foot, n's and r's shoulder
Q_TAIL = ((8.5, 12.5), (14.5, 18.5))
Q_TAIL_HALF_WIDTH = 1.1
E_BAR_TOP = 5
E_OPENING = 3  # rows open at e's right below the bar


def half_up(value):
    return int(value + 0.5)


def in_rounded_box(x, y, box, rx, ry):
    """Inside a box whose corners are quarter ellipses of radii rx, ry."""
    x0, y0, x1, y1 = box
    if rx <= 0 or ry <= 0:
        return x0 <= x < x1 and y0 <= y < y1
    cx = min(max(x, x0 + rx), x1 - rx)
    cy = min(max(y, y0 + ry), y1 - ry)
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def in_ring(x, y, box, rx, ry, stem, hair):
    """Inside a rounded box and outside the same box drawn `stem` and `hair`
    further in: a stroke of even width all round."""
    x0, y0, x1, y1 = box
    inner = (x0 + stem, y0 + hair, x1 - stem, y1 - hair)
    return in_rounded_box(x, y, box, rx, ry) and not in_rounded_box(
        x, y, inner, rx - stem, ry - hair
    )


def near_segment(x, y, a, b, half_width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy) <= half_width


def drawn_glyphs(scale):
    """Per letter: its test, its height above the baseline, its width and the
    rows it hangs below; and the gap between letters, all at `scale`."""
    stem, hair = half_up(STEM * scale), half_up(HAIR * scale)
    cap, small = half_up(CAP_HEIGHT * scale), half_up(X_HEIGHT * scale)
    width = {letter: half_up(w * scale) for letter, w in WIDTHS.items()}
    foot = FOOT_RADIUS * scale

    def bowl(x, y, w, h):
        return in_ring(x, y, (0, 0, w, h), w / 2, BOWL_ROUNDNESS * h, stem, hair)

    def q(x, y):
        (ax, ay), (bx, by) = Q_TAIL
        tail = ((ax * scale, ay * scale), (bx * scale, by * scale))
        return (y < cap and bowl(x, y, width["Q"], cap)) or near_segment(
            x, y, *tail, Q_TAIL_HALF_WIDTH * scale
        )

    def u(x, y, w=width["u"]):
        return x >= w - stem or in_ring(x, y, (0, -small, w, small), w / 2, foot, stem, hair)

    def n(x, y):
        return u(width["n"] - x, small - y, width["n"])  # u turned upside down

    def r(x, y):
        # n's stem and shoulder, the shoulder cut off short
        return x < stem or (x < width["r"] and n(x, y) and (y < hair or x < width["r"] / 2))

    def e(x, y):
        w = width["e"]
        bar = half_up(E_BAR_TOP * scale)
        if bar <= y < bar + hair:
            return in_rounded_box(x, y, (0, 0, w, small), w / 2, BOWL_ROUNDNESS * small)
        if bar + hair <= y < bar + hair + half_up(E_OPENING * scale) and x > w / 2:
            return False
        return bowl(x, y, w, small)

    glyphs = {
        "Q": (q, cap, width["Q"], half_up(DESCENT * scale)),
        "u": (u, small, width["u"], 0),
        "o": (lambda x, y: bowl(x, y, width["o"], small), small, width["o"], 0),
        "r": (r, small, width["r"], 0),
        "l": (lambda x, y: True, cap, stem, 0),
        "e": (e, small, width["e"], 0),
        "n": (n, small, width["n"], 0),
    }
    return glyphs, half_up(LETTER_GAP * scale)


def drawn_text_ink(text, scale):
    """As text_ink, for the face drawn at `scale`."""
    glyphs, gap = drawn_glyphs(scale)
    ink = set()
    x = 0
    for index, letter in enumerate(text):
        inside, above, width, below = glyphs[letter]
        for row in range(above + below):
            for column in range(width):
                if inside(column + 0.5, row + 0.5):
                    ink.add((x + column, row - above))
        x += width
        if index + 1 < len(text):
            x += gap
    return ink


def banner_pixels(width, height, ink):
    """Palette indices, row by row: the gradient, with the text centred on it."""
    red_index = GRADIENT_STEPS
    pixels = []
    for y in range(height):
        step = round(y * (GRADIENT_STEPS - 1) / (height - 1))
        pixels.append([step] * width)

    # Centre the ink itself, so Q's tail counts like any other stroke.
    left = min(x for x, _ in ink)
    right = max(x for x, _ in ink)
    top = min(y for _, y in ink)
    bottom = max(y for _, y in ink)
    dx = (width - (right - left + 1)) // 2 - left
    dy = (height - (bottom - top + 1)) // 2 - top
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


def banner_size(dpi):
    return BANNER_WIDTH * dpi // 96, BANNER_HEIGHT * dpi // 96


def make_banner(dpi):
    """The banner at `dpi`: at 96 DPI the hand-set pixel glyphs, at the others
    the face drawn from shapes at that scale."""
    if dpi == 96:
        check_glyphs()
        ink = text_ink(BANNER_TEXT)
    else:
        ink = drawn_text_ink(BANNER_TEXT, dpi / 96)
    width, height = banner_size(dpi)
    palette = gradient_palette() + [TEXT_RED]
    assert len(palette) == 32
    return make_bmp(width, height, palette, banner_pixels(width, height, ink))


def banner_file(dpi):
    return "banner.bmp" if dpi == 96 else f"banner-{dpi}.bmp"


# ---------------------------------------------------------------------------
# Icon: a yellow diamond road sign with an arrow pointing up, 16 colours each,
# at the sizes Windows asks for at 100 % to 150 % scale: the small icon of the
# title bar (16, 20, 24) and the large one of Alt+Tab and Explorer (32, 40, 48).

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
    20: {
        "rings": [(10, BLACK), (9, YELLOW), (7, BLACK), (6, YELLOW)],
        "arrow": {"tip": 5, "head_rows": 4, "shaft_end": 14, "shaft_half": 1},
    },
    24: {
        "rings": [(12, BLACK), (10, YELLOW), (8, BLACK), (7, YELLOW)],
        "arrow": {"tip": 6, "head_rows": 5, "shaft_end": 17, "shaft_half": 1},
    },
    40: {
        "rings": [(20, BLACK), (18, YELLOW), (14, BLACK), (12, YELLOW)],
        "arrow": {"tip": 10, "head_rows": 8, "shaft_end": 28, "shaft_half": 3},
    },
    48: {
        "rings": [(24, BLACK), (21, YELLOW), (17, BLACK), (14, YELLOW)],
        "arrow": {"tip": 12, "head_rows": 9, "shaft_end": 33, "shaft_half": 3},
    },
}
ICON_SIZES = (48, 40, 32, 24, 20, 16)


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
    images = [(size, icon_image(size)) for size in ICON_SIZES]
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
    for dpi in BANNER_DPIS:
        (RESOURCES / banner_file(dpi)).write_bytes(make_banner(dpi))
    (RESOURCES / "tovrel.ico").write_bytes(make_icon())


if __name__ == "__main__":
    main()
