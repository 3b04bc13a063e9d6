#!/usr/bin/env bash
# Lays out the five files of the release package in one folder: the three
# binaries of a build, the user guide and the licence (Windows line ends).
#   stage_package.sh BIN_DIR STAGE_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$1
stage=$2
rm -rf "$stage"
mkdir -p "$stage"
for f in Vistrel.exe Vistrel.dll Encoder.dll; do
  [ -f "$bin/$f" ] || { echo "stage_package: $bin/$f is missing" >&2; exit 1; }
  cp "$bin/$f" "$stage/$f"
done
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
# The guide quotes the program's Chinese menu items: UTF-8 with a byte order mark,
# which Notepad reads as UTF-8 whatever the system's code page.
{ printf '\xef\xbb\xbf'; sed 's/\r*$/\r/' "$here/../docs/user-guide.txt"; } >"$stage/UserGuide.txt"
crlf "$here/../LICENSE" "$stage/License.txt"
