#!/usr/bin/env python3
"""Checks the art compiled into the shipped binaries.

usage: check_art.py BIN_DIR   (the folder holding Vistrel.exe and Vistrel.dll)

Reads the resource section of the PE files directly: the palette and tips
bitmaps of Vistrel.dll, whose pixels the capture library paints over at fixed
places, the skin of Vistrel.exe, whose key colour shapes the main window, and
the two icon groups of Vistrel.exe with the images they name.
"""
import os
import struct
import sys

RT_ICON, RT_BITMAP, RT_GROUP_ICON = 3, 2, 14
IDB_TIPS, IDB_PALETTE = 101, 131
IDB_SKIN = 132
IDI_VISTREL, IDI_SMALL = 107, 108

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
YELLOW = (255, 255, 0)
DARK_GREEN = (0, 128, 0)

SWATCH_COLOURS = [
    [(0, 0, 0), (128, 128, 128), (128, 0, 0), (128, 128, 0), (0, 128, 0), (0, 128, 128),
     (0, 0, 128), (128, 0, 128), (128, 128, 64), (0, 64, 64), (0, 128, 255), (0, 64, 128),
     (128, 0, 255), (128, 64, 0)],
    [(255, 255, 255), (192, 192, 192), (255, 0, 0), (255, 255, 0), (0, 255, 0), (0, 255, 255),
     (0, 0, 255), (255, 0, 255), (255, 255, 128), (0, 255, 128), (128, 255, 255),
     (128, 128, 255), (255, 0, 128), (255, 128, 64)],
]
# Tool buttons of the palette and, for each, where the library draws its dotted
# frame; the black glyph must keep clear of that frame.
BUTTONS = [("line", (263, 9, 283, 40), (264, 12, 282, 39)),
           ("rectangle", (283, 9, 304, 40), (284, 12, 303, 39)),
           ("ellipse", (304, 9, 325, 40), (305, 12, 324, 39)),
           ("select", (325, 9, 344, 40), (326, 12, 343, 39))]
