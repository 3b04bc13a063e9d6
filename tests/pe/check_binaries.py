#!/usr/bin/env python3
"""Checks the shipped 32-bit binaries as files: machine and format, the capture
library's exports and its shared section, the encoder's export, and that nothing
but system libraries is imported.

usage: check_binaries.py BIN_DIR
"""
import os
import struct
import sys
from xml.etree import ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_art import read_resources  # noqa: E402

RT_MENU, RT_DIALOG, RT_STRING, RT_ACCELERATOR, RT_VERSION, RT_MANIFEST = 4, 5, 6, 9, 16, 24

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll",
               "ole32.dll", "windowscodecs.dll", "oleaut32.dll", "advapi32.dll"}

passed = 0
failed = 0


def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL:", what)


class PE:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        d = self.data
        self.pe = struct.unpack_from("<I", d, 0x3C)[0]
        self.signature = d[self.pe:self.pe + 4]
        self.machine, self.nsections = struct.unpack_from("<HH", d, self.pe + 4)
        optsize = struct.unpack_from("<H", d, self.pe + 20)[0]
        self.characteristics = struct.unpack_from("<H", d, self.pe + 22)[0]
        opt = self.pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        self.subsystem = struct.unpack_from("<H", d, opt + 68)[0]
        ndirs = struct.unpack_from("<I", d, opt + 92)[0]
        self.dirs = [struct.unpack_from("<II", d, opt + 96 + 8 * i) for i in range(ndirs)]
        self.sections = []
        off = opt + optsize
        for i in range(self.nsections):
            name, vsize, va, rsize, rptr = struct.unpack_from("<8sIIII", d, off + 40 * i)
            chars = struct.unpack_from("<I", d, off + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), vsize, va, rsize, rptr, chars))

    def section(self, name):
        for s in self.sections:
            if s[0] == name:
                return s
        return None

    def rva_to_off(self, rva):
        for name, vsize, va, rsize, rptr, chars in self.sections:
            if va <= rva < va + max(vsize, rsize):
                return rva - va + rptr
        raise ValueError("rva %x outside sections" % rva)

    def cstr(self, rva):
        off = self.rva_to_off(rva)
        return self.data[off:self.data.index(b"\0", off)].decode("latin-1")

    def exports(self):
        rva, size = self.dirs[0]
        if rva == 0:
            return {}
        d = self.data
        off = self.rva_to_off(rva)
        base, nfuncs, nnames, funcs, names, ords = struct.unpack_from("<IIIIII", d, off + 16)
        result = {}
        for i in range(nnames):
            name = self.cstr(struct.unpack_from("<I", d, self.rva_to_off(names) + 4 * i)[0])
            ordinal = base + struct.unpack_from("<H", d, self.rva_to_off(ords) + 2 * i)[0]
            result[name] = ordinal
        self.export_count = nfuncs
        return result

    def imports(self):
        rva, size = self.dirs[1]
        found = []
        off = self.rva_to_off(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, off)
            if entry[3] == 0:
                break
            found.append(self.cstr(entry[3]).lower())
            off += 20
        return found


def check_common(pe, name, dll):
    check(pe.signature == b"PE\0\0", name + ": PE signature")
    check(pe.machine == 0x14C, name + ": machine i386 (0x14C), found %#x" % pe.machine)
    check(pe.magic == 0x10B, name + ": PE32 optional header (0x10B), found %#x" % pe.magic)
    check(bool(pe.characteristics & 0x2000) == dll, name + ": DLL flag")
    if not dll:
        check(pe.subsystem == 2, name + ": Windows GUI subsystem")
    for lib in pe.imports():
        check(lib in SYSTEM_DLLS, name + ": imports only system libraries, found " + lib)
    check(pe.section(".rsrc") is not None, name + ": has resources")


