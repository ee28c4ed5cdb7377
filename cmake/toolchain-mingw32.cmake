# Windows x86 (32-bit hosts), cross-compiled with mingw-w64; tests run under
# Wine's WoW64 (wine32).
set(VOSTREL_TRIPLE_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
