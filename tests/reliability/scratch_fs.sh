#!/bin/sh
# A small tmpfs for the fault tests, that they can make read-only and writable again.
#   scratch_fs.sh mount DIR SIZE | ro DIR | rw DIR | umount DIR
set -e
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
case "$1" in
  mount)
    mkdir -p "$2"
    mountpoint -q "$2" && $SUDO umount "$2"
    $SUDO mount -t tmpfs -o "size=$3" tmpfs "$2"
    $SUDO chmod 777 "$2" ;;
  ro) $SUDO mount -o remount,ro "$2" ;;
  rw) $SUDO mount -o remount,rw "$2" ;;
  umount)
    mountpoint -q "$2" && $SUDO umount "$2"
    rmdir "$2" 2>/dev/null || true ;;
esac
