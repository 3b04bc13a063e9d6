#!/usr/bin/env bash
# make bench: installs the peers, builds the benchmark programs for the architecture
# the tests run (wine_env.sh), and runs bench/run_bench.py on a private 1920 x 1080
# display and a fresh Wine prefix. The shipped 32-bit binaries must already be in
# BUILD_DIR/bin (make build): where the machine runs 32-bit code they are the ones
# measured; elsewhere the 64-bit build of the same sources is, and the table
# reports the shipped files' sizes.
# Where 32-bit code runs, a phase in a 64-bit prefix of its own comes first too: the
# shipped 32-bit binaries with a 64-bit build of the program the mouse moves over.
# VISTREL_BENCH_64=only runs that phase alone (and prints its medians),
# VISTREL_BENCH_64=skip leaves it out.
#   run_bench.sh BUILD_DIR [run_bench.py options]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-build}
shift || true
mkdir -p "$build"
build=$(cd "$build" && pwd)
bash "$here/install_peers.sh"
. "$root/scripts/wine_env.sh"

benchdir="$build/bench-$VISTREL_TEST_ARCH"
cmake -S "$root" -B "$benchdir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$VISTREL_TEST_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_BENCH=ON >/dev/null
cmake --build "$benchdir" -j"${JOBS:-2}"
measured="$benchdir/bin"
[ "$VISTREL_TEST_ARCH" = i686 ] && measured="$build/bin"
echo "Benchmarking the $VISTREL_TEST_ARCH build ($measured)"
mkdir -p "$root/docs"
export VISTREL_SCREEN=${VISTREL_SCREEN:-1920x1080x24}

moves64="$benchdir/moves64.json"
rm -f "$moves64"
if [ "$VISTREL_TEST_ARCH" = i686 ] && [ "${VISTREL_BENCH_64:-}" != skip ]; then
  bench64="$build/bench-x86_64"
  cmake -S "$root" -B "$bench64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_BENCH=ON >/dev/null
  cmake --build "$bench64" -j"${JOBS:-2}" --target raw_floor
  echo "The same on a 64-bit system: a 64-bit prefix, a 64-bit program under the mouse"
  VISTREL_TEST_ARCH=x86_64 "$root/scripts/with_wine_display.sh" "$build" \
    python3 "$here/run_bench.py" --bin "$measured" --bench "$benchdir/bench" --pe32 "$build/bin" \
    --out "$root/docs/performance.md" --window64 "$bench64/bench/raw_floor.exe" "$@" \
    --phases "64-bit moves" --save "$moves64"
  [ "${VISTREL_BENCH_64:-}" = only ] && exit 0
fi

# Then the phase that needs a display without a compositor, on a display and in a
# prefix of its own; its samples join the table of the main run.
uncomposed="$benchdir/uncomposed.json"
rm -f "$uncomposed"
VISTREL_COMPOSITOR=none "$root/scripts/with_wine_display.sh" "$build" \
  python3 "$here/run_bench.py" --bin "$measured" --bench "$benchdir/bench" --pe32 "$build/bin" \
  --out "$root/docs/performance.md" "$@" --phases uncomposed --save "$uncomposed"
# RectCopy of the whole virtual screen on a display of two monitors, beside the floor
# over the same rectangle (scripts/multihead_display.sh; needs root).
monitors="$benchdir/monitors.json"
rm -f "$monitors"
VISTREL_DISPLAY=multihead "$root/scripts/with_wine_display.sh" "$build" \
  python3 "$here/run_bench.py" --bin "$measured" --bench "$benchdir/bench" --pe32 "$build/bin" \
  --out "$root/docs/performance.md" "$@" --phases monitors --save "$monitors"
# WindowCopy on a composed desktop: the tests' stand-in for the compositor's
# library in a prefix of its own (as tests/e2e/composed_desktop.sh has it).
composed="$benchdir/composed.json"
rm -f "$composed"
"$root/scripts/with_wine_display.sh" "$build" sh -c '
  cp "$1" "$WINEPREFIX/drive_c/windows/system32/dwmapi.dll" || exit 1
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dwmapi=n"
  shift
  exec python3 "$@"' sh "$benchdir/bench/standin/dwmapi.dll" "$here/run_bench.py" --bin "$measured" \
  --bench "$benchdir/bench" --pe32 "$build/bin" --out "$root/docs/performance.md" "$@" --phases composed \
  --save "$composed"
"$root/scripts/with_wine_display.sh" "$build" \
  python3 "$here/run_bench.py" --bin "$measured" --bench "$benchdir/bench" --pe32 "$build/bin" \
  --out "$root/docs/performance.md" --merge "$uncomposed" --merge "$monitors" --merge "$moves64" --merge "$composed" "$@"
