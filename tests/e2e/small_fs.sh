#!/bin/sh
# Mounts (or unmounts) a 256 KB tmpfs at DIR: a disk that fills up for real.
#   small_fs.sh mount|umount DIR
set -e
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
case "$1" in
  mount)
    mkdir -p "$2"
    mountpoint -q "$2" && $SUDO umount "$2"
    $SUDO mount -t tmpfs -o size=256k tmpfs "$2" ;;
  umount)
    mountpoint -q "$2" && $SUDO umount "$2"
    rmdir "$2" 2>/dev/null || true ;;
esac
