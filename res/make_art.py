#!/usr/bin/env python3
"""Draws Vistrel's resource art: res/art/vistrel.ico, palette.bmp, tips.bmp and skin.bmp.

Run from anywhere: python3 res/make_art.py. Standard library only, and the
output is byte-for-byte the same on every run, so the files in the repo can be
compared against a fresh run. The geometry of the palette and tips panels is
shared with the capture library (it paints into these rectangles at run time),
so the constants below are the ones tests/pe/check_art.py checks.
"""
import math
import os
import struct

ART_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
YELLOW = (255, 255, 0)
DARK_GREEN = (0, 128, 0)
LIME = (0, 255, 0)
NAVY = (0, 0, 128)
TEAL = (0, 128, 128)

# The 16 colours of the VGA palette, in the order Windows uses for 4-bpp DIBs.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


# ---------------------------------------------------------------------------
# Canvas: a list of rows of (r, g, b) tuples, top row first, and a few
# rasterising helpers. Rectangles are (left, top, right, bottom) with the right
# and bottom edges excluded, as in GDI.

def canvas(w, h, colour):
    return [[colour] * w for _ in range(h)]


def fill_rect(img, rect, colour):
    l, t, r, b = rect
    for y in range(t, b):
        row = img[y]
        for x in range(l, r):
            row[x] = colour


def hline(img, x0, x1, y, colour):
    fill_rect(img, (x0, y, x1 + 1, y + 1), colour)


def vline(img, x, y0, y1, colour):
    fill_rect(img, (x, y0, x + 1, y1 + 1), colour)


def frame_rect(img, rect, colour):
    l, t, r, b = rect
    hline(img, l, r - 1, t, colour)
    hline(img, l, r - 1, b - 1, colour)
    vline(img, l, t, b - 1, colour)
    vline(img, r - 1, t, b - 1, colour)


def sunken_frame(img, rect, dark, light):
    """One-pixel sunken edge drawn just outside rect: dark top/left, light bottom/right."""
    l, t, r, b = rect
    hline(img, l - 1, r, t - 1, dark)
    vline(img, l - 1, t - 1, b, dark)
    hline(img, l, r, b, light)
    vline(img, r, t, b, light)


def line(img, x0, y0, x1, y1, colour):
    """Bresenham line, both end points drawn."""
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx = 1 if x0 < x1 else -1
    sy = 1 if y0 < y1 else -1
    err = dx + dy
    while True:
        img[y0][x0] = colour
        if x0 == x1 and y0 == y1:
            return
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def inside_ellipse(px, py, cx, cy, rx, ry):
    return ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0


def fill_ellipse(img, rect, colour):
    """Pixels whose centres fall inside the ellipse inscribed in rect."""
    l, t, r, b = rect
    cx, cy = (l + r) / 2.0, (t + b) / 2.0
    rx, ry = (r - l) / 2.0, (b - t) / 2.0
    for y in range(t, b):
        for x in range(l, r):
            if inside_ellipse(x + 0.5, y + 0.5, cx, cy, rx, ry):
                img[y][x] = colour


def ellipse_outline(img, rect, colour):
    """A one-pixel ring: the filled ellipse minus its 4-connected interior."""
    l, t, r, b = rect
    cx, cy = (l + r) / 2.0, (t + b) / 2.0
    rx, ry = (r - l) / 2.0, (b - t) / 2.0

    def inside(x, y):
        return inside_ellipse(x + 0.5, y + 0.5, cx, cy, rx, ry)

    for y in range(t, b):
        for x in range(l, r):
            if inside(x, y) and not (inside(x - 1, y) and inside(x + 1, y)
                                     and inside(x, y - 1) and inside(x, y + 1)):
                img[y][x] = colour


