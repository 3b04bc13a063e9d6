#!/usr/bin/env bash
# Runs the built Vistrel.exe under Wine. With $DISPLAY set it runs there, in the
# user's Wine prefix; without one it makes a private Xvfb display and prefix and
# writes a screenshot of the display every few seconds to build/screen.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
. "$here/wine_env.sh"
bin="$build/bin"
if [ "$VISTREL_TEST_ARCH" != i686 ]; then
  # This machine cannot execute 32-bit x86 code: run the 64-bit build of the same sources.
  bin="$build/test-x86_64/bin"
  if [ ! -x "$bin/Vistrel.exe" ]; then
    cmake -S "$here/.." -B "$build/test-x86_64" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_TESTS=ON -DVISTREL_PE32_DIR="$build/bin" >/dev/null
  fi
  cmake --build "$build/test-x86_64" -j2 --target Vistrel VistrelCapture Encoder
  echo "This machine cannot run 32-bit x86 code; running the $VISTREL_TEST_ARCH build of the same sources."
fi

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-vistrel-$VISTREL_TEST_ARCH}"
  cd "$bin" && exec "$VISTREL_WINE" Vistrel.exe
fi

shot="$build/screen.png"
echo "No display: running on a private Xvfb display."
echo "A screenshot of it is written to $shot every 5 seconds; press Ctrl+C to end."
"$here/with_wine_display.sh" "$build" bash -c '
  cd "'"$bin"'" && "$VISTREL_WINE" Vistrel.exe & app=$!
  while kill -0 $app 2>/dev/null; do
    import -window root "'"$shot"'" 2>/dev/null || true
    for i in 1 2 3 4 5; do kill -0 $app 2>/dev/null && sleep 1; done
  done'
