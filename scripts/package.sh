#!/usr/bin/env bash
# The release package of a build's binaries (make package):
#   DIST_DIR/Vistrel-2.0.0-win32.zip   the three binaries, UserGuide.txt, License.txt
#   DIST_DIR/Vistrel-2.0.0-setup.exe   the installer (NSIS)
#   package.sh BIN_DIR [DIST_DIR]      (DIST_DIR: dist/ of the repository)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" && pwd)
dist=${2:-"$here/../dist"}
version=2.0.0
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

bash "$here/stage_package.sh" "$bin" "$stage"

zip="$dist/Vistrel-$version-win32.zip"
rm -f "$zip"
# Fixed entry dates: the same files give the same archive.
python3 - "$stage" "$zip" <<'PY'
import sys, zipfile
stage, out = sys.argv[1], sys.argv[2]
names = ["Vistrel.exe", "Vistrel.dll", "Encoder.dll", "UserGuide.txt", "License.txt"]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(stage + "/" + name, "rb") as f:
            z.writestr(info, f.read())
PY

bash "$here/make_installer.sh" "$stage" "$dist/Vistrel-$version-setup.exe"
echo "Package: $zip"
echo "Installer: $dist/Vistrel-$version-setup.exe"
