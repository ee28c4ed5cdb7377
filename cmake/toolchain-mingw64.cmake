# Windows x64, cross-compiled with mingw-w64; tests run under Wine.
set(VOSTREL_TRIPLE_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
