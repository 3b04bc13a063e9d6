#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian 12 machine.
# Does nothing when everything is already there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make python3 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 xvfb xcompmgr xdotool x11-utils imagemagick googletest
      fonts-wqy-microhei locales nsis xserver-xorg-core xserver-xorg-video-dummy libxinerama1:i386)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# The dialog tests and the screenshots run Wine in a Chinese locale (ANSI code
# page 936), as the program's Chinese dialog captions expect.
ensure_zh_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' || $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}
if [ ${#need[@]} -eq 0 ]; then ensure_zh_locale; exit 0; fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
echo "Installing: ${need[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
ensure_zh_locale
