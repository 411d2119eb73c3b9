# Cross-build for Windows with MinGW-w64; tests run under Wine. Included by the
# toolchain file of each processor, which sets ZELVANE_MINGW_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZELVANE_MINGW_PROCESSOR})
set(triple ${ZELVANE_MINGW_PROCESSOR}-w64-mingw32)

# The POSIX thread model gives GoogleTest the std::mutex it needs; winpthread is linked
# statically like the rest of the runtime, so the DLL still needs no MinGW DLL.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_ASM_COMPILER ${triple}-gcc-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
