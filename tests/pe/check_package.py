#!/usr/bin/env python3
"""Checks the release package as files: the zip holds exactly the three binaries
of the build, byte for byte, with the user guide and the licence in Windows line
ends; the installer is a 32-bit x86 PE file with the product's version resource.

usage: check_package.py DIST_DIR BIN_DIR
"""
import os
import re
import struct
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_art import REPO, Failure, read_resources  # noqa: E402
import check_binaries  # noqa: E402
from check_binaries import check, version_strings  # noqa: E402

RT_VERSION = 16
VERSION = "2.0.0"
BINARIES = ["Vistrel.exe", "Vistrel.dll", "Encoder.dll"]
TEXTS = ["UserGuide.txt", "License.txt"]

def rc_strings():
    """The texts of res/version.rc that name the product rather than one file."""
    text = open(os.path.join(REPO, "res", "version.rc"), encoding="utf-8").read()
    return {k: v for k, v in re.findall(r'VALUE "(\w+)", "([^"]*)"', text)
            if k in ("CompanyName", "Comments", "LegalCopyright", "ProductName", "ProductVersion")}


def check_zip(path, bindir):
    check(os.path.isfile(path), path + " exists")
    if not os.path.isfile(path):
        return
    with zipfile.ZipFile(path) as z:
        check(z.testzip() is None, "zip entries read back with their CRCs")
        names = z.namelist()
        check(sorted(names) == sorted(BINARIES + TEXTS), "zip holds exactly the five files: %s" % names)
        for name in BINARIES:
            if name in names:
                with open(os.path.join(bindir, name), "rb") as f:
                    check(z.read(name) == f.read(), "zip: %s is the build's file byte for byte" % name)
        for name in TEXTS:
            if name not in names:
                continue
            data = z.read(name)
            lone = data.replace(b"\r\n", b"").count(b"\n")
            check(data.count(b"\r\n") > 10 and lone == 0 and data.count(b"\r") == data.count(b"\r\n"),
                  "zip: %s has Windows line ends only" % name)
        if "License.txt" in names:
            licence = z.read("License.txt").decode("utf-8")
            check(licence.startswith("MIT License"), "licence: the MIT licence")
            check("Copyright (c) 2026 The Vistrel developers" in licence, "licence: the copyright line")
        if "UserGuide.txt" in names:
            raw = z.read("UserGuide.txt")
            check(raw.startswith(b"\xef\xbb\xbf"), "user guide: UTF-8 with a byte order mark")
            guide = raw.decode("utf-8-sig")
            for words in ["CaptureTemp.bmp", "PIC_957_42.bmp", "[VISTREL]", "SavePath"]:
                check(words in guide, "user guide names " + words)


def check_installer(path):
    check(os.path.isfile(path), path + " exists")
    if not os.path.isfile(path):
        return
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[pe:pe + 4] == b"PE\0\0", "installer: PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    check(machine == 0x14C, "installer: machine i386 (0x%x)" % machine)
    check(magic == 0x10B, "installer: PE32 optional header (0x%x)" % magic)
    check(b"Nullsoft" in data, "installer: an NSIS installer")
    try:
        res = read_resources(path)
    except Failure as e:
        check(False, "installer: resources: %s" % e)
        return
    blob = res.get(RT_VERSION, {}).get(1, b"")
    at = blob.find(struct.pack("<I", 0xFEEF04BD))
    check(at >= 0, "installer: version resource with fixed file info")
    if at < 0:
        return
    fields = struct.unpack_from("<13I", blob, at)
    check(fields[2:6] == (0x20000, 0, 0x20000, 0), "installer: file and product version 2.0.0.0")
    # NSIS writes one string table; its values, whatever its language block.
    strings = {}
    for table in version_strings(blob)[1].values():
        strings.update(table)
    for key, value in rc_strings().items():
        check(strings.get(key) == value, "installer: %s %r (found %r)" % (key, value, strings.get(key)))
    check(strings.get("FileVersion") == "2, 0, 0, 0", "installer: FileVersion 2, 0, 0, 0")
    check(strings.get("FileDescription") == "Vistrel Setup", "installer: FileDescription")
    check(strings.get("OriginalFilename") == "Vistrel-%s-setup.exe" % VERSION, "installer: OriginalFilename")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    dist, bindir = sys.argv[1], sys.argv[2]
    check_zip(os.path.join(dist, "Vistrel-%s-win32.zip" % VERSION), bindir)
    check_installer(os.path.join(dist, "Vistrel-%s-setup.exe" % VERSION))
    print("%d passed, %d failed" % (check_binaries.passed, check_binaries.failed))
    return 1 if check_binaries.failed else 0


if __name__ == "__main__":
    sys.exit(main())
