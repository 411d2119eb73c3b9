# 32-bit Windows, the product: run under Wine's 32-bit loader (wine32).
set(ZELVANE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
