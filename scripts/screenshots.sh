#!/usr/bin/env bash
# Takes the screenshots of the main window, the capture menu, the settings
# dialog and the About box kept under docs/ for the README: the real program
# runs on a private Xvfb display in a fresh Wine prefix (with_wine_display.sh),
# on an 800 x 480 Wine desktop, and ShotDriver.exe (tests/e2e/shots) steps it
# from one state to the next.
#   screenshots.sh [BUILD_DIR]    (default build; writes docs/*.png)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${1:-build}
mkdir -p "$build"
build=$(cd "$build" && pwd)
. "$here/wine_env.sh"

# The driver is built with the tests, for the architecture the machine runs.
tree="$build/test-$VISTREL_TEST_ARCH"
cmake -S "$repo" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-$VISTREL_TEST_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_TESTS=ON -DVISTREL_PE32_DIR="$build/bin" >/dev/null
cmake --build "$tree" -j"${JOBS:-2}" --target Vistrel VistrelCapture Encoder ShotDriver >/dev/null
bin="$tree/bin"
[ "$VISTREL_TEST_ARCH" = i686 ] && bin_app="$build/bin" || bin_app="$bin"
if [ "$bin_app" != "$bin" ]; then
  echo "This machine cannot run 32-bit x86 code; photographing the $VISTREL_TEST_ARCH build of the same sources."
fi

width=800
height=480
export VISTREL_SCREEN="${width}x${height}x24"
export VISTREL_SHOT_APP="$bin_app" VISTREL_SHOT_DRIVER="$bin/ShotDriver.exe" VISTREL_SHOT_DOCS="$repo/docs"
export VISTREL_SHOT_SIZE="${width}x${height}"
# A Chinese system, the program's own setting: the dialogs are made through the
# ANSI entry points, and Wine keeps their Chinese captions only in code page 936.
export LC_ALL=zh_CN.UTF-8
mkdir -p "$repo/docs"

"$here/with_wine_display.sh" "$build" bash -c '
  set -euo pipefail
  # Every program started from here on one Wine desktop of the screen'"'"'s size (a
  # new name: the default desktop already exists, without a desktop window).
  "$VISTREL_WINE" reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Shots /f >/dev/null 2>&1
  "$VISTREL_WINE" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Shots /d "$VISTREL_SHOT_SIZE" /f >/dev/null 2>&1

  drive() { "$VISTREL_WINE" "$VISTREL_SHOT_DRIVER" "$@" </dev/null >/dev/null 2>&1 || { echo "step $* failed" >&2; return 1; }; }
  # shot NAME: the screen once two grabs in a row agree (the last paint is done).
  shot() {
    local out="$VISTREL_SHOT_DOCS/$1" tmp="$VISTREL_SHOT_DOCS/.$1" last=""
    for i in $(seq 1 20); do
      import -window root "$tmp"
      sum=$(convert "$tmp" rgb:- | md5sum)
      [ "$sum" = "$last" ] && break
      last=$sum
      sleep 0.2
    done
    mv "$tmp" "$out"
    echo "docs/$1"
  }

  # One box of the settings checked, so that the picture shows both kinds.
  drive profile Clipboard True
  cd "$VISTREL_SHOT_APP"
  "$VISTREL_WINE" Vistrel.exe </dev/null >/dev/null 2>&1 &
  app=$!
  drive wait-main
  shot main-window.png

  # The tray menu, opened where a tray icon lies: the bottom right corner.
  drive hide
  drive capture-menu $(( ${VISTREL_SHOT_SIZE%x*} - 20 )) $(( ${VISTREL_SHOT_SIZE#*x} - 12 ))
  shot capture-menu.png
  drive close-menu

  drive show
  drive dialog 32791
  shot settings-dialog.png
  drive cancel-dialog

  # The About box closes by itself four seconds after it opened.
  drive dialog 104
  shot about-box.png
  drive cancel-dialog

  drive exit
  wait $app || true
'
