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
import os
import platform
import statistics
import subprocess
import sys
import time

WORK = "vistrel_bench"  # under the prefix's drive C:


def windows_path(unix_path):
    """A Unix folder as Wine's drive Z: names it, with a trailing backslash."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\") + "\\"


class Driver:
    """bench_driver.exe: one command a line in, one answer a line out."""

    def __init__(self, wine, bin_dir, bench_dir, work_unix):
        self.work_unix = work_unix
        args = [wine, os.path.join(bench_dir, "bench_driver.exe"), windows_path(bin_dir),
                windows_path(bench_dir), "C:\\%s\\" % WORK, "C:\\%s\\out\\" % WORK]
        self.process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)

    def __call__(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().split()
        if not answer or answer[0] != "ok":
            raise RuntimeError("driver: %s failed (%s)" % (command, " ".join(answer) or "no answer"))
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
        self.mem_before = self.mem_after = None

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


def phase_captures(d, f, runs, work):
    """Click to the temporary file and to the BMP output, with the floor and the peers."""
    d("profile BMP")
    d("app_start")
    for _ in rounds(f, runs):
        ms, grab, convert, write = d("floor screen")
        f.add("floor_screen", ms)
        f.add("floor_screen_grab", grab)
        f.add("floor_screen_convert", convert)
        f.add("floor_screen_write", write)
        temp, out, w, h = d("capture rect bmp")
        f.add("rect_temp", temp)
        f.add("rect_bmp", out)
        f.add("rect_stage_bmp", out - temp)
        f.sizes["rect"] = (int(w), int(h))
        d("keep rect.bmp")
        f.add("copy", d("copy rect.bmp")[0])
        temp, out, w, h = d("capture draw bmp")
        f.add("draw_temp", temp)
        f.add("draw_bmp", out)
        f.sizes["draw"] = (int(w), int(h))
        f.add("xwd", timed(["xwd", "-root", "-silent", "-out", "peer.xwd"], work))
        f.add("import_bmp", timed(["import", "-window", "root", "peer_import.bmp"], work))
        f.add("scrot_bmp", timed(["scrot", "-o", "peer_scrot.bmp"], work))
        ms, grab, convert, write = d("floor window")
        f.add("floor_window", ms)
        f.add("floor_window_grab", grab)
        f.add("floor_window_convert", convert)
        f.add("floor_window_write", write)
        temp, out, w, h = d("capture window bmp")
        f.add("window_temp", temp)
        f.sizes["window"] = (int(w), int(h))
    d("app_exit")


def phase_jpeg(d, f, runs, work):
    """Click to the JPEG output, the encoder's steps and cjpeg on the same BMP."""
    d("profile JPG")
    d("app_start")
    for _ in rounds(f, runs):
        temp, out, w, h = d("capture rect jpg")
        f.add("rect_temp_jpgrun", temp)
        f.add("rect_jpg", out)
        f.add("rect_stage_jpg", out - temp)
        d("keep rect.bmp")
        f.add("bmptojpg", d("encode rect.bmp")[0])
        f.add("codec", d("codec rect.bmp")[0])
        f.add("cjpeg", timed(["cjpeg", "-quality", "75", "-outfile", "peer_cjpeg.jpg", "rect.bmp"], work))
        f.add("import_jpg", timed(["import", "-window", "root", "-quality", "75", "peer_import.jpg"], work))
        f.add("scrot_jpg", timed(["scrot", "-o", "-q", "75", "peer_scrot.jpg"], work))
    d("app_exit")
    d("profile BMP")


def phase_startup(d, f, runs):
    """Start-up to the painted window, and the idle memory after it, against the trivial program."""
    for _ in rounds(f, runs):
        f.add("trivial_start", d("trivial_start")[0])
        time.sleep(1)  # idle
        private, ws = d("mem trivial")
        f.add("trivial_private", private)
        f.add("trivial_ws", ws)
        d("trivial_exit")
        f.add("app_start", d("app_start")[0])
        time.sleep(1)
        private, ws = d("mem app")
        f.add("app_private", private)
        f.add("app_ws", ws)
        d("app_exit")


def phase_memory(d, f, captures):
    """The application's memory after start and after that many captures."""
    d("app_start")
    time.sleep(2)
    f.mem_before = d("mem app")
    for i in range(captures):
        d("capture %s bmp" % ("rect" if i % 2 else "draw"))
    time.sleep(2)
    f.mem_after = d("mem app")
    d("app_exit")


