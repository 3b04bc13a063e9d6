# 32-bit Windows on x86: the architecture Vistrel ships for.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VISTREL_TRIPLE i686-w64-mingw32)
# Built without exceptions, nothing here unwinds: no unwind tables (.eh_frame).
set(VISTREL_ARCH_FLAGS "-fno-asynchronous-unwind-tables -fno-unwind-tables")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
