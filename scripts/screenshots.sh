#!/usr/bin/env bash
# Takes the screenshots of the main window, the capture menu, the settings
# dialog and the About box kept under docs/ for the README: the real program
# runs on a private Xvfb display in a fresh Wine prefix (with_wine_display.sh),
# on an 800 x 480 Wine desktop, and ShotDriver.exe (tests/e2e/shots) steps it
# from one state to the next. The capture mask in each mode (RectCopy,
# WindowCopy, ControlCopy, DrawCopy) is photographed apart, on a full screen of
# its own over the test target, with a compositor that blends the translucent
# mask as Windows does.
#   screenshots.sh [BUILD_DIR [dialogs|mask]]   (default build, both; writes docs/*.png)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${1:-build}
only=${2:-all}
mkdir -p "$build"
build=$(cd "$build" && pwd)
. "$here/wine_env.sh"

# The driver is built with the tests, for the architecture the machine runs.
tree="$build/test-$VISTREL_TEST_ARCH"
cmake -S "$repo" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-$VISTREL_TEST_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_TESTS=ON -DVISTREL_PE32_DIR="$build/bin" >/dev/null
cmake --build "$tree" -j"${JOBS:-2}" --target Vistrel VistrelCapture Encoder ShotDriver Target >/dev/null
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

# Both sessions: drive STEP... runs one ShotDriver step; shot NAME takes the
# screen once two grabs in a row agree (the last paint is done).
export shot_steps='
  drive() { "$VISTREL_WINE" "$VISTREL_SHOT_DRIVER" "$@" </dev/null >/dev/null 2>&1 || { echo "step $* failed" >&2; return 1; }; }
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
'

[ "$only" = mask ] || "$here/with_wine_display.sh" "$build" bash -c '
  set -euo pipefail
  # Every program started from here on one Wine desktop of the screen'"'"'s size (a
  # new name: the default desktop already exists, without a desktop window).
  "$VISTREL_WINE" reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Shots /f >/dev/null 2>&1
  "$VISTREL_WINE" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Shots /d "$VISTREL_SHOT_SIZE" /f >/dev/null 2>&1

  eval "$shot_steps"

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

# The mask: Vistrel.exe over Target.exe on a plain 800 x 600 screen, no Wine
# desktop, the mask blended at its own translucency.
export VISTREL_SCREEN="800x600x24" VISTREL_COMPOSITOR=-n VISTREL_SHOT_TARGET="$bin/Target.exe"
[ "$only" = dialogs ] || "$here/with_wine_display.sh" "$build" bash -c '
  set -euo pipefail
  eval "$shot_steps"
  "$VISTREL_WINE" "$VISTREL_SHOT_TARGET" 100 200 400 300 </dev/null >/dev/null 2>&1 &
  target=$!
  cd "$VISTREL_SHOT_APP"
  "$VISTREL_WINE" Vistrel.exe </dev/null >/dev/null 2>&1 &
  app=$!
  drive wait-main
  drive hide
  # Without a desktop Wine shows the tray icon in a little window of its own at
  # the top left, over the mask, where Windows has its taskbar: out of the pictures.
  drive hide-tray

  # RectCopy: a selection being dragged over the target.
  drive arm 32780
  drive drag 140 255 430 445 hold
  shot mask-rectcopy.png
  drive release
  drive capture

  # WindowCopy: the mask over the whole target, once the mouse has moved onto it.
  drive arm 32778
  drive onto 440 300 window
  shot mask-windowcopy.png
  drive capture

  # ControlCopy: the mask over one control of the target, its green swatch.
  drive arm 32779
  drive onto 324 283 control
  shot mask-controlcopy.png
  drive capture

  # DrawCopy: a rectangle, an ellipse and a line in three colours, the palette open.
  drive arm 32786
  drive palette 136 32     # blue swatch
  drive palette 293 25     # rectangle tool
  drive drag 130 250 250 325
  drive palette 104 32     # green swatch
  drive palette 314 25     # ellipse tool
  drive drag 275 245 390 330
  drive palette 72 32      # red swatch
  drive palette 273 25     # line tool
  drive drag 140 450 480 380
  drive move 600 420
  drive open-palette
  shot mask-drawcopy.png

  drive exit
  wait $app || true
  kill $target 2>/dev/null || true
'
