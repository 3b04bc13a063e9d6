# Sourced by the other scripts: chooses the Windows architecture the tests run
# and the Wine loader for it.
#
# Vistrel ships as 32-bit x86 binaries. Where the machine can execute 32-bit x86
# code, the tests run those binaries in a 32-bit prefix. Where it cannot (a kernel
# without IA-32 execution; an emulator such as qemu-user is far too slow for Wine),
# the tests run a 64-bit build of the same sources in a 64-bit prefix, and the
# shipped 32-bit binaries are checked as files.

native_i386() {
  # qemu registered as the i386 handler means emulation, not native execution.
  if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && grep -q enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
    return 1
  fi
  [ -x /lib/ld-linux.so.2 ] && timeout 10 /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

if [ -z "${VISTREL_TEST_ARCH:-}" ]; then
  if native_i386 && [ -x /usr/lib/wine/wine ]; then VISTREL_TEST_ARCH=i686; else VISTREL_TEST_ARCH=x86_64; fi
fi
if [ "$VISTREL_TEST_ARCH" = i686 ]; then
  VISTREL_WINE=/usr/lib/wine/wine
  export WINEARCH=win32
else
  VISTREL_WINE=/usr/lib/wine/wine64
  export WINEARCH=win64
fi
export WINELOADER=$VISTREL_WINE
export VISTREL_TEST_ARCH VISTREL_WINE
