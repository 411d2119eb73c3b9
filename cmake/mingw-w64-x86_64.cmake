# 64-bit Windows: run under Wine's 64-bit loader, which needs no 32-bit support from
# the kernel.
set(ZELVANE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
