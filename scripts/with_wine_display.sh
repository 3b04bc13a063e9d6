#!/usr/bin/env bash
# Runs a command with a fresh Wine prefix under build/ and a private Xvfb display,
# then ends only what it started: its own wineserver and its own Xvfb.
#   with_wine_display.sh BUILD_DIR COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift
. "$here/wine_env.sh"

export WINEPREFIX="$build/wineprefix.$$"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installers
rm -rf "$WINEPREFIX"
xvfb_pid=""
compositor_pid=""

cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  [ -n "$compositor_pid" ] && kill "$compositor_pid" >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  [ -z "${VISTREL_KEEP_PREFIX:-}" ] && rm -rf "$WINEPREFIX"
  return 0
}
trap cleanup EXIT

# A private display: the server picks a free number and writes it to the pipe.
# VISTREL_DISPLAY=multihead starts an X server with two monitors instead (Xvfb
# shows Wine one): see multihead_display.sh.
exec {fd}<> <(:)
if [ "${VISTREL_DISPLAY:-}" = multihead ]; then
  . "$here/multihead_display.sh"
  start_multihead_display "$build" "$fd"
else
  Xvfb -displayfd "$fd" -screen 0 "${VISTREL_SCREEN:-1280x1024x24}" -nolisten tcp -ac >/dev/null 2>&1 &
  xvfb_pid=$!
fi
display=""
deadline=$((SECONDS + 30))
while [ -z "$display" ] && [ $SECONDS -lt $deadline ]; do
  read -r -t 1 display <&"$fd" || true
done
[ -n "$display" ] || { echo "the X server did not start" >&2; exit 1; }
export DISPLAY=":$display"

# Windows composes layered windows over what lies below them, so the capture
# library's mask, once hidden, uncovers the screen at once. A plain X server
# leaves the mask's pixels on the screen until the programs below repaint, and a
# grab right after the hide would read them: have the server keep every
# window's contents and compose the screen itself (automatic compositing).
# VISTREL_COMPOSITOR=-n blends translucent windows instead, as a person sees them;
# VISTREL_COMPOSITOR=none leaves the display without a compositor.
if [ "${VISTREL_COMPOSITOR:-}" != none ] && command -v xcompmgr >/dev/null 2>&1; then
  xcompmgr "${VISTREL_COMPOSITOR:--a}" >/dev/null 2>&1 &
  compositor_pid=$!
fi

# The server stays up between test processes, and so do the services that
# wineboot starts here; started from a test instead, they would inherit its
# output pipe and keep CTest waiting.
mkdir -p "$WINEPREFIX"
wineserver -p
"$VISTREL_WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
# A new prefix links the profile's Pictures folder to $HOME, and Vistrel saves
# pictures there by default: make it a folder of the prefix, which goes with it.
for pictures in "$WINEPREFIX"/drive_c/users/*/Pictures; do
  if [ -L "$pictures" ]; then rm "$pictures"; mkdir "$pictures"; fi
done
# No window manager: leave Wine's windows unmanaged, so that hiding or destroying
# a window does not wait for a window manager to withdraw it.
"$VISTREL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A program that crashes ends at once, with its backtrace on stderr: winedbg
# otherwise shows its crash dialog and waits for someone to close it.
"$VISTREL_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1

# Wine ends the desktop's explorer.exe soon after the last program on it ends, and
# the next program starts it again: started from a test, it would inherit the
# test's output and keep CTest waiting. A program of the test tree holds the
# desktop for the whole run; it is started here, with no output to inherit, and
# the commands run once it has the desktop.
if [ -n "${VISTREL_DESKTOP_KEEPER:-}" ] && [ -f "$VISTREL_DESKTOP_KEEPER" ]; then
  ready="$WINEPREFIX/desktop-kept"
  "$VISTREL_WINE" "$VISTREL_DESKTOP_KEEPER" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
  deadline=$((SECONDS + 60))
  while [ ! -f "$ready" ] && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  [ -f "$ready" ] || { echo "the desktop keeper did not start" >&2; exit 1; }
fi

echo "Wine prefix $WINEPREFIX ($WINEARCH), display $DISPLAY"
"$@"