# The main window's skin: the key colour the application cuts away and, for each
# row, the x ranges (inclusive) of the left and right panels that stay.
SKIN_KEY = (0, 174, 239)
SKIN_PANEL_ROWS = [
    ((1, 173), (5, 103), (115, 405)),
    ((2, 172), (3, 105), (113, 407)),
    ((3, 4, 170, 171), (2, 106), (112, 408)),
    (range(5, 170), (1, 107), (111, 409)),
]
# The application's hot rectangles (right and bottom excluded) and the 16 x 16
# pictures the skin shows for them.
SKIN_HOT = [(350 + 17 * i, 15, 365 + 17 * i, 30) for i in range(3)]
SKIN_PICTURES = [(x, 15, x + 16, 31) for x in (347, 366, 385)]
# (width, bit count) of every image both icon groups must list.
ICON_IMAGES = sorted([(32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (16, 32), (32, 24)])


REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Failure(Exception):
    pass


# --- PE resources ---------------------------------------------------------

def read_resources(path):
    """Returns {type: {id: bytes}} for the numbered resources of a PE file
    (first language of each)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        raise Failure("%s: not an MZ file" % path)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise Failure("%s: no PE signature" % path)
    nsections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    res_rva, res_size = struct.unpack_from("<II", data, dirs + 2 * 8)
    if res_rva == 0:
        raise Failure("%s: no resource directory" % path)
    sections = []
    for i in range(nsections):
        s = opt + opt_size + 40 * i
        vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
        sections.append((va, max(vsize, rawsize), rawptr))

    def offset(rva):
        for va, size, rawptr in sections:
            if va <= rva < va + size:
                return rawptr + rva - va
        raise Failure("%s: RVA 0x%x lies in no section" % (path, rva))

    base = offset(res_rva)

    def entries(dir_off):
        named, ids = struct.unpack_from("<HH", data, base + dir_off + 12)
        out = []
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + dir_off + 16 + 8 * i)
            if name & 0x80000000:
                continue  # string names: not used by Vistrel
            out.append((name, target))
        return out

    result = {}
    for rtype, t in entries(0):
        if not t & 0x80000000:
            continue
        for rid, n in entries(t & 0x7FFFFFFF):
            if not n & 0x80000000:
                continue
            langs = entries(n & 0x7FFFFFFF)
            if not langs:
                continue
            leaf = langs[0][1]
            rva, size = struct.unpack_from("<II", data, base + leaf)
            start = offset(rva)
            result.setdefault(rtype, {})[rid] = data[start:start + size]
    return result


# --- DIBs -------------------------------------------------------------------

class Dib:
    """A packed DIB (BITMAPINFOHEADER, colour table, bits) as a BITMAP
    resource stores it, i.e. a .bmp file without its 14-byte file header."""

    def __init__(self, blob, name):
        if len(blob) < 40:
            raise Failure("%s: %d bytes, too short for a BITMAPINFOHEADER" % (name, len(blob)))
        (size, self.width, self.height, planes, self.bpp, self.compression, _, _, _,
         used, _) = struct.unpack_from("<IiiHHIIiiII", blob, 0)
        if size != 40:
            raise Failure("%s: header size %d, expected 40" % (name, size))
        self.colours = used or ((1 << self.bpp) if self.bpp <= 8 else 0)
        table = []
        for i in range(self.colours):
            b, g, r, _ = struct.unpack_from("<BBBB", blob, 40 + 4 * i)
            table.append((r, g, b))
        self.table = table
        self.bits_at = 40 + 4 * self.colours
        self.stride = ((self.width * self.bpp + 31) // 32) * 4
        self.blob = blob
        self.name = name
        need = self.bits_at + self.stride * abs(self.height)
        if len(blob) < need:
            raise Failure("%s: %d bytes, the pixels need %d" % (name, len(blob), need))

    def pixel(self, x, y):
        """(r, g, b) at x, y counted from the top-left corner."""
        row = self.height - 1 - y if self.height > 0 else y
        at = self.bits_at + row * self.stride
        if self.bpp == 24:
            b, g, r = self.blob[at + 3 * x:at + 3 * x + 3]
            return (r, g, b)
        if self.bpp == 4:
            byte = self.blob[at + x // 2]
            return self.table[(byte >> 4) if x % 2 == 0 else (byte & 15)]
        raise Failure("%s: no pixel reader for %d bpp" % (self.name, self.bpp))


# --- the checks ---------------------------------------------------------------

class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL: " + what)


def rect_pixels(rect):
    l, t, r, b = rect
    for y in range(t, b):
        for x in range(l, r):
            yield x, y


def expect_rect(c, dib, rect, colour, what):
    """Every pixel of rect must be colour; reports the first one that is not."""
    for x, y in rect_pixels(rect):
        got = dib.pixel(x, y)
        if got != colour:
            c.check(False, "%s: pixel (%d,%d) is %r, expected %r" % (what, x, y, got, colour))
            return
    c.check(True, what)


def check_palette(c, dib):
    c.check((dib.width, dib.height) == (348, 51),
            "palette is %dx%d, expected 348x51 bottom-up" % (dib.width, dib.height))
    c.check(dib.bpp == 24 and dib.compression == 0,
            "palette has %d bpp, compression %d, expected 24 bpp BI_RGB"
            % (dib.bpp, dib.compression))
    if (dib.width, dib.height, dib.bpp) != (348, 51, 24):
        return
    for r, colours in enumerate(SWATCH_COLOURS):
        for k, colour in enumerate(colours):
            rect = (35 + 16 * k, 11 + 16 * r, 46 + 16 * k, 22 + 16 * r)
            expect_rect(c, dib, rect, colour, "swatch %d of row %d, %r" % (k, r, rect))
            # The frame is outside the swatch: the pixel left of it is not the
            # swatch colour unless the colour happens to match the frame.
            l, t, rr, b = rect
            c.check(dib.pixel(l - 1, t) != colour or colour == (128, 128, 128),
                    "swatch %d of row %d has no frame on its left" % (k, r))
    expect_rect(c, dib, (4, 11, 30, 38), WHITE, "current-colour box interior")
    frame = [(x, 10) for x in range(3, 31)] + [(x, 38) for x in range(3, 31)] + \
            [(3, y) for y in range(10, 39)] + [(30, y) for y in range(10, 39)]
    bad = [(x, y) for x, y in frame if dib.pixel(x, y) != BLACK]
    c.check(not bad, "current-colour box frame not black at %r" % (bad[:3],))
    for name, button, focus in BUTTONS:
        fl, ft, fr, fb = focus
        black = [(x, y) for x, y in rect_pixels(button) if dib.pixel(x, y) == BLACK]
        c.check(len(black) >= 10, "%s button shows no glyph (%d black pixels)"
                % (name, len(black)))
        # The dotted frame runs along fl, ft, fr-1, fb-1; the glyph stays inside.
        outside = [(x, y) for x, y in black if not (fl < x < fr - 1 and ft < y < fb - 1)]
        c.check(not outside, "%s glyph touches the focus frame at %r" % (name, outside[:3]))


def check_tips(c, dib):
    c.check((dib.width, dib.height) == (184, 44),
            "tips panel is %dx%d, expected 184x44 bottom-up" % (dib.width, dib.height))
    c.check(dib.bpp == 4 and dib.colours == 16 and dib.compression == 0,
            "tips panel has %d bpp, %d colours, compression %d; expected 4, 16, BI_RGB"
            % (dib.bpp, dib.colours, dib.compression))
    if (dib.width, dib.height, dib.bpp) != (184, 44, 4):
        return
    c.check(dib.pixel(66, 1) == YELLOW, "tips pixel (66,1) is %r, expected yellow"
            % (dib.pixel(66, 1),))
    expect_rect(c, dib, (66, 1, 180, 40), YELLOW, "tips value area x 66..179, y 1..39")
    border = [(x, 0) for x in range(184)] + [(x, 43) for x in range(184)] + \
             [(0, y) for y in range(44)] + [(183, y) for y in range(44)]
    bad = [(x, y) for x, y in border if dib.pixel(x, y) != DARK_GREEN]
    c.check(not bad, "tips border not dark green at %r" % (bad[:3],))
    labels = [(x, y) for x, y in rect_pixels((31, 1, 64, 41)) if dib.pixel(x, y) == (0, 0, 128)]
    c.check(any(y < 21 for _, y in labels) and any(y >= 21 for _, y in labels),
            "tips labels missing from the upper or lower half")


def skin_panels(y):
    for rows, left, right in SKIN_PANEL_ROWS:
        if y in rows:
            return [left, right]
    return []


def check_skin(c, dib):
    c.check((dib.width, dib.height) == (411, 175),
            "skin is %dx%d, expected 411x175 bottom-up" % (dib.width, dib.height))
    c.check(dib.bpp == 24 and dib.compression == 0,
            "skin has %d bpp, compression %d, expected 24 bpp BI_RGB" % (dib.bpp, dib.compression))
    if (dib.width, dib.height, dib.bpp) != (411, 175, 24):
        return
    c.check(dib.pixel(0, 0) == SKIN_KEY, "skin pixel (0,0) is %r, expected the key colour %r"
            % (dib.pixel(0, 0), SKIN_KEY))
    # The points the shape is known by: key colour outside, anything else inside.
    for x, y, inside in ((1, 5, True), (0, 5, False), (108, 50, False), (107, 50, True),
                         (111, 50, True), (4, 1, False), (5, 1, True), (410, 100, False),
                         (200, 0, False), (200, 174, False)):
        got = dib.pixel(x, y)
        c.check((got != SKIN_KEY) == inside, "skin pixel (%d,%d) is %r, expected %s"
                % (x, y, got, "a panel colour" if inside else "the key colour"))
    # Every row: key colour exactly outside the panels.
    for y in range(175):
        spans = skin_panels(y)
        wrong = [x for x in range(411)
                 if (dib.pixel(x, y) == SKIN_KEY) == any(a <= x <= b for a, b in spans)]
        c.check(not wrong, "skin row %d: key colour wrong at x %r (panels %r)" % (y, wrong[:4], spans))
    # The button pictures cover the hot rectangles and show a glyph on a plate:
    # more than two colours, no key colour.
    for hot, pic in zip(SKIN_HOT, SKIN_PICTURES):
        c.check(pic[0] <= hot[0] + 3 and hot[2] <= pic[2] + 3 and pic[1] <= hot[1] and hot[3] <= pic[3],
                "button picture %r does not lie over hot rectangle %r" % (pic, hot))
        colours = set(dib.pixel(x, y) for x, y in rect_pixels(pic))
        c.check(len(colours) > 2 and SKIN_KEY not in colours,
                "button picture %r: %d colours%s" % (pic, len(colours),
                                                      ", key colour" if SKIN_KEY in colours else ""))


def check_icon_group(c, res, gid):
    groups = res.get(RT_GROUP_ICON, {})
    if gid not in groups:
        c.check(False, "Vistrel.exe has no icon group %d" % gid)
        return
    blob = groups[gid]
    reserved, kind, count = struct.unpack_from("<HHH", blob, 0)
    c.check(reserved == 0 and kind == 1 and count == 8,
            "icon group %d: type %d, %d images; expected 1, 8"
            % (gid, kind, count))
    listed = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, nid = struct.unpack_from(
            "<BBBBHHIH", blob, 6 + 14 * i)
        listed.append((w, bits))
        c.check(w == h, "icon group %d image %d is %dx%d" % (gid, i, w, h))
        image = res.get(RT_ICON, {}).get(nid)
        if image is None:
            c.check(False, "icon group %d names missing icon %d" % (gid, nid))
            continue
        hsize, iw, ih, _, ibits = struct.unpack_from("<IiiHH", image, 0)
        c.check((hsize, iw, ih, ibits) == (40, w, 2 * w, bits),
                "icon %d: DIB header %dx%d %d bpp, group lists %dx%d %d bpp"
                % (nid, iw, ih, ibits, w, w, bits))
        # The AND mask is the last part of the image: the rounded corner is
        # transparent and the middle opaque.
        mask_stride = ((w + 31) // 32) * 4
        mask = image[len(image) - mask_stride * w:]

        def transparent(x, y):
            return (mask[(w - 1 - y) * mask_stride + x // 8] >> (7 - x % 8)) & 1

        c.check(transparent(0, 0) and not transparent(w // 2, w // 2),
                "icon %d (%dx%d, %d bpp): mask corner/centre wrong" % (nid, w, w, bits))
    c.check(sorted(listed) == ICON_IMAGES, "icon group %d lists %r, expected %r"
            % (gid, sorted(listed), ICON_IMAGES))


def check_sources(c, dll, exe):
    """The binaries must carry the committed art, and the committed art must be
    what res/make_art.py draws today: a stale resource object or a script
    edited without regenerating both show up here."""
    art = os.path.join(REPO, "res", "art")
    sys.path.insert(0, os.path.join(REPO, "res"))
    sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
    import make_art
    drawn = {"palette.bmp": make_art.make_palette(), "tips.bmp": make_art.make_tips(),
             "vistrel.ico": make_art.make_icon(), "skin.bmp": make_art.make_skin()}
    for name, data in sorted(drawn.items()):
        with open(os.path.join(art, name), "rb") as f:
            committed = f.read()
        c.check(committed == data, "res/art/%s differs from what res/make_art.py draws "
                "(run python3 res/make_art.py)" % name)
    for name, rid in (("palette.bmp", IDB_PALETTE), ("tips.bmp", IDB_TIPS)):
        with open(os.path.join(art, name), "rb") as f:
            committed = f.read()
        c.check(dll.get(RT_BITMAP, {}).get(rid) == committed[14:],
                "bitmap %d in Vistrel.dll is not res/art/%s (stale build?)" % (rid, name))
    with open(os.path.join(art, "skin.bmp"), "rb") as f:
        committed = f.read()
    c.check(exe.get(RT_BITMAP, {}).get(IDB_SKIN) == committed[14:],
            "bitmap %d in Vistrel.exe is not res/art/skin.bmp (stale build?)" % IDB_SKIN)
    # Each icon image of the group is one image of the .ico file.
    with open(os.path.join(art, "vistrel.ico"), "rb") as f:
        ico = f.read()
    count = struct.unpack_from("<H", ico, 4)[0]
    files = set()
    for i in range(count):
        size, at = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
        files.add(ico[at:at + size])
    built = set(exe.get(RT_ICON, {}).values())
    c.check(files <= built, "Vistrel.exe lacks %d of the images of res/art/vistrel.ico "
            "(stale build?)" % len(files - built))


def main(argv):
    if len(argv) != 2:
        print("usage: check_art.py BIN_DIR")
        return 2
    c = Checks()
    try:
        dll = read_resources(os.path.join(argv[1], "Vistrel.dll"))
        bitmaps = dll.get(RT_BITMAP, {})
        for rid, check in ((IDB_PALETTE, check_palette), (IDB_TIPS, check_tips)):
            if rid in bitmaps:
                check(c, Dib(bitmaps[rid], "bitmap %d" % rid))
            else:
                c.check(False, "Vistrel.dll has no bitmap %d" % rid)
        exe = read_resources(os.path.join(argv[1], "Vistrel.exe"))
        if IDB_SKIN in exe.get(RT_BITMAP, {}):
            check_skin(c, Dib(exe[RT_BITMAP][IDB_SKIN], "bitmap %d" % IDB_SKIN))
        else:
            c.check(False, "Vistrel.exe has no bitmap %d" % IDB_SKIN)
        for gid in (IDI_VISTREL, IDI_SMALL):
            check_icon_group(c, exe, gid)
        check_sources(c, dll, exe)
    except (Failure, OSError, struct.error) as e:
        c.check(False, str(e))
    print("%d passed, %d failed" % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
