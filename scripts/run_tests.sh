#!/usr/bin/env bash
# Builds the test tree for the architecture the machine can run (wine_env.sh)
# and runs every test through CTest on a private display and Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
mkdir -p "$build"
build=$(cd "$build" && pwd)
. "$here/wine_env.sh"

configure() {
  cmake -S "$here/.." -B "$build/test-$1" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-$1.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_TESTS=ON -DVISTREL_PE32_DIR="$build/bin" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$2" >/dev/null
  cmake --build "$build/test-$1" -j"${JOBS:-2}"
}
# The 32-bit test tree is compiled on every machine, so that a slip only that
# build shows (a callback without CALLBACK) fails here too; it runs where the
# machine runs 32-bit code.
configure i686 /usr/lib/wine/wine
[ "$VISTREL_TEST_ARCH" = i686 ] || configure "$VISTREL_TEST_ARCH" "$VISTREL_WINE"
testdir="$build/test-$VISTREL_TEST_ARCH"
export VISTREL_DESKTOP_KEEPER="$testdir/bin/DesktopKeeper.exe"
# CTEST_ARGS is read as shell words, so CTEST_ARGS="-R 'a|b'" keeps its quotes' meaning.
eval "ctest_args=(${CTEST_ARGS:-})"
echo "Testing the $VISTREL_TEST_ARCH build"
"$here/with_wine_display.sh" "$build" ctest --test-dir "$testdir" --output-on-failure -j"${JOBS:-2}" "${ctest_args[@]}"
