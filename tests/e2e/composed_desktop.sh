#!/usr/bin/env bash
# Runs test programs one after the other under Wine as on a composed desktop: in a
# prefix and on a display of their own, with the tests' stand-in for the system's
# compositor library in the prefix's system folder and Wine told to prefer it.
# Fails with the first program that fails.
#   composed_desktop.sh WORK_DIR STANDIN_DWMAPI_DLL PROGRAM...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
work=$1; standin=$2; shift 2
exec bash "$here/../../scripts/with_wine_display.sh" "$work" sh -c '
  cp "$1" "$WINEPREFIX/drive_c/windows/system32/dwmapi.dll" || exit 1
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dwmapi=n" VISTREL_COMPOSED_DESKTOP=1
  shift
  for program; do "$VISTREL_WINE" "$program" --gtest_color=no || exit 1; done' sh "$standin" "$@"
