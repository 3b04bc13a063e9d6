#!/usr/bin/env bash
# Runs test programs one after the other under Wine, in a prefix and on a display
# of their own, for the tests that need a display unlike the shared one (another
# compositor, say). Fails with the first program that fails.
#   on_own_display.sh WORK_DIR PROGRAM...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
work=$1; shift
exec bash "$here/../../scripts/with_wine_display.sh" "$work" sh -c \
  'for program; do "$VISTREL_WINE" "$program" --gtest_color=no || exit 1; done' sh "$@"
