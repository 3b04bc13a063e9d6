#!/usr/bin/env bash
# Builds the installer from a staged package folder (stage_package.sh).
#   make_installer.sh STAGE_DIR OUT_EXE [amd64]
# amd64: the same installer for a 64-bit build, installing into the 64-bit
# Program Files (the tests use it where no 32-bit code runs).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
stage=$(cd "$1" && pwd)
out=$2
mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
arch=()
[ "${3:-}" = amd64 ] && arch=(-DAMD64)
rm -f "$out"
makensis -V2 -NOCD -DSTAGE="$stage" -DOUTFILE="$out" "${arch[@]}" "$here/installer.nsi"
[ -f "$out" ] || { echo "make_installer: makensis wrote no $out" >&2; exit 1; }
