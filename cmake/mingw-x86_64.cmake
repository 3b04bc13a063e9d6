# 64-bit build of the same sources, used to run the tests where the machine
# cannot execute 32-bit x86 code (see README, "Testing").
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VISTREL_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