def fill_polygon(img, points, colour):
    """Even-odd fill of pixel centres; points in pixel-edge coordinates."""
    ys = [p[1] for p in points]
    n = len(points)
    for y in range(max(0, int(min(ys))), min(len(img), int(max(ys)) + 1)):
        sy = y + 0.5
        xs = []
        for i in range(n):
            (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
            if (y0 <= sy < y1) or (y1 <= sy < y0):
                xs.append(x0 + (sy - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            for x in range(len(img[0])):
                if a <= x + 0.5 < b:
                    img[y][x] = colour


def draw_glyphs(img, x, y, text, font, colour, gap=1):
    for ch in text:
        rows = font[ch]
        for dy, bits in enumerate(rows):
            for dx, c in enumerate(bits):
                if c == "#":
                    img[y + dy][x + dx] = colour
        x += len(rows[0]) + gap
    return x


def text_width(text, font, gap=1):
    return sum(len(font[ch][0]) for ch in text) + gap * (len(text) - 1)


# ---------------------------------------------------------------------------
# Writers for bottom-up BI_RGB DIBs and the .bmp / .ico containers.

def bitmapinfoheader(w, h, bpp, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size,
                       2835, 2835, colours_used, 0)


def row_stride(w, bpp):
    return ((w * bpp + 31) // 32) * 4


def pack_rows(rows, bpp):
    """rows: top-first lists of palette indices (bpp <= 8) or (b, g, r[, a]) byte tuples.
    Returns the bottom-up pixel array with each row padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line_bytes = bytearray()
        if bpp >= 24:
            for px in row:
                line_bytes += bytes(px)
        else:
            per_byte = 8 // bpp
            for i in range(0, len(row), per_byte):
                v = 0
                for j in range(per_byte):
                    v <<= bpp
                    if i + j < len(row):
                        v |= row[i + j]
                line_bytes.append(v)
        line_bytes += b"\0" * (row_stride(len(row), bpp) - len(line_bytes))
        out += line_bytes
    return bytes(out)


def colour_table(palette, entries):
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return table + b"\0\0\0\0" * (entries - len(palette))


def nearest_index(palette, colour, cache):
    idx = cache.get(colour)
    if idx is None:
        r, g, b = colour
        best = None
        for i, (pr, pg, pb) in enumerate(palette):
            d = (pr - r) ** 2 + (pg - g) ** 2 + (pb - b) ** 2
            if best is None or d < best:
                best, idx = d, i
        cache[colour] = idx
    return idx


def bmp_file(img, bpp, palette=None):
    h, w = len(img), len(img[0])
    if bpp == 24:
        rows = [[(b, g, r) for (r, g, b) in row] for row in img]
        table = b""
        used = 0
    else:
        cache = {}
        rows = []
        for row in img:
            indices = []
            for c in row:
                i = nearest_index(palette, c, cache)
                if palette[i] != c:
                    raise ValueError("colour %r is not in the %d-bpp palette" % (c, bpp))
                indices.append(i)
            rows.append(indices)
        used = 1 << bpp
        table = colour_table(palette, used)
    bits = pack_rows(rows, bpp)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return header + bitmapinfoheader(w, h, bpp, len(bits), used) + table + bits


# ---------------------------------------------------------------------------
# The application icon: a rounded blue-teal square carrying white crop corners
# around a viewfinder dot. Geometry is chosen per size in whole pixels so the
# white marks land on the pixel grid and stay crisp at 16 x 16.

SUB = 4  # supersamples per pixel edge for the anti-aliased body outline

ICON_TOP = (38, 176, 222)
ICON_BOTTOM = (14, 98, 168)
ICON_EDGE = (10, 64, 118)


def icon_geometry(n):
    k = n // 16  # 1, 2 or 3: the white marks scale in whole pixels
    return {
        "margin": {16: 0.0, 32: 1.5, 48: 2.0}[n],  # body inset from the canvas edge
        "radius": {16: 3.5, 32: 6.0, 48: 9.0}[n],  # body corner radius
        "edge": 1.0 if n < 48 else 1.5,            # width of the dark body edge
        "inset": 3 * k,                            # crop corners from the canvas edge
        "arm": {16: 3, 32: 8, 48: 10}[n],          # length of each crop-corner arm
        "thick": k,                                # stroke width of the white marks
        "dot": {16: None, 32: 2.3, 48: 3.4}[n],    # None: a 2 x 2 square
        "ring": {16: None, 32: (5.5, 1.6), 48: (8.0, 1.8)}[n],  # (radius, width)
    }


def rounded_rect_distance(px, py, l, t, r, b, rad):
    """Signed distance from a point to a rounded rectangle (negative inside)."""
    cx, cy = (l + r) / 2.0, (t + b) / 2.0
    hx, hy = (r - l) / 2.0 - rad, (b - t) / 2.0 - rad
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    ox, oy = max(qx, 0.0), max(qy, 0.0)
    return (ox * ox + oy * oy) ** 0.5 + min(max(qx, qy), 0.0) - rad


def icon_marks(n, g):
    """The white motif as a boolean test on a point in pixel coordinates."""
    i, a, t = g["inset"], g["arm"], g["thick"]
    bars = []
    for (x0, sx) in ((i, 1), (n - i, -1)):
        for (y0, sy) in ((i, 1), (n - i, -1)):
            # horizontal and vertical arm of one L, as half-open boxes
            hx = (x0, x0 + a) if sx > 0 else (x0 - a, x0)
            hy = (y0, y0 + t) if sy > 0 else (y0 - t, y0)
            vx = (x0, x0 + t) if sx > 0 else (x0 - t, x0)
            vy = (y0, y0 + a) if sy > 0 else (y0 - a, y0)
            bars.append((hx, hy))
            bars.append((vx, vy))
    c = n / 2.0

    def test(px, py):
        for (x0, x1), (y0, y1) in bars:
            if x0 <= px < x1 and y0 <= py < y1:
                return True
        d = ((px - c) ** 2 + (py - c) ** 2) ** 0.5
        if g["dot"] is None:
            if abs(px - c) < 1 and abs(py - c) < 1:  # 2 x 2 pixels, no blur
                return True
        elif d <= g["dot"]:
            return True
        if g["ring"]:
            rr, rw = g["ring"]
            if abs(d - rr) <= rw / 2.0:
                return True
        return False

    return test


def render_icon(n, flat):
    """Returns rows of (r, g, b, alpha 0..255).

    flat: the 16-colour version, which has no room for shading: a plain teal
    body with a navy edge, hard edges, white marks."""
    g = icon_geometry(n)
    m, rad, edge = g["margin"], g["radius"], g["edge"]
    marks = icon_marks(n, g)
    samples = [(k + 0.5) / SUB for k in range(SUB)]
    out = []
    for y in range(n):
        row = []
        for x in range(n):
            acc = [0.0, 0.0, 0.0]
            votes = {}
            cover = 0
            for sy in samples:
                for sx in samples:
                    px, py = x + sx, y + sy
                    d = rounded_rect_distance(px, py, m, m, n - m, n - m, rad)
                    if d > 0:
                        continue
                    cover += 1
                    if marks(px, py):
                        col = WHITE
                    elif d > -edge:
                        col = NAVY if flat else ICON_EDGE
                    elif flat:
                        col = TEAL
                    else:
                        f = (py - m) / (n - 2 * m)
                        col = tuple(ICON_TOP[c] + (ICON_BOTTOM[c] - ICON_TOP[c]) * f
                                    for c in range(3))
                    votes[col] = votes.get(col, 0) + 1
                    for c in range(3):
                        acc[c] += col[c]
            if cover == 0:
                row.append((0, 0, 0, 0))
                continue
            if flat:
                # Blends would land on greys of the 16-colour table and look
                # like dirt; the colour most of the pixel carries wins instead.
                rgb = max(sorted(votes), key=lambda c: votes[c])
            else:
                rgb = tuple(int(acc[c] / cover + 0.5) for c in range(3))
            alpha = int(255.0 * cover / (SUB * SUB) + 0.5)
            row.append(rgb + (alpha,))
        out.append(row)
    return out


def median_cut(colours, count):
    """Deterministic median cut of a list of (r, g, b) into at most count colours."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        best, best_range, best_axis = None, 0, 0
        for bi, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                vals = [c[axis] for c in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_axis = bi, rng, axis
        if best is None:
            break
        box = sorted(boxes[best], key=lambda c: (c[best_axis], c))
        half = len(box) // 2
        boxes[best:best + 1] = [box[:half], box[half:]]
    result = []
    for box in boxes:
        result.append(tuple(int(sum(c[a] for c in box) / len(box) + 0.5) for a in range(3)))
    return result


def icon_image(pixels, bpp, palette=None):
    """One icon directory image: BITMAPINFOHEADER with doubled height, colour
    table, XOR bitmap, AND mask (1 = transparent)."""
    n = len(pixels)
    opaque = [[p[3] >= 128 for p in row] for row in pixels]
    if bpp == 32:
        # The colour channels are straight (not premultiplied) alpha; fully
        # transparent pixels stay black so the XOR image is clean.
        xor_rows = [[(p[2], p[1], p[0], p[3]) if p[3] else (0, 0, 0, 0) for p in row]
                    for row in pixels]
        opaque = [[p[3] > 0 for p in row] for row in pixels]
        table = b""
    elif bpp == 24:
        xor_rows = [[(p[2], p[1], p[0]) if o else (0, 0, 0) for p, o in zip(row, orow)]
                    for row, orow in zip(pixels, opaque)]
        table = b""
    else:
        cache = {}
        xor_rows = [[nearest_index(palette, p[:3], cache) if o else 0
                     for p, o in zip(row, orow)]
                    for row, orow in zip(pixels, opaque)]
        table = colour_table(palette, 1 << bpp)
    xor = pack_rows(xor_rows, bpp)
    mask = pack_rows([[0 if o else 1 for o in orow] for orow in opaque], 1)
    header = bitmapinfoheader(n, 2 * n, bpp, len(xor) + len(mask), 0)
    return header + table + xor + mask


def make_icon():
    # (size, bpp) in directory order.
    layout = [(32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (16, 32), (32, 24)]
    smooth = {n: render_icon(n, False) for n in (16, 32, 48)}
    flat = {n: render_icon(n, True) for n in (16, 32)}

    # One 256-colour table shared by the three 8-bpp images: the 16 VGA
    # colours first (so black and white are exact) and the rest cut from the
    # colours the images actually use.
    used = set()
    for n in (16, 32, 48):
        for row in smooth[n]:
            for p in row:
                if p[3] >= 128:
                    used.add(p[:3])
    palette256 = VGA16 + median_cut(sorted(used), 240)

    images = []
    for n, bpp in layout:
        if bpp == 4:
            data = icon_image(flat[n], 4, VGA16)
        elif bpp == 8:
            data = icon_image(smooth[n], 8, palette256)
        else:
            data = icon_image(smooth[n], bpp)
        images.append((n, bpp, data))

    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, bpp, data in images:
        colours = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", n % 256, n % 256, colours, 0, 1, bpp,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return out


# ---------------------------------------------------------------------------
# The drawing palette, 348 x 51, 24 bits: current-colour box, 28 swatches, and
# the four tool buttons. The capture library fills CURRENT_BOX at run time and
# draws a dotted focus frame inside the selected button.

PALETTE_SIZE = (348, 51)
CURRENT_BOX = (4, 11, 30, 38)
SWATCH_COLOURS = [
    [(0, 0, 0), (128, 128, 128), (128, 0, 0), (128, 128, 0), (0, 128, 0), (0, 128, 128),
     (0, 0, 128), (128, 0, 128), (128, 128, 64), (0, 64, 64), (0, 128, 255), (0, 64, 128),
     (128, 0, 255), (128, 64, 0)],
    [(255, 255, 255), (192, 192, 192), (255, 0, 0), (255, 255, 0), (0, 255, 0), (0, 255, 255),
     (0, 0, 255), (255, 0, 255), (255, 255, 128), (0, 255, 128), (128, 255, 255),
     (128, 128, 255), (255, 0, 128), (255, 128, 64)],
]
BUTTONS = [("line", (263, 9, 283, 40)), ("rectangle", (283, 9, 304, 40)),
           ("ellipse", (304, 9, 325, 40)), ("select", (325, 9, 344, 40))]


def swatch_rect(k, r):
    return (35 + 16 * k, 11 + 16 * r, 46 + 16 * k, 22 + 16 * r)


def focus_rect(button):
    """Where the library draws its dotted frame; glyphs stay strictly inside."""
    l, t, r, b = button
    return (l + 1, t + 3, r - 1, b - 1)


def draw_button(img, kind, rect):
    l, t, r, b = rect
    # Sunken edge on the button's own outer pixels.
    hline(img, l, r - 1, t, GREY)
    vline(img, l, t, b - 1, GREY)
    hline(img, l + 1, r - 1, b - 1, WHITE)
    vline(img, r - 1, t + 1, b - 1, WHITE)
    fl, ft, fr, fb = focus_rect(rect)
    # Glyph box: two pixels clear of the focus frame on every side.
    gl, gt, gr, gb = fl + 2, ft + 2, fr - 2, fb - 2
    cx = (gl + gr) // 2
    cy = (gt + gb) // 2
    if kind == "line":
        line(img, gl + 1, cy + 7, gr - 2, cy - 7, BLACK)
    elif kind == "rectangle":
        frame_rect(img, (gl + 1, cy - 6, gr - 1, cy + 7), BLACK)
    elif kind == "ellipse":
        ellipse_outline(img, (gl, cy - 7, gr, cy + 8), BLACK)
    elif kind == "select":
        # Arrow pointer: tip at the top left, tail to the lower right.
        x0, y0 = cx - 4, cy - 8
        pts = [(0, 0), (0, 13), (3, 10), (5.5, 15.5), (7.5, 14.5), (5.2, 9.6), (9, 9.6)]
        fill_polygon(img, [(x0 + px, y0 + py) for px, py in pts], BLACK)


def make_palette():
    w, h = PALETTE_SIZE
    img = canvas(w, h, SILVER)
    # Raised panel: white outer frame, grey shadow just inside bottom and right.
    frame_rect(img, (0, 0, w, h), WHITE)
    hline(img, 1, w - 2, h - 2, GREY)
    vline(img, w - 2, 1, h - 2, GREY)

    # Current-colour box: black frame round the run-time fill, sunk into the panel.
    l, t, r, b = CURRENT_BOX
    fill_rect(img, CURRENT_BOX, WHITE)
    frame_rect(img, (l - 1, t - 1, r + 1, b + 1), BLACK)
    sunken_frame(img, (l - 1, t - 1, r + 1, b + 1), GREY, WHITE)

    for row, colours in enumerate(SWATCH_COLOURS):
        for k, colour in enumerate(colours):
            rect = swatch_rect(k, row)
            fill_rect(img, rect, colour)
            sunken_frame(img, rect, GREY, WHITE)

    for kind, rect in BUTTONS:
        draw_button(img, kind, rect)
    return bmp_file(img, 24)


# ---------------------------------------------------------------------------
# The cursor readout panel, 184 x 44, 16 colours: a green go-button in the left
# cell, and the labels of the position and colour lines. The library writes
# the values from TIPS_TEXT_LEFT onwards, so that area stays plain yellow.

TIPS_SIZE = (184, 44)
TIPS_DIVIDER = 30
TIPS_LABEL_RIGHT = 64
TIPS_TEXT_LEFT = 66

# A hand-made bold face, 7 x 11 for letters; only the glyphs the labels need.
LABEL_FONT = {
    "X": ["##...##",
          "##...##",
          ".##.##.",
          ".##.##.",
          "..###..",
          "..###..",
          "..###..",
          ".##.##.",
          ".##.##.",
          "##...##",
          "##...##"],
    "Y": ["##...##",
          "##...##",
          ".##.##.",
          ".##.##.",
          "..###..",
          "..###..",
          "..###..",
          "..###..",
          "..###..",
          "..###..",
          "..###.."],
    "R": ["######.",
          "##...##",
          "##...##",
          "##...##",
          "######.",
          "####...",
          "##.##..",
          "##..##.",
          "##..##.",
          "##...##",
          "##...##"],
    "G": [".#####.",
          "##...##",
          "##.....",
          "##.....",
          "##.....",
          "##.####",
          "##.####",
          "##...##",
          "##...##",
          "##...##",
          ".#####."],
    "B": ["######.",
          "##...##",
          "##...##",
          "##...##",
          "######.",
          "######.",
          "##...##",
          "##...##",
          "##...##",
          "##...##",
          "######."],
    ",": ["...",
          "...",
          "...",
          "...",
          "...",
          "...",
          "...",
          ".##",
          ".##",
          "..#",
          ".#."],
    ":": ["..",
          "..",
          "##",
          "##",
          "..",
          "..",
          "..",
          "..",
          "##",
          "##",
          ".."],
}


def make_tips():
    w, h = TIPS_SIZE
    img = canvas(w, h, YELLOW)
    frame_rect(img, (0, 0, w, h), DARK_GREEN)
    hline(img, 1, w - 2, h - 2, SILVER)
    vline(img, w - 2, 1, h - 2, SILVER)
    vline(img, TIPS_DIVIDER, 1, h - 2, DARK_GREEN)

    # Go-button centred in the left cell: green disc, lighter rim on the upper
    # left for a little depth, white arrow pointing right.
    cell = (1, 1, TIPS_DIVIDER, h - 2)  # x 1..29, y 1..41 inside the frame
    cx = (cell[0] + cell[2]) // 2        # 15
    cy = (cell[1] + cell[3]) // 2        # 21
    rad = 12
    disc = (cx - rad, cy - rad, cx + rad + 1, cy + rad + 1)
    fill_ellipse(img, disc, DARK_GREEN)
    # A one-pixel lime arc just inside the rim on the upper left: the light
    # catching a raised button.
    outer = (disc[0] + 1, disc[1] + 1, disc[2] - 1, disc[3] - 1)
    inner = (disc[0] + 2, disc[1] + 2, disc[2] - 2, disc[3] - 2)
    ocx, ocy = (outer[0] + outer[2]) / 2.0, (outer[1] + outer[3]) / 2.0
    orad, irad = (outer[2] - outer[0]) / 2.0, (inner[2] - inner[0]) / 2.0
    for y in range(outer[1], outer[3]):
        for x in range(outer[0], outer[2]):
            px, py = x + 0.5, y + 0.5
            on_ring = (inside_ellipse(px, py, ocx, ocy, orad, orad)
                       and not inside_ellipse(px, py, ocx, ocy, irad, irad))
            if on_ring and (px - ocx) + (py - ocy) < -4.0:
                img[y][x] = LIME
    # Arrow: a shaft and a triangular head, centred on the disc.
    fill_rect(img, (cx - 7, cy - 2, cx + 1, cy + 3), WHITE)
    fill_polygon(img, [(cx + 0, cy - 7.0), (cx + 8.0, cy + 0.5), (cx + 0, cy + 8.0)], WHITE)

    # Labels: right-aligned a little short of the value column.
    for text, top in (("X,Y:", 5), ("RGB:", 26)):
        x = TIPS_LABEL_RIGHT - text_width(text, LABEL_FONT)
        draw_glyphs(img, x, top, text, LABEL_FONT, NAVY)
    return bmp_file(img, 4, VGA16)


# ---------------------------------------------------------------------------
# The main window's skin, 411 x 175, 24 bits. The application cuts away every
# pixel of the key colour found at (0, 0), so the two panels below must be
# painted exactly over the rows of SKIN_ROWS and nothing else may use the key
# colour. The three button pictures sit over the application's hot rectangles
# (350 + 17 i .. 364 + 17 i, 15 .. 29), which they cover with a pixel or two to
# spare.

SKIN_SIZE = (411, 175)
SKIN_KEY = (0, 174, 239)
# (rows, left panel x range, right panel x range), ranges inclusive.
SKIN_ROWS = [
    ((1, 173), (5, 103), (115, 405)),
    ((2, 172), (3, 105), (113, 407)),
    ((3, 4, 170, 171), (2, 106), (112, 408)),
    (tuple(range(5, 170)), (1, 107), (111, 409)),
]
SKIN_BUTTONS = [("settings", (347, 15)), ("about", (366, 15)), ("hide", (385, 15))]
TITLE_BAND_BOTTOM = 44  # first row of the right panel below the title band

LEFT_TOP = (54, 64, 82)
LEFT_BOTTOM = (31, 37, 50)
PANEL_EDGE = (17, 21, 30)
BAND_TOP = (28, 98, 170)
BAND_BOTTOM = (14, 60, 118)
BODY_TOP = (243, 246, 250)
BODY_BOTTOM = (211, 221, 234)


def skin_spans(y):
    """The painted x ranges of skin row y (inclusive), left panel first."""
    for rows, left, right in SKIN_ROWS:
        if y in rows:
            return [left, right]
    return []


def mix(a, b, t):
    return tuple(int(a[c] + (b[c] - a[c]) * t + 0.5) for c in range(3))


def cover(img, rect, test, colour, sub=SUB):
    """Blends colour over the pixels of rect by the share of supersamples
    (sub x sub per pixel) for which test(x, y) holds."""
    l, t, r, b = rect
    samples = [(k + 0.5) / sub for k in range(sub)]
    for y in range(max(t, 0), min(b, len(img))):
        for x in range(max(l, 0), min(r, len(img[0]))):
            n = 0
            for sy in samples:
                for sx in samples:
                    if test(x + sx, y + sy):
                        n += 1
            if n:
                img[y][x] = mix(img[y][x], colour, n / float(sub * sub))


def segment_distance(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    d2 = dx * dx + dy * dy
    t = 0.0 if d2 == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / d2))
    qx, qy = x0 + t * dx - px, y0 + t * dy - py
    return (qx * qx + qy * qy) ** 0.5


def arc(cx, cy, rx, ry, a0, a1, steps=24):
    """Points of an elliptic arc from angle a0 to a1 in degrees (y grows down,
    so -90 is the top)."""
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * k / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * k / steps)))
            for k in range(steps + 1)]


def stroke_test(polylines, width, dots=()):
    """Point test for round-capped strokes along polylines plus filled dots."""
    half = width / 2.0
    segs = []
    for pts in polylines:
        for a, b in zip(pts, pts[1:]):
            segs.append((a[0], a[1], b[0], b[1]))
    boxes = [(min(s[0], s[2]) - half, min(s[1], s[3]) - half,
              max(s[0], s[2]) + half, max(s[1], s[3]) + half) for s in segs]

    def test(px, py):
        for (cx, cy, r) in dots:
            if (px - cx) ** 2 + (py - cy) ** 2 <= r * r:
                return True
        for s, (l, t, r, b) in zip(segs, boxes):
            if l <= px <= r and t <= py <= b and segment_distance(px, py, *s) <= half:
                return True
        return False

    return test


# The title face: strokes on stroke centres, in a 20-pixel-high box whose
# baseline is row 20 (x-height 13). Each glyph: advance, polylines, dots.
TITLE_STROKE = 3.2
_H = TITLE_STROKE / 2
TITLE_FACE = {
    "V": (14.5, [[(1.4, _H), (7.25, 20 - _H), (13.1, _H)]], []),
    "i": (3.2, [[(_H, 8.6), (_H, 20 - _H)]], [(_H, 3.0, 2.0)]),
    "s": (10.0, [arc(5.0, 11.0, 3.4, 2.4, -25, -270) + arc(5.0, 15.8, 3.4, 2.4, -90, 155)], []),
    "t": (8.2, [[(3.0, 3.2), (3.0, 15.4)] + arc(6.0, 15.4, 3.0, 20 - _H - 15.4, 180, 90)
                + [(7.8, 20 - _H)], [(0.2, 8.6), (7.6, 8.6)]], []),
    "r": (8.0, [[(_H, 8.6), (_H, 20 - _H)], arc(6.9, 13.4, 5.2, 13.4 - 8.6, 180, 270)
                + [(7.9, 8.8)]], []),
    "e": (11.6, [arc(5.8, 13.3, 4.7, 4.7, 0, -318), [(1.1, 13.3), (10.5, 13.3)]], []),
    "l": (3.2, [[(_H, _H), (_H, 20 - _H)]], []),
}
TITLE_GAP = 2.2


def draw_title(img, x, y, text, colour, scale=1.0):
    """Draws text in the title face with its top-left corner at x, y."""
    for ch in text:
        adv, lines, dots = TITLE_FACE[ch]
        lines = [[(x + px * scale, y + py * scale) for px, py in pts] for pts in lines]
        dots = [(x + cx * scale, y + cy * scale, r * scale) for cx, cy, r in dots]
        test = stroke_test(lines, TITLE_STROKE * scale, dots)
        cover(img, (int(x) - 2, int(y) - 2, int(x + (adv + 2) * scale) + 2, int(y + 21 * scale) + 2),
              test, colour)
        x += (adv + TITLE_GAP) * scale
    return x


# Capitals 5 x 7 for the small caption under the title.
CAPTION_FONT = {
    "S": [".###.", "#....", "#....", ".###.", "....#", "....#", "###.."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    " ": ["...", "...", "...", "...", "...", "...", "..."],
}


def draw_button_picture(img, kind, x0, y0):
    """A 16 x 16 picture: a soft rounded plate with a white glyph."""
    plate = lambda px, py: rounded_rect_distance(px, py, x0, y0, x0 + 16, y0 + 16, 3.5) <= 0
    rim = lambda px, py: -1.0 < rounded_rect_distance(px, py, x0, y0, x0 + 16, y0 + 16, 3.5) <= 0
    box = (x0, y0, x0 + 16, y0 + 16)
    cover(img, box, plate, (70, 140, 210))
    cover(img, box, rim, (150, 196, 240))
    cx, cy = x0 + 8.0, y0 + 8.0
    if kind == "settings":
        def gear(px, py):
            d = ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5
            a = math.atan2(py - cy, px - cx)
            tooth = math.cos(8 * a) > 0.1  # eight teeth
            outer = 6.2 if tooth else 4.6
            return 2.0 < d <= outer
        cover(img, box, gear, WHITE)
    elif kind == "about":
        ring = lambda px, py: 4.9 <= ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5 <= 6.4
        cover(img, box, ring, WHITE)
        cover(img, box, stroke_test([[(cx, cy - 0.6), (cx, cy + 2.8)]], 1.7, [(cx, cy - 3.1, 1.0)]), WHITE)
    elif kind == "hide":
        # An arrow down into a tray.
        cover(img, box, stroke_test([[(cx, y0 + 3.2), (cx, y0 + 9.6)],
                                     [(cx - 3.3, y0 + 6.6), (cx, y0 + 9.9), (cx + 3.3, y0 + 6.6)]],
                                    1.8), WHITE)
        cover(img, box, stroke_test([[(x0 + 3.2, y0 + 10.2), (x0 + 3.2, y0 + 12.6), (x0 + 12.8, y0 + 12.6),
                                      (x0 + 12.8, y0 + 10.2)]], 1.5), WHITE)


def draw_left_panel(img):
    """A dark panel carrying the 28 drawing colours as paint chips, 4 x 7."""
    w, h = 18, 14
    gx, gy = 6, 7
    x0 = 1 + (107 - (4 * w + 3 * gx)) // 2
    y0 = 1 + (173 - (7 * h + 6 * gy)) // 2
    colours = [c for row in SWATCH_COLOURS for c in row]
    # Lightest first: the chips darken toward the bottom of the panel.
    colours.sort(key=lambda c: -(0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2]))
    for k, colour in enumerate(colours):
        col, row = k % 4, k // 4
        l, t = x0 + col * (w + gx), y0 + row * (h + gy)

        def chip(px, py, l=l, t=t, grow=0.0, dx=0, dy=0):
            return rounded_rect_distance(px - dx, py - dy, l, t, l + w, t + h, 2.5) <= grow

        around = (l - 2, t - 2, l + w + 3, t + h + 4)
        cover(img, around, lambda px, py: chip(px, py, dx=1, dy=2, grow=0.5), (12, 14, 20))
        cover(img, around, lambda px, py: chip(px, py, grow=1.0), (90, 100, 120))
        cover(img, around, chip, colour)
        # A sheen across the chip's upper part.
        cover(img, around, lambda px, py: chip(px, py) and py < t + 4.0, mix(colour, WHITE, 0.25))


def make_skin_image():
    w, h = SKIN_SIZE
    img = canvas(w, h, SKIN_KEY)
    inside = [[False] * w for _ in range(h)]
    for y in range(h):
        for x0, x1 in skin_spans(y):
            for x in range(x0, x1 + 1):
                inside[y][x] = True

    def left(x):
        return x <= 107

    for y in range(h):
        f = (y - 1) / 172.0
        for x in range(w):
            if not inside[y][x]:
                continue
            if left(x):
                img[y][x] = mix(LEFT_TOP, LEFT_BOTTOM, f)
            elif y < TITLE_BAND_BOTTOM:
                img[y][x] = mix(BAND_TOP, BAND_BOTTOM, (y - 1) / float(TITLE_BAND_BOTTOM - 1))
            else:
                img[y][x] = mix(BODY_TOP, BODY_BOTTOM, (y - TITLE_BAND_BOTTOM) / float(173 - TITLE_BAND_BOTTOM))

    draw_left_panel(img)

    # Title band: title, caption and the three buttons.
    draw_title(img, 124, 11, "Vistrel", WHITE, 1.05)
    draw_glyphs(img, 219, 22, "SCREEN CAPTURE", CAPTION_FONT, (150, 196, 240))
    for kind, (bx, by) in SKIN_BUTTONS:
        draw_button_picture(img, kind, bx, by)
    # A bright rule under the band, a shade under it.
    for x in range(111, 410):
        if inside[TITLE_BAND_BOTTOM][x]:
            img[TITLE_BAND_BOTTOM][x] = (120, 176, 230)
            img[TITLE_BAND_BOTTOM + 1][x] = mix(img[TITLE_BAND_BOTTOM + 1][x], (150, 160, 175), 0.5)

    draw_tools_artwork(img)

    # Panel edges: a dark outline on the outermost painted pixels, a faint
    # highlight just inside the top and left.
    for y in range(h):
        for x in range(w):
            if not inside[y][x]:
                continue
            out = lambda a, b: not (0 <= a < w and 0 <= b < h and inside[b][a])
            if out(x - 1, y) or out(x + 1, y) or out(x, y - 1) or out(x, y + 1):
                img[y][x] = PANEL_EDGE
            elif out(x - 1, y - 1) or out(x + 1, y - 1) or out(x - 1, y + 1) or out(x + 1, y + 1):
                img[y][x] = mix(img[y][x], PANEL_EDGE, 0.5)

    for y in range(h):
        for x in range(w):
            if inside[y][x] and img[y][x] == SKIN_KEY:
                raise ValueError("skin pixel (%d,%d) has the key colour" % (x, y))
            if not inside[y][x]:
                img[y][x] = SKIN_KEY
    return img


def draw_tools_artwork(img):
    """The body of the right panel: a sheet with drawings and a selection, and a pencil."""
    # The sheet, with a soft shadow.
    sl, st, sr, sb = 126, 57, 296, 160
    shadow = lambda px, py: rounded_rect_distance(px, py, sl + 2, st + 3, sr + 2, sb + 3, 3.0) <= 0
    cover(img, (sl, st, sr + 4, sb + 5), shadow, (160, 172, 190))
    fill_rect(img, (sl, st, sr, sb), WHITE)
    frame_rect(img, (sl, st, sr, sb), (176, 188, 206))

    # Drawings: a red ellipse, a blue rectangle, a green stroke.
    ring = lambda px, py: 0.86 <= ((px - 170) / 30.0) ** 2 + ((py - 95) / 21.0) ** 2 <= 1.0
    cover(img, (138, 72, 203, 119), ring, (220, 40, 40))
    rect_stroke = stroke_test([[(196, 104), (262, 104), (262, 146), (196, 146), (196, 104)]], 2.0)
    cover(img, (193, 101, 266, 150), rect_stroke, (36, 90, 200))
    cover(img, (138, 110, 200, 152), stroke_test([[(142, 147), (160, 131), (174, 138), (194, 116)]], 2.2),
          (30, 150, 60))

    # A selection around part of the sheet: marching ants and eight handles.
    ql, qt, qr, qb = 188, 68, 282, 152
    for x in range(ql, qr + 1):
        for y in (qt, qb):
            img[y][x] = (20, 20, 20) if (x // 3) % 2 == 0 else WHITE
    for y in range(qt, qb + 1):
        for x in (ql, qr):
            img[y][x] = (20, 20, 20) if (y // 3) % 2 == 0 else WHITE
    mx, my = (ql + qr) // 2, (qt + qb) // 2
    for hx in (ql, mx, qr):
        for hy in (qt, my, qb):
            if (hx, hy) == (mx, my):
                continue
            fill_rect(img, (hx - 2, hy - 2, hx + 3, hy + 3), WHITE)
            frame_rect(img, (hx - 2, hy - 2, hx + 3, hy + 3), (28, 98, 170))

    # A pencil lying across the right of the body, point down to the left.
    ax, ay, bx, by = 392.0, 66.0, 318.0, 152.0   # back end, point
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length  # along, toward the point
    nx, ny = -uy, ux
    half = 6.0

    def local(px, py):
        dx, dy = px - ax, py - ay
        return dx * ux + dy * uy, dx * nx + dy * ny

    def part(s0, s1, taper=False):
        def test(px, py):
            s, n = local(px, py)
            if not (s0 <= s <= s1):
                return False
            lim = half * (s1 - s) / (s1 - s0) if taper else half
            return abs(n) <= lim
        return test

    box = (int(min(ax, bx)) - 10, int(min(ay, by)) - 10, int(max(ax, bx)) + 10, int(max(ay, by)) + 10)
    shadow_t = lambda px, py: part(0, length - 1)(px - 3, py - 3)
    cover(img, box, shadow_t, (170, 180, 196))
    cover(img, box, part(0, 10), (232, 122, 140))          # eraser
    cover(img, box, part(10, 16), (178, 182, 190))         # ferrule
    cover(img, box, lambda px, py: part(10, 16)(px, py) and abs(local(px, py)[0] - 13) < 0.6, (120, 124, 132))
    cover(img, box, part(16, length - 22), (250, 196, 40))  # body
    cover(img, box, lambda px, py: part(16, length - 22)(px, py) and local(px, py)[1] > 2.0, (226, 160, 20))
    cover(img, box, lambda px, py: part(16, length - 22)(px, py) and local(px, py)[1] < -2.0, (255, 224, 110))
    cover(img, box, part(length - 22, length, True), (238, 206, 160))   # wood
    cover(img, box, lambda px, py: part(length - 22, length, True)(px, py) and local(px, py)[0] > length - 8,
          (50, 50, 56))  # graphite

    # A capture cross-hair over the sheet's lower right.
    cxh, cyh = 246, 86
    cover(img, (cxh - 12, cyh - 12, cxh + 13, cyh + 13),
          stroke_test([[(cxh - 10, cyh + 0.5), (cxh - 3, cyh + 0.5)], [(cxh + 4, cyh + 0.5), (cxh + 11, cyh + 0.5)],
                       [(cxh + 0.5, cyh - 10), (cxh + 0.5, cyh - 3)], [(cxh + 0.5, cyh + 4), (cxh + 0.5, cyh + 11)]],
                      1.4), (20, 20, 20))


def make_skin():
    return bmp_file(make_skin_image(), 24)


def main():
    os.makedirs(ART_DIR, exist_ok=True)
    for name, data in (("vistrel.ico", make_icon()), ("palette.bmp", make_palette()),
                       ("tips.bmp", make_tips()), ("skin.bmp", make_skin())):
        with open(os.path.join(ART_DIR, name), "wb") as f:
            f.write(data)
        print("%s: %d bytes" % (name, len(data)))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
