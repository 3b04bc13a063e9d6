#!/usr/bin/env python3
"""Runs the benchmark: Vistrel's real binaries under Wine, driven by bench_driver.exe
with real input, side by side with the raw floor and the peers (xwd, ImageMagick's
import, scrot, cjpeg), round by round, so that every figure of a round is taken
under the same load. Prints the table and writes it to the given Markdown file.

Runs inside scripts/with_wine_display.sh, which provides WINEPREFIX, DISPLAY and
VISTREL_WINE.
  run_bench.py --bin DIR --bench DIR --pe32 DIR --out FILE [--runs N]
"""
import argparse
import datetime
import json
import os
import platform
import statistics
import subprocess
import sys
import time

WORK = "vistrel_bench"  # under the prefix's drive C:

# What holds for every run of the suite, printed under the table.
NOTES = [
    "- RectCopy cannot select the whole screen: the mask's frame lies over the screen's outer pixels, so "
    "the largest selection is the mask's client area on the screen, a few pixels short of the screen in "
    "each direction. DrawCopy and the raw floor take the whole screen.",
    "- The full-screen captures hide a mask that covers the screen before they read it; the raw floor "
    "has nothing to hide. Any wait the library makes for the screen to show what the mask covered "
    "counts against it.",
    "- The raw floor grabs into a device bitmap and converts it with GetDIBits, as a plain program "
    "would. With the clipboard switch off, as here, Vistrel grabs straight into a bitmap laid out as the "
    "file, so that the grab is its only pass over the pixels.",
    "- scrot reads the screen through X shared memory (imlib2's XShmGetImage); Wine reads it through the "
    "X connection (XGetImage), as xwd does. The raw floor itself is therefore slower than scrot.",
    "- A WindowCopy capture runs inside the target program, in its mouse hook; the raw floor for that "
    "window is the window's own program capturing itself on the same right-click.",
    "- Memory: Wine reports a process's private (anonymous) memory as its page-file usage; the table "
    "shows that. The raw floor's first captures leave about one screen picture more in its heap for "
    "good (so did Vistrel's while it converted the grab with GetDIBits); flat means no growth after the "
    "first captures.",
    "- Mouse moves are sent one at a time and each is waited for until the foreign window has received "
    "it. A global mouse hook that does nothing (bench/null_hook.cpp) shows what any hook costs under "
    "Wine; the armed hook with its mask hidden by the driver shows the hook procedure's own cost, and "
    "the rest of the armed figure is the mask lying over the window. A translucent click-through "
    "topmost window made by the driver itself (bench/driver_veil.cpp, made like the mask, with no hook) "
    "shows what such a window costs the moves without Vistrel.",
    "- The display without a compositor is a second private display of the same size, in a prefix of its "
    "own, with the same backdrop, window and application; there the windows below the hidden mask must "
    "draw themselves again before the grab, and the library waits for them. Its RectCopy captures are "
    "taken with the backdrop hidden (the desktop, the application's main window and the 800 x 600 window, "
    "the same number of pixels); after each the driver reads the same rectangle of the screen and "
    "compares it with the picture, pixel for pixel.",
    "- The composed desktop is a third private display and prefix, with the tests' stand-in for the "
    "compositor's library (tests/e2e/dwmapi): the desktop composed, a sizable window's visible frame its "
    "window rectangle without 7 pixels on the left, right and bottom. There WindowCopy waits for the mask to "
    "be reported hidden and reads that frame from the screen; the raw floor reads the same rectangle of the "
    "screen on the same right-click.",
    "- The 64-bit rows: the shipped 32-bit binaries in a 64-bit prefix of their own, the mouse over a 64-bit "
    "build of the 800 x 600 window. Wine 8 does not call a 32-bit hook for a 64-bit program (Windows calls it on "
    "the thread that installed it): while any 32-bit global mouse hook is installed, the 64-bit program tries "
    "to load the hook's library at each of its mouse messages, fails and goes on. That is what the armed and "
    "do-nothing figures cost it. \"Idle after a capture\" is the state after a RectCopy capture: Vistrel "
    "removes its hook once a capture is taken, so nothing is installed then.",
    "- The JPEG step: Wine's WIC encoder (libjpeg underneath) is the floor for BmpToJpg; it writes quality 75 "
    "whatever it is asked, the same quality cjpeg is given.",
]


