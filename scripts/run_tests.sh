#!/usr/bin/env bash
# Builds the test tree for the architecture the machine can run (wine_env.sh)
# and runs every test through CTest on a private display and Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
mkdir -p "$build"
build=$(cd "$build" && pwd)
. "$here/wine_env.sh"

testdir="$build/test-$VISTREL_TEST_ARCH"
cmake -S "$here/.." -B "$testdir" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-$VISTREL_TEST_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DVISTREL_TESTS=ON -DVISTREL_PE32_DIR="$build/bin" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$VISTREL_WINE" >/dev/null
cmake --build "$testdir" -j"${JOBS:-2}"
echo "Testing the $VISTREL_TEST_ARCH build"
"$here/with_wine_display.sh" "$build" ctest --test-dir "$testdir" --output-on-failure -j"${JOBS:-2}" ${CTEST_ARGS:-}
