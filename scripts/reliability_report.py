#!/usr/bin/env python3
"""Makes docs/reliability.md from the rows the reliability tests wrote.

    reliability_report.py ROWS_DIR OUT_MD

ROWS_DIR holds test/ (rows of `make test`) and soak/ (rows of `make soak`), one
tab-separated file per test program. A run rewrites only the section of its own
kind; the other section stays as the last run of that kind left it.
"""
import datetime
import glob
import os
import re
import subprocess
import sys

AREAS = ["Load", "Fault", "Bad input", "Counting"]
KINDS = [("test", "`make test`"), ("soak", "`make soak`")]

HEAD = """# Reliability under load, faults and bad input

Written by the reliability suite (`tests/reliability/`, run by `make test`, and
with larger counts by `make soak`); do not edit by hand. Every row is one case of
a test: what was done to the system, how often, what was looked at, what was seen
and whether the test passed. The tests drive the real Vistrel.exe, Vistrel.dll and
Encoder.dll under Wine on a private X display (each section names the build and the
display of its run) with real mouse input over foreign target programs.

## How the resources are counted

Under Wine, `GetGuiResources` and `GetProcessHandleCount` answer 0. The census
(`tests/reliability/process_census.cpp`) therefore counts from outside the
process, in ways that work there:

- GDI objects: the entries in use in the process's own GDI handle table, which
  Wine keeps inside each process and points to from the process's PEB
  (`GdiSharedHandleTable`); the test reads it with `ReadProcessMemory` and counts
  the entries whose type byte is set. Where `GetGuiResources` answers, its answer
  is used instead.
- Kernel handles: the process's entries in the system handle list
  (`NtQuerySystemInformation`, extended handle information), unless
  `GetProcessHandleCount` answers.
- Private memory: the committed private regions of the process's address space,
  summed with `VirtualQueryEx`.
- Windows: the process's top-level windows and all their descendants.

The "Counting" rows show the control: another process creates and deletes known
numbers of objects, and every count moves by exactly that much and back.

A case "held back" is a test that finds a fault not mended yet; it is disabled
until it is, and its row says what it saw.

Totals per run count what went wrong while trying: a crash is a program of the
system or a target that ended on its own, a hang a program that did not answer
within the time, a leak a count that grew with the load beyond its first ten
captures, and a bad file a missing, extra, partial or wrong output or temporary
file.
"""


def read_rows(folder):
    rows = []
    files = sorted(glob.glob(os.path.join(folder, "*.tsv")))
    newest = max((os.path.getmtime(f) for f in files), default=None)
    for path in files:
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                fields = line.rstrip("\n").split("\t")
                if len(fields) != 11:
                    continue
                area, test, tried, times, checked, figures, crashes, hangs, leaks, bad, result = fields
                rows.append(dict(area=area, test=test, tried=tried, times=int(times), checked=checked,
                                 figures=figures, crashes=int(crashes), hangs=int(hangs), leaks=int(leaks),
                                 bad=int(bad), result=result))
    return rows, newest


def display_size():
    """The test display's size and depth, as VISTREL_SCREEN asked for it or as the
    X server reports it."""
    if os.environ.get("VISTREL_SCREEN"):
        return os.environ["VISTREL_SCREEN"]
    try:
        info = subprocess.run(["xdpyinfo"], capture_output=True, text=True, timeout=10).stdout
    except (OSError, subprocess.TimeoutExpired):
        return "unknown size"
    size = re.search(r"dimensions:\s+(\d+x\d+) pixels", info)
    depth = re.search(r"depth of root window:\s+(\d+) planes", info)
    return "%s%s" % (size.group(1), "x" + depth.group(1) if depth else "") if size else "unknown size"


def run_setting():
    """The build (scripts/wine_env.sh chose it) and the display the tests ran on."""
    arch = os.environ.get("VISTREL_TEST_ARCH", "")
    build = {"i686": "i686 (32-bit x86, as shipped)",
             "x86_64": "x86_64 (the 64-bit build of the same sources)"}
    compositor = os.environ.get("VISTREL_COMPOSITOR", "-a")
    shown = "without a compositor" if compositor == "none" else "with the compositor xcompmgr %s" % compositor
    return "Build: %s, under Wine on a private Xvfb display of %s %s." % (
        build.get(arch, arch or "unknown"), display_size(), shown)


def cell(text):
    return text.replace("|", "\\|")


def section(kind, title, rows, newest):
    when = datetime.datetime.fromtimestamp(newest).strftime("%Y-%m-%d %H:%M")
    total = lambda key: sum(r[key] for r in rows)
    failed = sum(1 for r in rows if r["result"] == "FAILED")
    held = sum(1 for r in rows if r["result"] == "held back")
    out = [f"<!-- {kind}: begin -->", f"## {title}", ""]
    out.append(f"Last run {when}: {len(rows)} cases, {failed} failed, {held} held back. "
               f"Crashes {total('crashes')}, hangs {total('hangs')}, leaks {total('leaks')}, "
               f"lost or wrong files {total('bad')}. {run_setting()}")
    out.append("")
    out.append("| Area | What was tried | Times | What was checked | What was seen | Test | Result |")
    out.append("|---|---|---:|---|---|---|---|")
    order = {a: i for i, a in enumerate(AREAS)}
    for r in sorted(rows, key=lambda r: order.get(r["area"], len(AREAS))):
        out.append(f"| {cell(r['area'])} | {cell(r['tried'])} | {r['times']} | {cell(r['checked'])} | "
                   f"{cell(r['figures'])} | `{r['test']}` | {r['result']} |")
    out.append(f"<!-- {kind}: end -->")
    return "\n".join(out)


def main():
    rows_dir, out_path = sys.argv[1], sys.argv[2]
    old = open(out_path, encoding="utf-8").read() if os.path.exists(out_path) else ""
    parts = [HEAD.rstrip("\n")]
    for kind, title in KINDS:
        rows, newest = read_rows(os.path.join(rows_dir, kind))
        if rows:
            parts.append(section(kind, title, rows, newest))
            continue
        kept = re.search(rf"<!-- {kind}: begin -->.*?<!-- {kind}: end -->", old, re.S)
        if kept:
            parts.append(kept.group(0))
    os.makedirs(os.path.dirname(out_path), exist_ok=True)
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("\n\n".join(parts) + "\n")
    print(f"wrote {out_path}")


if __name__ == "__main__":
    main()
