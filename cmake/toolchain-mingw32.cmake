# Windows x86 (32-bit hosts), cross-compiled with mingw-w64. Built and linked
# only: there is no 32-bit Wine to run it.
set(VOSTREL_TRIPLE_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