def windows_path(unix_path):
    """A Unix folder as Wine's drive Z: names it, with a trailing backslash."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\") + "\\"


class Driver:
    """bench_driver.exe: one command a line in, one answer a line out."""

    def __init__(self, wine, bin_dir, bench_dir, work_unix):
        self.work_unix = work_unix
        self.failures = []
        args = [wine, os.path.join(bench_dir, "bench_driver.exe"), windows_path(bin_dir),
                windows_path(bench_dir), "C:\\%s\\" % WORK, "C:\\%s\\out\\" % WORK]
        self.process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)

    def __call__(self, command):
        """The command's figures; a failed command ends the run."""
        figures = self.attempt(command)
        if figures is None:
            raise RuntimeError("driver: %s failed" % command)
        return figures

    def attempt(self, command):
        """The command's figures, or None when it failed (a lost click, say): the
        sample is left out and the failure counted."""
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().split()
        if not answer:
            raise RuntimeError("driver: no answer to %s" % command)
        if answer[0] != "ok":
            self.failures.append(command)
            print("  failed: %s" % command, flush=True)
            return None
        return [float(x) for x in answer[1:]]

    def close(self):
        try:
            self.process.stdin.write("quit\n")
            self.process.stdin.flush()
            self.process.wait(timeout=60)
        except (BrokenPipeError, subprocess.TimeoutExpired):
            self.process.kill()