def strings(res, first, count):
    """The string table entries first .. first+count-1 that exist."""
    found = {}
    for sid in range(first, first + count):
        block = res.get(RT_STRING, {}).get(sid // 16 + 1)
        if block is None:
            continue
        at = 0
        for index in range(16):
            length = struct.unpack_from("<H", block, at)[0]
            text = block[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            if index == sid % 16 and length:
                found[sid] = text
            at += 2 + 2 * length
    return found


def menu_items(blob):
    """(depth, id, caption) for each item of a standard menu template; separators have caption ''."""
    items = []
    at = 4
    depth = 0
    ends = []
    while at < len(blob):
        flags = struct.unpack_from("<H", blob, at)[0]
        at += 2
        item_id = None
        if not flags & 0x10:  # MF_POPUP
            item_id = struct.unpack_from("<H", blob, at)[0]
            at += 2
        end = at
        while blob[end:end + 2] != b"\0\0":
            end += 2
        caption = blob[at:end].decode("utf-16-le")
        at = end + 2
        items.append((depth, item_id, caption))
        if flags & 0x10:
            ends.append(bool(flags & 0x80))
            depth += 1
        elif flags & 0x80:  # MF_END closes the current popup
            depth -= 1
            while ends and ends.pop() and depth > 0:
                depth -= 1
            if depth == 0:
                break
    return items


def version_node(blob, at):
    """One node of a version resource: (key, value bytes, children, end offset)."""
    length, value_length, value_type = struct.unpack_from("<HHH", blob, at)
    end = at + length
    key_end = at + 6
    while blob[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = blob[at + 6:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    size = value_length * 2 if value_type == 1 else value_length
    value = blob[pos:pos + size]
    pos = (pos + size + 3) & ~3
    children = []
    while pos < end:
        child = version_node(blob, pos)
        children.append(child)
        pos = (child[3] + 3) & ~3
    return key, value, children, end


def version_strings(blob):
    """The StringFileInfo table of a version resource, {language block: {name: text}}."""
    key, _value, children, _end = version_node(blob, 0)
    tables = {}
    for child in children:
        if child[0] != "StringFileInfo":
            continue
        for table in child[2]:
            tables[table[0]] = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _c, _e in table[2]}
    return key, tables


def check_version(res, name, file_type, description):
    blob = res.get(RT_VERSION, {}).get(1, b"")
    at = blob.find(struct.pack("<I", 0xFEEF04BD))
    check(at >= 0, name + ": version resource 1 with fixed file info")
    if at < 0:
        return
    fields = struct.unpack_from("<13I", blob, at)
    check(fields[2:6] == (0x20000, 0, 0x20000, 0), name + ": file and product version 2.0.0.0")
    check(fields[8] == 4, name + ": operating system 32-bit Windows (VOS__WINDOWS32)")
    check(fields[9] == file_type, name + ": file type %d" % file_type)
    key, tables = version_strings(blob)
    check(key == "VS_VERSION_INFO", name + ": version resource root VS_VERSION_INFO, found %r" % key)
    expected = {
        "CompanyName": "The Vistrel developers",
        "Comments": "Captures a window, a control, a dragged rectangle or the annotated screen.",
        "FileDescription": description,
        "FileVersion": "2, 0, 0, 0",
        "InternalName": name,
        "LegalCopyright": "Copyright (C) 2026 The Vistrel developers",
        "OriginalFilename": name,
        "ProductName": "Vistrel",
        "ProductVersion": "2, 0, 0, 0",
    }
    check(list(tables) == ["040904b0"], name + ": one string table, US English Unicode, found %s" % list(tables))
    strings = tables.get("040904b0", {})
    check(strings == expected, name + ": version texts %s" % strings)


CONTROL_CLASSES = {0x80: "Button", 0x81: "Edit", 0x82: "Static", 0x83: "ListBox", 0x84: "ScrollBar",
                   0x85: "ComboBox"}


def dialog_template(blob):
    """A DLGTEMPLATEEX read into a dict: the dialog's fields and its items
    (id, class, style, ex-style, caption, (x, y, cx, cy)); ordinals as ints."""
    at = [0]

    def take(fmt):
        values = struct.unpack_from(fmt, blob, at[0])
        at[0] += struct.calcsize(fmt)
        return values

    def sz_or_ord():
        first = struct.unpack_from("<H", blob, at[0])[0]
        if first == 0xFFFF:
            return take("<HH")[1]
        end = at[0]
        while blob[end:end + 2] != b"\0\0":
            end += 2
        text = blob[at[0]:end].decode("utf-16-le")
        at[0] = end + 2
        return text

    def align():
        at[0] = (at[0] + 3) & ~3

    version, signature, _help, exstyle, style, count, x, y, cx, cy = take("<HHIIIHhhhh")
    if (version, signature) != (1, 0xFFFF):
        return None
    dialog = {"exstyle": exstyle, "style": style, "rect": (x, y, cx, cy), "menu": sz_or_ord(),
              "class": sz_or_ord(), "caption": sz_or_ord(), "font": None, "items": []}
    if style & 0x40:  # DS_SETFONT
        points, weight, italic, charset = take("<HHBB")
        dialog["font"] = (sz_or_ord(), points, weight, italic, charset)
    for _ in range(count):
        align()
        _help, item_ex, item_style, ix, iy, icx, icy, item_id = take("<IIIhhhhI")
        item_class = sz_or_ord()
        # Class names are case-insensitive; the compiler may store a name or an ordinal.
        item_class = CONTROL_CLASSES.get(item_class, item_class)
        for known in CONTROL_CLASSES.values():
            if isinstance(item_class, str) and item_class.lower() == known.lower():
                item_class = known
        caption = sz_or_ord()
        extra = take("<H")[0]
        at[0] += extra
        dialog["items"].append((item_id, item_class, item_style, item_ex, caption, (ix, iy, icx, icy)))
    return dialog


ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
WINDOWS_SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"


def manifest_settings(data):
    """The execution level (level, uiAccess) and the application's dpiAware text of
    a manifest resource; None for what it does not hold."""
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError:
        return None, None
    if root.tag != ASM_V1 + "assembly":
        return None, None
    level = root.find("./%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel" % ((ASM_V3,) * 4))
    aware = root.find("./%sapplication/%swindowsSettings/%sdpiAware" % (ASM_V3, ASM_V3, WINDOWS_SETTINGS_2005))
    return ((level.get("level"), level.get("uiAccess")) if level is not None else None,
            aware.text.strip() if aware is not None and aware.text else None)


CHILD = 0x50000000  # WS_CHILD | WS_VISIBLE
STATIC_ID = 0xFFFFFFFF  # IDC_STATIC (-1) as the template's 32-bit id
DIALOGS = {
    135: {"caption": "系统配置", "style": 0x80C800C8, "exstyle": 0x00000008, "rect": (0, 0, 239, 155),
          "font": ("MS Shell Dlg", 8), "items": [
              (1, "Button", CHILD | 0x10001, 0, "保存", (51, 126, 50, 14)),
              (2, "Button", CHILD | 0x10000, 0, "取消", (125, 126, 50, 14)),
              (STATIC_ID, "Button", CHILD | 0x7, 0, "输出选项", (7, 7, 225, 58)),
              (1001, "Button", CHILD | 0x9, 0, "*.BMP  图像文件", (31, 22, 72, 10)),
              (1002, "Button", CHILD | 0x9, 0, "*.JPG 图像文件", (31, 34, 69, 10)),
              (1003, "Button", CHILD | 0x10003, 0, "复制到剪贴板", (120, 22, 64, 10)),
              (STATIC_ID, "Static", CHILD | 0x20000, 0, "捕捉结果图片目录:", (11, 49, 68, 8)),
              (1004, "Edit", CHILD | 0x810080, 0, "", (80, 47, 152, 14)),
              (STATIC_ID, "Button", CHILD | 0x7, 0, "其他选项", (7, 71, 225, 40)),
              (1008, "Button", CHILD | 0x10003, 0, "自动启动", (20, 87, 48, 10)),
              (1010, "Button", CHILD | 0x10003, 0, "启动后自动最小化", (78, 88, 80, 10))]},
    103: {"caption": "版本信息", "style": 0x00C000C0, "exstyle": 0x00000400, "rect": (0, 0, 195, 85),
          "font": ("MS UI Gothic", 9), "items": [
              (2, "Static", CHILD | 0x3, 0, 107, (6, 11, 20, 20)),
              (STATIC_ID, "Static", CHILD, 0, "Vistrel", (37, 16, 90, 8)),
              (STATIC_ID, "Static", CHILD, 0, "Version 2.0", (117, 40, 50, 8)),
              (STATIC_ID, "Static", CHILD, 0, None, (117, 50, 78, 8)),
              (STATIC_ID, "Static", CHILD, 0, None, (107, 64, 86, 8)),
              (STATIC_ID, "Static", CHILD, 0, None, (107, 73, 86, 8))]},
}


def check_dialogs(exe):
    for rid, want in DIALOGS.items():
        name = "dialog %d" % rid
        blob = exe.get(RT_DIALOG, {}).get(rid)
        check(blob is not None, name + ": present")
        if blob is None:
            continue
        got = dialog_template(blob)
        check(got is not None, name + ": an extended dialog template")
        if got is None:
            continue
        for field in ("caption", "style", "exstyle", "rect"):
            check(got[field] == want[field], "%s: %s %r, found %r" % (name, field, want[field], got[field]))
        check(got["menu"] == "" and got["class"] == "", name + ": no menu and the standard dialog class")
        font = got["font"][:2] if got["font"] else None
        check(font == want["font"], "%s: font %r, found %r" % (name, want["font"], font))
        check(len(got["items"]) == len(want["items"]),
              "%s: %d controls, found %d" % (name, len(want["items"]), len(got["items"])))
        for have, expect in zip(got["items"], want["items"]):
            label = "%s control %r" % (name, expect[4] if expect[4] is not None else expect[5])
            if expect[4] is None:  # a line of free text: any non-empty caption
                check(isinstance(have[4], str) and have[4] != "", label + ": has a text, found %r" % (have[4],))
                have = have[:4] + (None,) + have[5:]
            check(have == expect, "%s: expected %s, found %s" % (label, expect, have))


def check_resources(bindir):
    exe = read_resources(os.path.join(bindir, "Vistrel.exe"))
    lib = read_resources(os.path.join(bindir, "Vistrel.dll"))
    enc = read_resources(os.path.join(bindir, "Encoder.dll"))
    check(strings(exe, 103, 7) == {103: "Vistrel", 109: "VISTREL"},
          "Vistrel.exe strings 103 and 109, found %s" % strings(exe, 103, 7))

    table = exe.get(RT_ACCELERATOR, {}).get(109, b"")
    entries = [struct.unpack_from("<HHHH", table, i) for i in range(0, len(table), 8)]
    keys = [(flags & 0x7F, key, cmd) for flags, key, cmd, _ in entries]
    check(keys == [(0x10, ord("?"), 104), (0x10, ord("/"), 104)],
          "accelerators 109: Alt+? and Alt+/ as characters for command 104, found %s" % keys)
    check(bool(entries) and entries[-1][0] & 0x80, "accelerators 109: last entry marked")

    main_menu = [(d, i, c) for d, i, c in menu_items(exe.get(RT_MENU, {}).get(109, b""))]
    check(main_menu == [(0, None, "文件(&F)"), (1, 32787, "隐藏(&H)"), (1, 0, ""), (1, 104, "关于(&A)...")],
          "main menu 109, found %s" % main_menu)
    capture_menu = menu_items(exe.get(RT_MENU, {}).get(129, b""))
    expected = [(0, None, "捕捉"), (1, 32778, "复制 主窗口区域"), (1, 32779, "复制 子窗口区域"),
                (1, 32780, "辅助 自选择区域"), (1, 32786, "屏幕自由编辑"), (1, 0, ""), (1, 32783, "取消捕捉"),
                (1, 0, ""), (1, 32791, "系统配置"), (1, 0, ""), (1, 32784, "退出系统")]
    check(capture_menu == expected, "capture menu 129, found %s" % capture_menu)

    for res, name, rid, dpi_aware in ((exe, "Vistrel.exe", 1, "true"), (lib, "Vistrel.dll", 2, None)):
        level, aware = manifest_settings(res.get(RT_MANIFEST, {}).get(rid, b""))
        check(level == ("asInvoker", "false"), name + ": manifest %d asks for asInvoker without UI access, "
              "found %s" % (rid, level))
        check(aware == dpi_aware, name + ": manifest %d declares dpiAware %s, found %s" % (rid, dpi_aware, aware))
    check_dialogs(exe)
    check_version(exe, "Vistrel.exe", 1, "Vistrel screen capture")
    check_version(lib, "Vistrel.dll", 2, "Vistrel capture library")
    check_version(enc, "Encoder.dll", 2, "Vistrel JPEG encoder")


def main():
    bindir = sys.argv[1]
    exe = PE(os.path.join(bindir, "Vistrel.exe"))
    lib = PE(os.path.join(bindir, "Vistrel.dll"))
    enc = PE(os.path.join(bindir, "Encoder.dll"))
    check_common(exe, "Vistrel.exe", False)
    check_common(lib, "Vistrel.dll", True)
    check_common(enc, "Encoder.dll", True)

    exports = lib.exports()
    expected = {"InitHook": 1, "StartHook": 2, "StopHook": 3, "MoveMaskWindow": 4, "SetConfig": 5}
    check(exports == expected, "Vistrel.dll exports exactly %s, found %s" % (expected, exports))
    check(lib.export_count == 5, "Vistrel.dll export address table has 5 entries")
    check(enc.exports() == {"BmpToJpg": 1}, "Encoder.dll exports BmpToJpg @1 only")
    check(exe.dirs[0][0] == 0, "Vistrel.exe exports nothing")

    shared = lib.section("CaptureD")
    check(shared is not None, "Vistrel.dll has a CaptureD section")
    if shared:
        name, vsize, va, rsize, rptr, chars = shared
        check(vsize == 80, "CaptureD holds 80 bytes, found %d" % vsize)
        check(chars == 0xD0000040, "CaptureD characteristics 0xD0000040, found %#x" % chars)
        words = struct.unpack_from("<20I", lib.data, rptr)
        initial = [0] * 20
        initial[7] = 1         # glCaptureMode: ControlCopy
        initial[16] = 1        # glCurDrawTool: line
        initial[17] = 0x0000FF  # glCurColor: red
        check(list(words) == initial, "CaptureD initial values %s, found %s" % (initial, list(words)))

    check_resources(bindir)

    sizes = {n: os.path.getsize(os.path.join(bindir, n)) for n in ("Vistrel.exe", "Vistrel.dll", "Encoder.dll")}
    print("sizes:", ", ".join("%s %d bytes" % kv for kv in sizes.items()))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