def phase_moves(d, f, runs, moves):
    """Real mouse moves over the foreign window: hook not installed, then armed."""
    for _ in rounds(f, runs):
        d("app_start")
        f.add("moves_unarmed", d("moves %d" % moves)[0])
        d("null_hook on")
        f.add("moves_nullhook", d("moves %d" % moves)[0])
        d("null_hook off")
        d("arm_window")
        f.add("moves_armed", d("moves %d" % moves)[0])
        d("app_exit")


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def ratio(f, a, b):
    return f.median(a) / f.median(b)


def verdict(ok):
    return "met" if ok else "**not met**"


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
    rs = ratio(f, "app_start", "trivial_start")
    r("Start-up to the skin painted (warm wineserver)", f.cell("app_start"),
      "trivial window program %s" % f.cell("trivial_start"), "%.2f x" % rs, "≤ 1.5 x", verdict(rs <= 1.5))
    dp = f.median("app_private") - f.median("trivial_private")
    r("Idle private bytes after start", f.cell("app_private", "KB"),
      "trivial program %s" % f.cell("trivial_private", "KB"), "%+.0f KB" % dp, "≤ trivial + 2048 KB",
      verdict(dp <= 2048))
    r("Idle working set after start", f.cell("app_ws", "KB"), "trivial program %s" % f.cell("trivial_ws", "KB"),
      "%+.0f KB" % (f.median("app_ws") - f.median("trivial_ws")), "none; report", "")
    growth = f.mem_after[0] - f.mem_before[0]
    r("Private bytes after %d captures" % meta["captures"],
      "%.0f KB after start, %.0f KB after (working set %.0f → %.0f KB)" % (
          f.mem_before[0], f.mem_after[0], f.mem_before[1], f.mem_after[1]),
      "itself after start", "%+.0f KB" % growth, "flat (within 256 KB)", verdict(growth <= 256))
    rm = ratio(f, "moves_armed", "moves_unarmed")
    r("%d real mouse moves over a foreign window, hook armed" % meta["moves"], f.cell("moves_armed"),
      "not armed %s; a global hook that does nothing %s" % (f.cell("moves_unarmed"), f.cell("moves_nullhook")),
      "%.2f x; the do-nothing hook %.2f x" % (rm, ratio(f, "moves_nullhook", "moves_unarmed")), "≤ 1.2 x",
      verdict(rm <= 1.2))
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
    p.add_argument("--bin", required=True, help="the x86_64 Vistrel.exe, Vistrel.dll, Encoder.dll")
    p.add_argument("--bench", required=True, help="bench_driver.exe, raw_floor.exe, trivial_window.exe")
    p.add_argument("--pe32", required=True, help="the shipped 32-bit binaries")
    p.add_argument("--out", required=True)
    p.add_argument("--runs", type=int, default=20)
    p.add_argument("--captures", type=int, default=100)
    p.add_argument("--moves", type=int, default=1000)
    a = p.parse_args()

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
        for name, run in (("captures", lambda: phase_captures(d, f, a.runs, work)),
                          ("jpeg", lambda: phase_jpeg(d, f, a.runs, work)),
                          ("start-up", lambda: phase_startup(d, f, a.runs)),
                          ("memory", lambda: phase_memory(d, f, a.captures)),
                          ("mouse moves", lambda: phase_moves(d, f, a.runs, a.moves))):
            print("Phase: %s (load %s)" % (name, load()), flush=True)
            run()
    finally:
        d.close()
    meta["load_after"] = load()

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
        "of %s, fresh Wine prefix." % (platform.machine(), os.cpu_count(), meta["load_before"],
                                       meta["load_after"], wine_version,
                                       os.environ.get("VISTREL_SCREEN", "?")),
        "",
        "This machine cannot execute 32-bit x86 code: the figures are those of the 64-bit build of the "
        "same sources under wine64, as the tests run it. The size row reports the shipped 32-bit binaries.",
        "",
        "Every Vistrel figure starts at a real input event (SendInput) and ends when the driver, polling "
        "about every millisecond, finds the file closed and whole. The raw floor is a plain Win32 program "
        "under Wine on the same display that does one BitBlt, one GetDIBits and one file write on a "
        "right-click on its own window (bench/raw_floor.cpp), timed the same way. The peers are timed "
        "from process start to exit; import and scrot write BMP files for the temporary-file rows.",
        "",
    ] + rows + ["", "## Steps", "",
                "Where the time goes: the raw floor's own steps (the same calls the capture library makes), "
                "and the output stage's steps.", ""] + steps + [""]
    text = "\n".join(doc)
    with open(a.out, "w") as out:
        out.write(text)
    print(text)


if __name__ == "__main__":
    sys.exit(main())
