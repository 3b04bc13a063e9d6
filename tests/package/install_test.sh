#!/usr/bin/env bash
# The installer end to end, in a Wine prefix and on a display of its own: a silent
# install, the installed files, shortcut and uninstall entry, one real capture by
# the installed program, a silent uninstall, and what must and must not be left.
# Twice: into the default folder, then with /D= into another one (no capture,
# the program left running in the tray for the uninstaller to close).
#   install_test.sh WORK_DIR PACKAGE_CHECK_EXE TEST_BIN_DIR PE32_BIN_DIR PACKAGE_DIST_DIR
# Where no 32-bit code runs, the same installer script is built for the 64-bit
# build of the test tree; elsewhere the shipped installer (PACKAGE_DIST_DIR) is used.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts="$here/../../scripts"
. "$scripts/wine_env.sh"

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

if [ "${1:-}" = --inside ]; then
  check=$2
  phase() {
    local what=$1 filter=$2
    echo "== $what"
    if ! "$VISTREL_WINE" "$check" --gtest_filter="$filter" --gtest_color=no; then
      echo "FAILED: $what" >&2
      exit 1
    fi
  }
  unset VISTREL_PACKAGE_DIR
  phase "silent install into the default folder" 'Setup.Installs'
  phase "the installed package" 'Installed.*'
  phase "a capture by the installed program" 'InstalledProgram.*'
  phase "silent uninstall" 'Setup.Uninstalls'
  phase "after the uninstall" 'Uninstalled.*'
  export VISTREL_PACKAGE_DIR='C:\Other Programs\Vistrel Capture'
  phase "silent install with /D=$VISTREL_PACKAGE_DIR" 'Setup.Installs'
  phase "the installed package" 'Installed.*'
  phase "the installed program left running in the tray" 'RunningProgram.*'
  phase "silent uninstall" 'Setup.Uninstalls'
  phase "after the uninstall" 'Uninstalled.*'
  echo "install test: every step passed"
  exit 0
fi

work=$1 check=$2 testbin=$3 pe32bin=$4 dist=$5
rm -rf "$work"
mkdir -p "$work/home"
work=$(cd "$work" && pwd)
stage="$work/stage"
if [ "$VISTREL_TEST_ARCH" = i686 ]; then
  built=$pe32bin
  setup="$dist/Vistrel-2.0.0-setup.exe"
  bash "$scripts/stage_package.sh" "$built" "$stage"
else
  built=$testbin
  setup="$work/Vistrel-2.0.0-setup-amd64.exe"
  bash "$scripts/stage_package.sh" "$built" "$stage"
  bash "$scripts/make_installer.sh" "$stage" "$setup" amd64
fi
[ -f "$setup" ] || { echo "no installer at $setup" >&2; exit 1; }
export VISTREL_PACKAGE_SETUP=$(winpath "$setup")
export VISTREL_PACKAGE_BUILT=$(winpath "$built")
export VISTREL_PACKAGE_STAGE=$(winpath "$stage")
export VISTREL_PACKAGE_WORK=$(winpath "$work")
# A home of its own: the shell's menu builder mirrors Start menu shortcuts into
# the home folder, and the prefix links the user's folders there.
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME
exec "$scripts/with_wine_display.sh" "$work" bash "$here/install_test.sh" --inside "$check"
