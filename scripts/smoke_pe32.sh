#!/usr/bin/env bash
# Runs the shipped 32-bit Vistrel.exe (build/bin) once under Wine on a machine
# that cannot execute 32-bit x86 code, through qemu-user emulation: start-up, the
# main window, a refused second instance, and a clean close with exit code 0.
# Slow (every Wine process costs about a minute of CPU under emulation), so it is
# not part of `make test`. Registers qemu for i386 programs while it runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
export DEBIAN_FRONTEND=noninteractive
dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'install ok' ||
  apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null

binfmt=/proc/sys/fs/binfmt_misc
registered=""
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -e "$binfmt/qemu-i386" ]; then
  echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > "$binfmt/register"
  registered=1
fi
unregister() { [ -n "$registered" ] && echo -1 > "$binfmt/qemu-i386" || true; }
trap unregister EXIT

export VISTREL_TEST_ARCH=i686 VISTREL_SCREEN=1024x768x24
"$here/with_wine_display.sh" "$build" bash -c '
  set -u
  cd "'"$bin"'"
  wait_for() { # seconds, command...
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 2; done
  }
  has_window() { xwininfo -root -tree 2>/dev/null | grep -q "\"Vistrel\""; }
  "$VISTREL_WINE" Vistrel.exe & app=$!
  wait_for 900 has_window || { echo "FAIL: no main window"; exit 1; }
  echo "ok: main window \"Vistrel\" shown"
  import -window root "'"$build"'/smoke_pe32.png" 2>/dev/null || true
  "$VISTREL_WINE" Vistrel.exe; second=$?
  [ $second -eq 0 ] && echo "ok: second instance ended with code 0" || { echo "FAIL: second instance code $second"; exit 1; }
  kill -0 $app && echo "ok: first instance still running" || { echo "FAIL: first instance gone"; exit 1; }
  # Alt+F4 typed into the window: no further emulated process is needed to close it.
  window=$(xdotool search --name "^Vistrel\$" | head -n 1)
  xdotool windowfocus --sync "$window" && xdotool key --window "$window" alt+F4
  ended() { ! kill -0 $app 2>/dev/null; }
  wait_for 600 ended || { echo "FAIL: still running after Alt+F4"; exit 1; }
  wait $app; code=$?
  [ $code -eq 0 ] && echo "ok: closed with exit code 0" || { echo "FAIL: exit code $code"; exit 1; }
  echo "1 passed, 0 failed"'
