#!/usr/bin/env bash
# The shipped 32-bit binaries on a 64-bit system: runs the test program in a fresh
# 64-bit Wine prefix and on a display of its own (Wine runs 32-bit and 64-bit
# programs there alike), and ends what it started. Where the machine does not
# execute 32-bit x86 code, or no program is given (the 64-bit test tree), says so
# and exits 77, which CTest counts as skipped.
#   win64_system.sh WORK_DIR [TEST_PROGRAM]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine_env.sh"
if ! native_i386; then
  echo "SKIPPED: this machine does not execute 32-bit x86 code, so the shipped 32-bit build cannot run on a 64-bit system here"
  exit 77
fi
if [ $# -lt 2 ]; then
  echo "SKIPPED: the 64-bit-system test runs the 32-bit test tree (VISTREL_TEST_ARCH=i686)"
  exit 77
fi
VISTREL_TEST_ARCH=x86_64 exec bash "$here/on_own_display.sh" "$1" "$2"
