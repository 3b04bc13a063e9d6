# Shared part of the mingw-w64 cross toolchains. VISTREL_TRIPLE is set by the including file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VISTREL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VISTREL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VISTREL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VISTREL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Small binaries: the system's msvcrt formats the few strings we format (mingw's
# own printf, pulled in by C++ mode, is some 20 KB of the hook library), and each
# function and datum gets a section of its own so the linker drops what nothing uses.
set(VISTREL_SIZE_FLAGS "-D__USE_MINGW_ANSI_STDIO=0 -ffunction-sections -fdata-sections ${VISTREL_ARCH_FLAGS}")
set(CMAKE_C_FLAGS_INIT "${VISTREL_SIZE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${VISTREL_SIZE_FLAGS}")
# No runtime DLLs beside ours: libgcc, libstdc++ and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
