# Shared part of the mingw-w64 cross toolchains. VISTREL_TRIPLE is set by the including file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VISTREL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VISTREL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VISTREL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VISTREL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No runtime DLLs beside ours: libgcc, libstdc++ and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