def timed(command, work_unix):
    """Milliseconds for a peer's command line, from process start to its exit."""
    start = time.perf_counter()
    subprocess.run(command, cwd=work_unix, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000.0


class Figures:
    """Samples by name; the first round of every phase is a warm-up and is not kept."""

    def __init__(self):
        self.samples = {}
        self.keep = True
        self.sizes = {}  # picture sizes by capture kind
        self.mem_start = self.mem_warm = self.mem_after = None
        self.floor_mem_start = self.floor_mem_after = None

    def add(self, name, value):
        if self.keep:
            self.samples.setdefault(name, []).append(value)

    def median(self, name):
        return statistics.median(self.samples[name])

    def cell(self, name, unit="ms"):
        if name not in self.samples:
            return "not measured"
        s = self.samples[name]
        return "%s %s (%s–%s, n=%d)" % (fmt(statistics.median(s)), unit, fmt(min(s)), fmt(max(s)), len(s))


def fmt(value):
    return "%.0f" % value if value >= 100 else "%.1f" % value


def rounds(figures, runs):
    figures.keep = False
    yield 0
    figures.keep = True
    for r in range(1, runs + 1):
        yield r


def take(d, f, command, *names):
    """Runs a measured command and keeps its figures under the names; None on failure."""
    values = d.attempt(command)
    if values is not None:
        for name, value in zip(names, values):
            if name:
                f.add(name, value)
    return values


def phase_captures(d, f, runs, work):
    """Click to the temporary file and to the BMP output, with the floor and the peers."""
    d("profile BMP")
    d("app_start")
    for _ in rounds(f, runs):
        take(d, f, "floor screen", "floor_screen", "floor_screen_grab", "floor_screen_convert", "floor_screen_write")
        v = take(d, f, "capture rect bmp", "rect_temp", "rect_bmp")
        if v:
            f.add("rect_stage_bmp", v[1] - v[0])
            f.sizes["rect"] = (int(v[2]), int(v[3]))
            d("keep rect.bmp")
            take(d, f, "copy rect.bmp", "copy")
        v = take(d, f, "capture draw bmp", "draw_temp", "draw_bmp")
        if v:
            f.sizes["draw"] = (int(v[2]), int(v[3]))
        f.add("xwd", timed(["xwd", "-root", "-silent", "-out", "peer.xwd"], work))
        f.add("import_bmp", timed(["import", "-window", "root", "peer_import.bmp"], work))
        f.add("scrot_bmp", timed(["scrot", "-o", "peer_scrot.bmp"], work))
        take(d, f, "floor window", "floor_window", "floor_window_grab", "floor_window_convert", "floor_window_write")
        v = take(d, f, "capture window bmp", "window_temp")
        if v:
            f.sizes["window"] = (int(v[2]), int(v[3]))
    d("app_exit")


def phase_uncomposed(d, f, runs):
    """Run on a display without a compositor: RectCopy full screen beside the raw floor,
    and each picture against the screen read right after it. The capture is taken with
    the backdrop hidden: the desktop with the application's main window and the
    800 x 600 window on it, as a user has it."""
    d("profile BMP")
    d("app_start")
    for _ in rounds(f, runs):
        take(d, f, "floor screen", "unc_floor")
        d("backdrop off")
        if take(d, f, "capture rect bmp", "unc_rect"):
            take(d, f, "compare rect", "unc_differing", "unc_compared")
        d("backdrop on")
    d("app_exit")


def phase_monitors(d, f, runs):
    """Run on a display of two monitors: RectCopy of the whole virtual screen beside the
    raw floor over the same rectangle."""
    d("profile BMP")
    d("app_start")
    for _ in rounds(f, runs):
        take(d, f, "floor screen", "mh_floor")
        v = take(d, f, "capture rect bmp", "mh_rect")
        if v:
            f.add("mh_width", v[2])
            f.add("mh_height", v[3])
    d("app_exit")


def phase_composed(d, f, runs):
    """Run as on a composed desktop (the tests' stand-in for the compositor's library):
    WindowCopy, read from the screen over the window's visible frame, beside the raw
    floor reading the same rectangle of the screen."""
    d("profile BMP")
    d("app_start")
    for _ in rounds(f, runs):
        take(d, f, "floor window", "comp_floor_window")
        v = take(d, f, "capture window bmp", "comp_window")
        if v:
            f.sizes["comp_window"] = (int(v[2]), int(v[3]))
    d("app_exit")


def phase_scheme(d, f, runs):
    """RectCopy under a colour scheme whose window colour is navy, against the default
    scheme, the application started afresh under each."""
    d("profile BMP")
    try:
        for _ in rounds(f, runs):
            for scheme in ("default", "navy"):
                d("scheme " + scheme)
                d("app_start")
                take(d, f, "capture rect bmp", "rect_temp_" + scheme)
                d("app_exit")
    finally:
        d.attempt("scheme default")


def phase_jpeg(d, f, runs, work):
    """Click to the JPEG output, the encoder's steps and cjpeg on the same BMP."""
    d("profile JPG")
    d("app_start")
    for _ in rounds(f, runs):
        v = take(d, f, "capture rect jpg", "rect_temp_jpgrun", "rect_jpg")
        if v:
            f.add("rect_stage_jpg", v[1] - v[0])
            d("keep rect.bmp")
            take(d, f, "encode rect.bmp", "bmptojpg")
            take(d, f, "codec rect.bmp", "codec")
            f.add("cjpeg", timed(["cjpeg", "-quality", "75", "-outfile", "peer_cjpeg.jpg", "rect.bmp"], work))
        f.add("import_jpg", timed(["import", "-window", "root", "-quality", "75", "peer_import.jpg"], work))
        f.add("scrot_jpg", timed(["scrot", "-o", "-q", "75", "peer_scrot.jpg"], work))
    d("app_exit")
    d("profile BMP")


def phase_startup(d, f, runs):
    """Start-up to the painted window, and the idle memory after it, against the trivial program."""
    for _ in rounds(f, runs):
        take(d, f, "trivial_start", "trivial_start")
        time.sleep(1)  # idle
        take(d, f, "mem trivial", "trivial_private", "trivial_ws")
        d("trivial_exit")
        take(d, f, "app_start", "app_start")
        time.sleep(1)
        take(d, f, "mem app", "app_private", "app_ws")
        d("app_exit")


def phase_memory(d, f, captures):
    """The application's memory after start, after its first two captures and after
    that many; the raw floor's after its start and after its captures, for comparison."""
    f.floor_mem_after = d("mem backdrop")
    d("app_start")
    time.sleep(2)
    f.mem_start = d("mem app")
    for i in range(captures):
        d.attempt("capture %s bmp" % ("rect" if i % 2 else "draw"))
        if i == 1:
            time.sleep(2)
            f.mem_warm = d("mem app")
    time.sleep(2)
    f.mem_after = d("mem app")
    d("app_exit")


def phase_moves(d, f, runs, moves):
    """Real mouse moves over the foreign window: no hook, a hook that does nothing,
    Vistrel's hook armed over that window, and nothing armed after a
    capture."""
    d("profile BMP")
    for _ in rounds(f, runs):
        d("app_start")
        take(d, f, "moves %d" % moves, "moves_unarmed", "received_unarmed")
        d("null_hook on")
        take(d, f, "moves %d" % moves, "moves_nullhook", "received_nullhook")
        d("null_hook off")
        d("veil on")
        take(d, f, "moves %d" % moves, "moves_veil", "received_veil")
        d("null_hook on")
        take(d, f, "moves %d" % moves, "moves_veil_hook")
        d("null_hook off")
        d("veil off")
        d("arm_window")
        take(d, f, "moves %d" % moves, "moves_armed", "received_armed")
        # The same armed hook with the mask hidden: the hook procedure's own cost.
        d("hide_mask")
        take(d, f, "moves %d" % moves, "moves_armed_nomask")
        if d.attempt("capture rect bmp") is not None:
            take(d, f, "moves %d" % moves, "moves_idle")
        d("app_exit")


def phase_moves64(d, f, runs, moves, window64):
    """The same moves over a 64-bit build of the foreign window, in a 64-bit prefix,
    with the shipped 32-bit binaries: no hook, a 32-bit hook that does nothing,
    Vistrel's hook armed, and nothing armed after a capture."""
    d("profile BMP")
    d("floor_window " + windows_path(window64).rstrip("\\"))
    for _ in rounds(f, runs):
        d("app_start")
        take(d, f, "moves %d" % moves, "moves64_unarmed", "received64_unarmed")
        d("null_hook on")
        take(d, f, "moves %d" % moves, "moves64_nullhook")
        d("null_hook off")
        take(d, f, "arm_window", "reached64")
        take(d, f, "moves %d" % moves, "moves64_armed", "received64_armed")
        if d.attempt("capture rect bmp") is not None:
            take(d, f, "moves %d" % moves, "moves64_idle", "received64_idle")
        d("app_exit")


def compositor():
    """The display's compositor as scripts/with_wine_display.sh starts it."""
    option = os.environ.get("VISTREL_COMPOSITOR", "-a")
    return "without a compositor" if option == "none" else "with the compositor xcompmgr %s" % option


def build_note():
    """Which build the figures are of (scripts/wine_env.sh chose it)."""
    if os.environ.get("VISTREL_TEST_ARCH") == "i686":
        return ("Build: i686, the shipped 32-bit binaries themselves, under Wine's 32-bit loader in a 32-bit "
                "prefix.")
    return ("Build: x86_64, the 64-bit build of the same sources under wine64, as the tests run it where the "
            "machine cannot execute 32-bit x86 code (or VISTREL_TEST_ARCH asks for it). The size row reports "
            "the shipped 32-bit binaries.")


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def ratio(f, a, b):
    return f.median(a) / f.median(b)


def verdict(ok):
    return "met" if ok else "**not met**"


def moves64_rows(f, meta):
    """The rows of the 64-bit system: the shipped 32-bit binaries in a 64-bit prefix,
    moves over a 64-bit program."""
    title = "%d real mouse moves over a 64-bit program, 64-bit prefix, the shipped 32-bit binaries" % meta["moves"]
    if "moves64_idle" not in f.samples:
        why = ("no run of them" if os.environ.get("VISTREL_TEST_ARCH") == "i686"
               else "this machine does not run 32-bit x86 code")
        return ["| %s | not measured: %s | | | | |" % (title, why)]
    reached = f.median("reached64") == 1
    ri = ratio(f, "moves64_idle", "moves64_unarmed")
    return ["| " + " | ".join([
        title + ", idle after a capture",
        f.cell("moves64_idle"),
        "never armed %s; armed %s; a 32-bit global hook that does nothing %s" % (
            f.cell("moves64_unarmed"), f.cell("moves64_armed"), f.cell("moves64_nullhook")),
        "idle %.2f x; armed %.2f x; the do-nothing hook %.2f x (move messages received: %.0f never armed, %.0f "
        "armed, %.0f idle); the hook %s the 64-bit program" % (
            ri, ratio(f, "moves64_armed", "moves64_unarmed"), ratio(f, "moves64_nullhook", "moves64_unarmed"),
            f.median("received64_unarmed"), f.median("received64_armed"), f.median("received64_idle"),
            "reached" if reached else "never reached"),
        "idle ≤ 1.05 x", verdict(ri <= 1.05)]) + " |"]


def table(f, sizes_pe32, meta):
    rows = []
    r = lambda *cells: rows.append("| " + " | ".join(cells) + " |")
    sz = f.sizes
    rect = "%d x %d" % sz["rect"]
    screen_peers = "floor %s; xwd %s; import %s; scrot %s" % (
        f.cell("floor_screen"), f.cell("xwd"), f.cell("import_bmp"), f.cell("scrot_bmp"))

    def temp_goal(name):
        rf = ratio(f, name, "floor_screen")
        faster = f.median(name) < f.median("import_bmp") and f.median(name) < f.median("scrot_bmp")
        return ("%.2f x floor; %.2f x import; %.2f x scrot" % (rf, ratio(f, name, "import_bmp"),
                                                               ratio(f, name, "scrot_bmp")),
                "≤ 1.3 x floor, faster than import and scrot", verdict(rf <= 1.3 and faster))

    r("Figure", "Vistrel", "Compared in the same run with", "Ratio", "Goal", "")
    r("---", "---", "---", "---", "---", "---")
    g = temp_goal("rect_temp")
    r("Click to temporary file, RectCopy full screen (%s)" % rect, f.cell("rect_temp"), screen_peers, *g)
    g = temp_goal("draw_temp")
    r("Click to temporary file, DrawCopy full screen (%d x %d)" % sz["draw"], f.cell("draw_temp"),
      "the same", *g)
    r("Click to output file, BMP (RectCopy)", f.cell("rect_bmp"), screen_peers,
      "%.2f x floor; %.2f x import; %.2f x scrot" % (ratio(f, "rect_bmp", "floor_screen"),
                                                     ratio(f, "rect_bmp", "import_bmp"),
                                                     ratio(f, "rect_bmp", "scrot_bmp")), "none; report", "")
    r("Click to output file, JPG (RectCopy)", f.cell("rect_jpg"),
      "import -quality 75 %s; scrot -q 75 %s" % (f.cell("import_jpg"), f.cell("scrot_jpg")),
      "%.2f x import; %.2f x scrot" % (ratio(f, "rect_jpg", "import_jpg"), ratio(f, "rect_jpg", "scrot_jpg")),
      "none; report", "")
    rj = ratio(f, "bmptojpg", "cjpeg")
    r("JPEG step: BmpToJpg on the captured BMP", f.cell("bmptojpg"),
      "cjpeg -quality 75 %s; the platform's codec (WIC) alone %s" % (f.cell("cjpeg"), f.cell("codec")),
      "%.2f x cjpeg; codec alone %.2f x cjpeg" % (rj, ratio(f, "codec", "cjpeg")), "≤ 4 x cjpeg", verdict(rj <= 4))
    rw = ratio(f, "window_temp", "floor_window")
    r("Click to temporary file, WindowCopy %d x %d" % sz["window"], f.cell("window_temp"),
      "floor %s" % f.cell("floor_window"), "%.2f x floor" % rw, "≤ 1.3 x floor", verdict(rw <= 1.3))
    if "comp_window" in f.samples:
        rc = ratio(f, "comp_window", "comp_floor_window")
        r("Click to temporary file, WindowCopy %d x %d, composed desktop (stand-in compositor library)" %
          tuple(f.samples.get("comp_size", [0, 0])), f.cell("comp_window"),
          "floor over the same rectangle of the screen %s" % f.cell("comp_floor_window"), "%.2f x floor" % rc,
          "none; report", "")
    rs = ratio(f, "app_start", "trivial_start")
    r("Start-up to the skin painted (warm wineserver)", f.cell("app_start"),
      "trivial window program %s" % f.cell("trivial_start"), "%.2f x" % rs, "≤ 1.5 x", verdict(rs <= 1.5))
    dp = f.median("app_private") - f.median("trivial_private")
    r("Idle private bytes after start", f.cell("app_private", "KB"),
      "trivial program %s" % f.cell("trivial_private", "KB"), "%+.0f KB" % dp, "≤ trivial + 2048 KB",
      verdict(dp <= 2048))
    r("Idle working set after start", f.cell("app_ws", "KB"), "trivial program %s" % f.cell("trivial_ws", "KB"),
      "%+.0f KB" % (f.median("app_ws") - f.median("trivial_ws")), "none; report", "")
    growth = f.mem_after[0] - f.mem_warm[0]
    r("Private bytes over %d captures" % meta["captures"],
      "%.0f KB after start, %.0f KB after the first 2 captures, %.0f KB after %d (working set %.0f, %.0f, %.0f KB)"
      % (f.mem_start[0], f.mem_warm[0], f.mem_after[0], meta["captures"], f.mem_start[1], f.mem_warm[1],
         f.mem_after[1]),
      "the raw floor: %.0f KB after start, %.0f KB after its captures" % (f.floor_mem_start[0], f.floor_mem_after[0]),
      "%+.0f KB from the 2nd to the %dth capture; %+.0f KB from start" % (growth, meta["captures"],
                                                                         f.mem_after[0] - f.mem_start[0]),
      "flat (within 256 KB)", verdict(growth <= 256))
    rm = ratio(f, "moves_armed", "moves_unarmed")
    r("%d real mouse moves over a foreign window, hook armed" % meta["moves"], f.cell("moves_armed"),
      "not armed %s; a global hook that does nothing %s; armed with the mask hidden %s; not armed, a "
      "translucent click-through window of the driver's own over the window %s, the same with the "
      "do-nothing hook %s" % (
          f.cell("moves_unarmed"), f.cell("moves_nullhook"), f.cell("moves_armed_nomask"), f.cell("moves_veil"),
          f.cell("moves_veil_hook")),
      "%.2f x; the do-nothing hook %.2f x; armed, mask hidden %.2f x; the driver's window alone %.2f x, with "
      "the do-nothing hook %.2f x (move messages received: %.0f not armed, %.0f do-nothing hook, %.0f armed, "
      "%.0f driver's window)" % (
          rm, ratio(f, "moves_nullhook", "moves_unarmed"), ratio(f, "moves_armed_nomask", "moves_unarmed"),
          ratio(f, "moves_veil", "moves_unarmed"), ratio(f, "moves_veil_hook", "moves_unarmed"),
          f.median("received_unarmed"), f.median("received_nullhook"),
          f.median("received_armed"), f.median("received_veil")), "≤ 1.2 x", verdict(rm <= 1.2))
    if "unc_rect" in f.samples:
        differing = f.samples.get("unc_differing", [])
        r("Click to temporary file, RectCopy full screen, display without a compositor", f.cell("unc_rect"),
          "floor on the same display %s" % f.cell("unc_floor"),
          "%.2f x floor; picture equal to the screen read right after it in %d of %d runs (most pixels "
          "differing in one: %.0f of %.0f)" % (ratio(f, "unc_rect", "unc_floor"),
                                               sum(1 for x in differing if x == 0), len(differing),
                                               max(differing or [0]), max(f.samples.get("unc_compared", [0]))),
          "every picture the screen", verdict(bool(differing) and max(differing) == 0))
    if "mh_rect" in f.samples:
        r("Click to temporary file, RectCopy of the whole virtual screen (%.0f x %.0f), two monitors" % (
            f.median("mh_width"), f.median("mh_height")), f.cell("mh_rect"),
          "floor over the whole virtual screen %s" % f.cell("mh_floor"), "%.2f x floor" % ratio(f, "mh_rect", "mh_floor"),
          "none; report", "")
    if "moves_idle" in f.samples:
        ri = ratio(f, "moves_idle", "moves_unarmed")
        r("%d real mouse moves over a foreign window, idle after a capture" % meta["moves"], f.cell("moves_idle"),
          "never armed %s" % f.cell("moves_unarmed"), "%.2f x" % ri, "≤ 1.05 x", verdict(ri <= 1.05))
    rows.extend(moves64_rows(f, meta))
    rn = ratio(f, "rect_temp_navy", "rect_temp_default")
    r("Click to temporary file, RectCopy full screen, window colour navy", f.cell("rect_temp_navy"),
      "the default colour scheme %s" % f.cell("rect_temp_default"), "%.2f x" % rn,
      "as fast as the default scheme (≤ 1.1 x)", verdict(rn <= 1.1))
    total = sum(sizes_pe32.values())
    dll = sizes_pe32["Vistrel.dll"]
    r("Size of the shipped 32-bit binaries",
      "Vistrel.exe %d, Vistrel.dll %d, Encoder.dll %d bytes; %d in all" % (
          sizes_pe32["Vistrel.exe"], dll, sizes_pe32["Encoder.dll"], total),
      "none", "Vistrel.dll %.1f KB; all %.1f KB" % (dll / 1024, total / 1024),
      "Vistrel.dll < 100 KB, all < 400 KB", verdict(dll < 100 * 1024 and total < 400 * 1024))

    steps = []
    s = lambda *cells: steps.append("| " + " | ".join(cells) + " |")
    s("Step", "Full screen", "800 x 600 window")
    s("---", "---", "---")
    s("Grab (GetWindowDC, BitBlt)", f.cell("floor_screen_grab"), f.cell("floor_window_grab"))
    s("Conversion (GetDIBits)", f.cell("floor_screen_convert"), f.cell("floor_window_convert"))
    s("File write (create, one write, close)", f.cell("floor_screen_write"), f.cell("floor_window_write"))
    s("Raw floor, click to file complete", f.cell("floor_screen"), f.cell("floor_window"))
    s("Vistrel, click to temporary file complete", f.cell("rect_temp"), f.cell("window_temp"))
    s("Output stage BMP in the application (output − temporary)", f.cell("rect_stage_bmp"), "")
    s("Plain CopyFileA of the same BMP, in the driver", f.cell("copy"), "")
    s("Output stage JPG in the application (output − temporary)", f.cell("rect_stage_jpg"), "")
    s("Encoder: BmpToJpg, in the driver", f.cell("bmptojpg"), "")
    s("Encoder: the platform's codec (WIC) alone, in the driver", f.cell("codec"), "")
    s("cjpeg -quality 75, process start to exit", f.cell("cjpeg"), "")
    return rows, steps


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--bin", required=True, help="the Vistrel.exe, Vistrel.dll, Encoder.dll measured")
    p.add_argument("--bench", required=True, help="bench_driver.exe, raw_floor.exe, trivial_window.exe")
    p.add_argument("--pe32", required=True, help="the shipped 32-bit binaries")
    p.add_argument("--out", required=True)
    p.add_argument("--runs", type=int, default=20)
    p.add_argument("--captures", type=int, default=100)
    p.add_argument("--moves", type=int, default=1000)
    p.add_argument("--phases", help="only these phases (comma-separated: captures, jpeg, scheme, start-up, "
                   "memory, mouse moves, uncomposed, monitors, composed, 64-bit moves); prints the medians and writes no table")
    p.add_argument("--save", help="with --phases: also writes the samples to this JSON file")
    p.add_argument("--merge", action="append", default=[],
                   help="samples of an earlier --save run (the uncomposed phase, the 64-bit moves) for the table")
    p.add_argument("--window64", help="a 64-bit raw_floor.exe, for the 64-bit moves (in a 64-bit prefix)")
    a = p.parse_args()
    chosen = a.phases.split(",") if a.phases else None

    wine = os.environ["VISTREL_WINE"]
    work = os.path.join(os.environ["WINEPREFIX"], "drive_c", WORK)
    os.makedirs(os.path.join(work, "out"), exist_ok=True)
    sizes = {n: os.path.getsize(os.path.join(a.pe32, n)) for n in ("Vistrel.exe", "Vistrel.dll", "Encoder.dll")}
    meta = {"captures": a.captures, "moves": a.moves, "load_before": load(),
            "started": datetime.datetime.now().strftime("%Y-%m-%d %H:%M")}
    print("Load average before: %s" % meta["load_before"], flush=True)

    f = Figures()
    d = Driver(wine, a.bin, a.bench, work)
    try:
        d("floors")
        time.sleep(2)
        f.floor_mem_start = d("mem backdrop")
        for name, run in (("captures", lambda: phase_captures(d, f, a.runs, work)),
                          ("jpeg", lambda: phase_jpeg(d, f, a.runs, work)),
                          ("scheme", lambda: phase_scheme(d, f, a.runs)),
                          ("start-up", lambda: phase_startup(d, f, a.runs)),
                          ("memory", lambda: phase_memory(d, f, a.captures)),
                          ("mouse moves", lambda: phase_moves(d, f, a.runs, a.moves)),
                          ("uncomposed", lambda: phase_uncomposed(d, f, a.runs)),
                          ("monitors", lambda: phase_monitors(d, f, a.runs)),
                          ("composed", lambda: phase_composed(d, f, a.runs)),
                          ("64-bit moves", lambda: phase_moves64(d, f, a.runs, a.moves, a.window64))):
            # These need a display or a prefix of their own; they run only when asked.
            if (chosen and name not in chosen) or (not chosen and name in ("uncomposed", "monitors", "composed",
                                                                          "64-bit moves")):
                continue
            print("Phase: %s (load %s)" % (name, load()), flush=True)
            run()
    finally:
        d.close()
    meta["load_after"] = load()
    if "comp_window" in f.sizes:
        f.samples["comp_size"] = list(f.sizes["comp_window"])
    if chosen:
        for name in sorted(f.samples):
            print("%-24s %s" % (name, f.cell(name)))
        if a.save:
            with open(a.save, "w") as out:
                json.dump({"samples": f.samples, "failures": d.failures}, out)
        return
    for merge in a.merge:
        if not os.path.exists(merge):
            continue
        with open(merge) as saved:
            merged = json.load(saved)
        f.samples.update(merged["samples"])
        d.failures += merged["failures"]

    rows, steps = table(f, sizes, meta)
    wine_version = subprocess.run([wine, "--version"], capture_output=True, text=True).stdout.strip()
    doc = [
        "# Performance",
        "",
        "Written by `make bench` (bench/run_bench.py) on %s. Medians, with the minimum, the maximum and "
        "the number of runs in brackets, measured in one run, round by round side by side, so that the "
        "ratios hold on a noisy machine; the first round of each phase is a warm-up and is not counted." %
        meta["started"],
        "",
        "Machine: %s, %d CPUs, load average %s before and %s after the run; %s on a private Xvfb display "
        "of %s %s, fresh Wine prefix." % (platform.machine(), os.cpu_count(), meta["load_before"],
                                          meta["load_after"], wine_version,
                                          os.environ.get("VISTREL_SCREEN", "?"), compositor()),
        "",
        build_note(),
        "",
        "Runs that failed (a lost click, say) and were left out: %s." % (", ".join(
            sorted(set("%s (%d)" % (c, d.failures.count(c)) for c in d.failures))) or "none"),
        "",
        "Every Vistrel figure starts at a real input event (SendInput) and ends when the driver, polling "
        "about every millisecond, finds the file closed and whole. The raw floor is a plain Win32 program "
        "under Wine on the same display that does one BitBlt, one GetDIBits and one file write on a "
        "right-click on its own window (bench/raw_floor.cpp), timed the same way. The peers are timed "
        "from process start to exit; import and scrot write BMP files for the temporary-file rows.",
        "",
    ] + rows + ["", "## Steps", "",
                "Where the time goes: the raw floor's own steps (the same calls the capture library makes), "
                "and the output stage's steps.", ""] + steps + ["", "## Reading the figures", ""] + NOTES + [""]
    text = "\n".join(doc)
    with open(a.out, "w") as out:
        out.write(text)
    print(text)


if __name__ == "__main__":
    sys.exit(main())
