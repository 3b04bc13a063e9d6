#!/usr/bin/env python3
"""Draws Vistrel's resource art: res/art/vistrel.ico, palette.bmp and tips.bmp.

Run from anywhere: python3 res/make_art.py. Standard library only, and the
output is byte-for-byte the same on every run, so the files in the repo can be
compared against a fresh run. The geometry of the palette and tips panels is
shared with the capture library (it paints into these rectangles at run time),
so the constants below are the ones tests/pe/check_art.py checks.
"""
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


def main():
    os.makedirs(ART_DIR, exist_ok=True)
    for name, data in (("vistrel.ico", make_icon()), ("palette.bmp", make_palette()),
                       ("tips.bmp", make_tips())):
        with open(os.path.join(ART_DIR, name), "wb") as f:
            f.write(data)
        print("%s: %d bytes" % (name, len(data)))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
